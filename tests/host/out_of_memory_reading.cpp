// Memory running out while zevkalon reads its inputs: a refusal of the file
// being read (exit status 3, naming it), not an internal error. The program
// replaces the global allocation functions and fails every large request
// while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <sstream>

#include "host/app/host_run.h"
#include "host/host_error.h"
#include "tests/host/test_files.h"

namespace {

std::atomic<bool> failLargeAllocations{false};
constexpr std::size_t kLarge = 1 << 20;

void* allocate(std::size_t size) {
    if (failLargeAllocations && size >= kLarge) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zevkalon {
namespace {

TEST(ReadingOutOfMemory, TheFileBeingReadIsNamed) {
    const std::string dir = testing::makeTempFolder();
    testing::NiftiContent small, large;
    large.dims[0] = large.dims[1] = large.dims[2] = 128;  // 8 MB of labels
    testing::writeNifti(small, dir + "/small.nii.gz");
    testing::writeNifti(large, dir + "/large.nii.gz");
    std::ostringstream obj;
    for (int v = 0; v < 60000; ++v) obj << "v " << v << " 0 0\n";  // 1.4 MB of coordinates
    obj << "f 1 2 3\n";
    testing::writeText(dir + "/small.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    testing::writeText(dir + "/large.obj", obj.str());

    const std::pair<std::string, std::string> cases[] = {{"large.nii.gz", "small.obj"}, {"small.nii.gz", "large.obj"}};
    for (const auto& [volume, surface] : cases) {
        HostOptions options;
        options.volumePath = dir + "/" + volume;
        options.surfacePath = dir + "/" + surface;
        options.pluginPath = dir + "/none.so";
        const std::string refused = volume.rfind("large", 0) == 0 ? options.volumePath : options.surfacePath;
        std::ostringstream log, messages;
        failLargeAllocations = true;
        try {
            runHost(options, log, messages);
            failLargeAllocations = false;
            ADD_FAILURE() << refused << " was read";
        } catch (const HostError& error) {
            failLargeAllocations = false;
            EXPECT_EQ(error.code(), kExitBadInput);
            EXPECT_EQ(std::string(error.what()).rfind(refused + ": not enough memory", 0), 0u) << error.what();
        }
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
}  // namespace zevkalon

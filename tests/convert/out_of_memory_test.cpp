// Running out of memory in the middle of a run, through the fake host. The
// test executable replaces the global allocation functions, which the
// plug-in module uses too, and fails every large request while armed.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "tests/convert/run_reference.h"
#include "tests/fake_host/plugin_harness.h"
#include "tests/poi/scratch_folder.h"

namespace {

std::atomic<bool> failLargeAllocations{false};
constexpr std::size_t kLarge = 256 * 1024;

void* allocate(std::size_t size) {
    if (failLargeAllocations && size >= kLarge) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tessarin {
namespace {

using Texts = std::vector<std::string>;

TEST(ConversionRunFailure, OutOfMemoryEndsTheRunWithOneMessage) {
    // See conversion_run_test.cpp: the host outlives a plug-in that may stay loaded.
    ASSERT_NE(::dlopen(fakehost::modulePath(fakehost::FakeHostModule::Zevkalon).c_str(), RTLD_LAZY), nullptr);
    testing::ScratchFolder folder;
    fakehost::PluginHarness harness;
    fakehost::Scene& scene = harness.scene();
    scene = testing::gridScene(8, 8);
    scene.dimX = scene.dimY = scene.dimZ = 64;  // a voxel grid far above the limit
    testing::addVOI(scene, "V1", 0, {{1, 1}});
    scene.voisFileName = folder.file("rois.voi");
    harness.createPlugin();
    ASSERT_TRUE(harness.initPlugin());
    harness.clearCalls();

    failLargeAllocations = true;
    const bool executed = harness.execute();
    failLargeAllocations = false;

    EXPECT_FALSE(executed);
    EXPECT_EQ(harness.host().textsOf("zkMessageBox"), Texts{std::bad_alloc().what()});
    EXPECT_EQ(harness.host().count("zkLoadPOIs"), 0u);
    EXPECT_EQ(harness.host().textsOf("zkLogText").size(), 3u);  // the run's three opening lines
    EXPECT_EQ(folder.entries(), Texts{});

    // The plug-in is usable again afterwards.
    harness.destroyPlugin();
    harness.clearCalls();
    harness.createPlugin();
    ASSERT_TRUE(harness.initPlugin());
    EXPECT_TRUE(harness.execute());
    EXPECT_EQ(harness.host().textsOf("zkLoadPOIs"), Texts{folder.file("rois.poi")});
    harness.destroyPlugin();
}

}  // namespace
}  // namespace tessarin

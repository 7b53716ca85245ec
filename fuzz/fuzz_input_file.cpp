#include "fuzz/fuzz_input_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tessarin::fuzz {

namespace {

// One folder per process, so that parallel fuzzers never share a file.
const std::string& folder() {
    static const std::string path = [] {
        char name[] = "/tmp/tessarin-fuzz-XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        return std::string(name);
    }();
    return path;
}

}  // namespace

std::string writeInputFile(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    const std::string path = folder() + "/" + fileName;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) std::abort();
    return path;
}

}  // namespace tessarin::fuzz

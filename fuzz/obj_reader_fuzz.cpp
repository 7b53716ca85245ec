// The OBJ reader and the checks that follow it, on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/host_error_only.h"
#include "host/readers/obj_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    tessarin::fuzz::expectOnlyHostErrors([&] {
        const zevkalon::SurfaceFile surface = zevkalon::parseObj(in, "fuzz.obj");
        zevkalon::validateSurface(surface, "fuzz.obj");
    });
    return 0;
}

// The host's GIFTI surface reader and the checks that follow it, on
// arbitrary files.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input_file.h"
#include "fuzz/host_error_only.h"
#include "host/readers/gifti_surface_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = tessarin::fuzz::writeInputFile(data, size, "input.surf.gii");
    tessarin::fuzz::expectOnlyHostErrors([&] {
        const zevkalon::SurfaceFile surface = zevkalon::readGiftiSurface(path);
        zevkalon::validateSurface(surface, path);
    });
    return 0;
}

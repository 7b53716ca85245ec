// The host's NIfTI label-volume reader on arbitrary files: the first byte
// chooses plain or gzip-compressed naming, the rest is the file. The reader
// must refuse or accept with a consistent result, and never allocate what a
// header merely declares.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input_file.h"
#include "fuzz/host_error_only.h"
#include "host/readers/label_volume.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char* name = (data[0] & 1) != 0 ? "input.nii.gz" : "input.nii";
    const std::string path = tessarin::fuzz::writeInputFile(data + 1, size - 1, name);
    tessarin::fuzz::expectOnlyHostErrors([&] {
        const zevkalon::LabelVolume volume = zevkalon::readLabelVolume(path);
        const std::size_t count = static_cast<std::size_t>(volume.dims[0]) * static_cast<std::size_t>(volume.dims[1]) *
                                  static_cast<std::size_t>(volume.dims[2]);
        if (volume.dims[0] < 1 || volume.dims[1] < 1 || volume.dims[2] < 1 || volume.labels.size() != count) std::abort();
    });
    return 0;
}

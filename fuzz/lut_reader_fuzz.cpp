// The colour table (LUT) reader on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/host_error_only.h"
#include "host/readers/label_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    tessarin::fuzz::expectOnlyHostErrors([&] { zevkalon::parseLabelTable(in, "fuzz.lut"); });
    return 0;
}

// The host's POI file reader on arbitrary text. Whatever it accepts must be
// consistent: the counts it returns match the lists, and writing the result
// and reading it back gives the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/host_error_only.h"
#include "host/readers/poi_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    tessarin::fuzz::expectOnlyHostErrors([&] {
        const tessarin::POIFile file = zevkalon::parsePOIFile(in, "fuzz.poi");
        if (file.NrOfPOIs < 0 || static_cast<std::size_t>(file.NrOfPOIs) != file.POIs.size()) std::abort();
        for (const tessarin::POIRecord& poi : file.POIs) {
            if (poi.NrOfVertices < 0 || static_cast<std::size_t>(poi.NrOfVertices) != poi.Vertices.size()) std::abort();
        }
        std::ostringstream written;
        file.writeTo(written);
        std::istringstream again(written.str());
        std::ostringstream rewritten;
        zevkalon::parsePOIFile(again, "fuzz.poi").writeTo(rewritten);
        if (rewritten.str() != written.str()) std::abort();
    });
    return 0;
}

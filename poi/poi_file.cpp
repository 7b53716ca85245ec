#include "poi/poi_file.h"

#include <ostream>
#include <stdexcept>
#include <utility>

#include "poi/replace_file.h"

namespace tessarin {
namespace {

// Numbers go through std::to_string rather than the stream: the file format
// fixes plain decimals, and a stream may carry a locale with digit grouping
// or flags such as showpos that the host's reader would not understand.
std::string number(std::int32_t value) { return std::to_string(value); }

// The writer trusts the stored counts, so a count beyond its list would read
// past the list's end; such a file is refused before anything is written.
void checkCounts(const POIFile& file) {
    if (file.NrOfPOIs < 0 || static_cast<std::size_t>(file.NrOfPOIs) > file.POIs.size())
        throw std::logic_error("POI file: NrOfPOIs does not match its records");
    for (std::int32_t i = 0; i < file.NrOfPOIs; ++i) {
        const POIRecord& poi = file.POIs[static_cast<std::size_t>(i)];
        if (poi.NrOfVertices < 0 || static_cast<std::size_t>(poi.NrOfVertices) > poi.Vertices.size())
            throw std::logic_error("POI file: NrOfVertices of \"" + poi.NameOfPOI + "\" does not match its list");
    }
}

void writeRecord(std::ostream& out, const POIRecord& poi) {
    out << "NameOfPOI:        \"" << poi.NameOfPOI << "\"\n";
    out << "InfoTextFile:     \"" << poi.InfoTextFile << "\"\n";
    out << "ColorOfPOI:       " << number(poi.ColorOfPOI[0]) << ' ' << number(poi.ColorOfPOI[1]) << ' '
        << number(poi.ColorOfPOI[2]) << '\n';
    out << "LabelVertex:      " << number(poi.LabelVertex) << '\n';
    out << "NrOfVertices:     " << number(poi.NrOfVertices) << '\n';
    for (std::int32_t v = 0; v < poi.NrOfVertices; ++v)
        out << number(poi.Vertices[static_cast<std::size_t>(v)]) << '\n';
    out << '\n';
}

}  // namespace

void POIFile::saveAs(std::string path) {
    FileName = std::move(path);
    create();
}

void POIFile::create() {
    checkCounts(*this);
    // Never write in place: a failed save must leave an existing file whole.
    replaceFileWith(FileName, [this](std::ostream& out) { writeTo(out); });
}

std::ostream& POIFile::writeTo(std::ostream& out) const {
    checkCounts(*this);
    out << "FileVersion:      " << number(FileVersion) << "\n\n";
    out << "FromMeshFile:     \"" << FromMeshFile << "\"\n\n";
    out << "NrOfMeshVertices: " << number(NrOfMeshVertices) << "\n\n\n";
    out << "NrOfPOIs:         " << number(NrOfPOIs) << "\n\n";
    for (std::int32_t i = 0; i < NrOfPOIs; ++i) writeRecord(out, POIs[static_cast<std::size_t>(i)]);
    out << '\n';
    out << "NrOfPOIMTCs: " << number(NrOfPOIMTCs) << '\n';
    return out;
}

}  // namespace tessarin

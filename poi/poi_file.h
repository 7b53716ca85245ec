// The in-memory image of a POI file and its writer.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace tessarin {

// One patch of interest.
struct POIRecord {
    std::string NameOfPOI;
    std::string InfoTextFile;          // always empty in this system
    std::int32_t ColorOfPOI[3] = {0, 0, 0};  // red, green, blue, each 0..255
    std::int32_t LabelVertex = 0;
    // The stored vertex count. Whoever changes Vertices updates it; the
    // writer trusts it as the number of vertex lines.
    std::int32_t NrOfVertices = 0;
    std::vector<std::int32_t> Vertices;
};

// One POI file held in memory.
struct POIFile {
    std::string FileName;              // set by saveAs
    std::int32_t FileVersion = -1;
    std::string FromMeshFile;          // path of the mesh the records index
    std::int32_t NrOfMeshVertices = 0;
    std::int32_t NrOfPOIs = 0;         // number of records written; kept equal to POIs.size()
    std::int32_t NrOfPOIMTCs = 0;
    std::vector<POIRecord> POIs;

    // Sets FileName to path and writes the file (see create).
    void saveAs(std::string path);
    // Writes the file at FileName. Throws std::runtime_error when it cannot.
    void create();
    // Writes the POI text to out and returns it.
    std::ostream& writeTo(std::ostream& out) const;
};

}  // namespace tessarin

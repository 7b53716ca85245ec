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

    // Sets FileName to path, then writes the file (see create).
    void saveAs(std::string path);

    // Writes the POI text to the file FileName, creating it or replacing an
    // existing one. The text goes to a temporary file in the same folder that
    // replaces FileName only once it is completely written, so a failed save
    // leaves an existing file as it was and no partial file behind.
    // Throws std::runtime_error with "Cannot Create file: " + FileName when the
    // file cannot be created or replaced, "Cannot Write file: " + FileName or
    // "Cannot Close file: " + FileName when writing or closing fails, and
    // std::logic_error (writing nothing) when a count exceeds its list.
    void create();

    // Writes the POI text to out and returns out: the NrOfPOIs first records,
    // each with its NrOfVertices first vertices, one item per line, every
    // line ending in '\n' (CR LF on disk through a Windows text-mode stream).
    // Precondition: 0 <= NrOfPOIs <= POIs.size() and, for each written record,
    // 0 <= NrOfVertices <= Vertices.size(); otherwise throws std::logic_error
    // before writing anything.
    std::ostream& writeTo(std::ostream& out) const;
};

}  // namespace tessarin

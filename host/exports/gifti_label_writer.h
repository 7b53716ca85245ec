// Export of the loaded POIs as a GIFTI label file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "poi/poi_file.h"

namespace zevkalon {

// Per vertex, the key of the first POI that holds it (POI p has key p + 1),
// 0 for a vertex in no POI. Vertex indices outside 0 .. nrOfVertices - 1 are
// ignored (the POI reader has already refused them).
std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices);

// Writes a GIFTI label file (one LABEL data array of nrOfVertices int32 keys)
// with a label table of key 0 "???" (unassigned, transparent) and one label
// per POI in file order, named after it (a repeated name gets " #2", " #3"
// so that viewers can tell them apart) and coloured with its ColorOfPOI.
// Throws HostError(kExitExportFailed) naming the path when the build has no
// GIFTI library or the file cannot be written; a partly written file is removed.
void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path);

}  // namespace zevkalon

// Export of the loaded POIs as a GIFTI label file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/exports/gifti_writer.h"
#include "poi/poi_file.h"

namespace zevkalon {

// Per vertex, the key of the first POI that holds it (POI p has key p + 1),
// 0 for a vertex in no POI. Vertex indices outside 0 .. nrOfVertices - 1 are
// ignored (the POI reader has already refused them).
std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices);

// The label image of the POIs: one LABEL array of nrOfVertices int32 keys
// (vertexLabels) named "POIs", and a label table of key 0 "???" (unassigned,
// transparent) and one label per POI in file order, named after it (a
// repeated name gets " #2", " #3" so that viewers can tell them apart) and
// coloured with its ColorOfPOI, opaque.
gifti::Document giftiLabelDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices);

// Writes giftiLabelDocument atomically to path (see writeOutputFile).
// Throws HostError(kExitExportFailed) naming the path when it cannot.
void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path);

}  // namespace zevkalon

// Export of the loaded POIs as a GIFTI label file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/exports/gifti_writer.h"
#include "poi/poi_file.h"

namespace zevkalon {

// The label key of each POI: the label value of the voxels it was made from
// (sourceLabels[p] for POI p, so an aparc label 1001 stays 1001) when every
// POI has one and they are distinct and non-zero; else p + 1 for all.
std::vector<std::int32_t> poiLabelKeys(const tessarin::POIFile& pois, const std::vector<std::int32_t>& sourceLabels);

// The POIs' names for label tables and columns: a repeated name gets " #2",
// " #3", ... so that viewers can tell them apart.
std::vector<std::string> distinctPoiNames(const tessarin::POIFile& pois);

// Per vertex, the key of the first POI that holds it (keys[p] for POI p;
// p + 1 when keys is empty), 0 for a vertex in no POI. Vertex indices outside
// 0 .. nrOfVertices - 1 are ignored (the POI reader has already refused them).
std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                       const std::vector<std::int32_t>& keys = {});

// The label image of the POIs: one LABEL array of nrOfVertices int32 keys
// (vertexLabels) named "POIs", and a label table of key 0 "???" (unassigned,
// transparent) and one label per POI in file order, with its key, its
// distinct name and its ColorOfPOI, opaque. A non-empty structure is written
// as the file's AnatomicalStructurePrimary.
gifti::Document giftiLabelDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                   const std::vector<std::int32_t>& keys = {}, const std::string& structure = "");

// Writes giftiLabelDocument atomically to path (see writeOutputFile).
// Throws HostError(kExitExportFailed) naming the path when it cannot.
void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                      const std::vector<std::int32_t>& keys = {}, const std::string& structure = "");

}  // namespace zevkalon

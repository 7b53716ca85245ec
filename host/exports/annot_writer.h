// Export of the loaded POIs as a FreeSurfer annotation (.annot).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "poi/poi_file.h"

namespace zevkalon {

// The colour of each POI as an annotation value, R + G * 256 + B * 65536.
// FreeSurfer tells labels apart by this value alone, and 0 means "no
// label", so a POI whose colour is black or already taken by an earlier POI
// gets the nearest free value (its red component, then green, changed by
// the least amount that frees it); changed counts those POIs.
struct AnnotationColours {
    std::vector<std::int32_t> values;
    int changed = 0;
};
AnnotationColours annotationColours(const tessarin::POIFile& pois);

// Writes the annotation (the colour-table format of version 2, big-endian):
// every vertex with the value of the first POI that holds it, 0 for none,
// then a colour table of one entry per POI in file order (entry p: its
// distinct name and its colour from colours, opaque).
// Precondition: colours.values has one value per POI.
void writeAnnotation(std::ostream& out, const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                     const AnnotationColours& colours);

// Writes writeAnnotation atomically to path (see writeOutputFile), and a note
// on messages when colours had to be changed. Throws
// HostError(kExitExportFailed) naming the path when it cannot.
void writeAnnotationFile(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                         std::ostream& messages);

}  // namespace zevkalon

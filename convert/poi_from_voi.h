// Turning one VOI and its mapped vertices into a POI record.
#pragma once

#include <cstdint>
#include <string>

#include "geometry/vertex_list.h"
#include "poi/poi_file.h"

namespace tessarin {

// The record for a VOI named voiName with packed colour colour whose mapped
// list is vertices: the name (followed by " (empty)" when the list is
// empty), an empty info text, the decoded colour, the first vertex as label
// vertex (0 for an empty list) and the list with its length as stored count.
POIRecord poiFromVOI(const std::string& voiName, std::int32_t colour, VertexList vertices);

}  // namespace tessarin

#include "convert/poi_from_voi.h"

#include <utility>

#include "convert/voi_colour.h"

namespace tessarin {

POIRecord poiFromVOI(const std::string& voiName, std::int32_t colour, VertexList vertices) {
    POIRecord poi;
    poi.Vertices = std::move(vertices);
    poi.NrOfVertices = static_cast<std::int32_t>(poi.Vertices.size());
    const RGB rgb = decodeVOIColour(colour);
    poi.ColorOfPOI[0] = rgb.red;
    poi.ColorOfPOI[1] = rgb.green;
    poi.ColorOfPOI[2] = rgb.blue;
    poi.InfoTextFile.clear();
    poi.NameOfPOI = voiName;
    if (poi.NrOfVertices == 0) poi.NameOfPOI += " (empty)";
    // Set once here: the stages may later remove this vertex, and the label
    // keeps naming it (the host reads it only as a label).
    poi.LabelVertex = poi.NrOfVertices > 0 ? poi.Vertices.front() : 0;
    return poi;
}

}  // namespace tessarin

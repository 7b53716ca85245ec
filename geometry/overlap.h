// Taking vertices shared by several POIs away and handing each back to one.
#pragma once

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"
#include "poi/poi_file.h"

namespace tessarin {

// Every vertex that occurs two or more times over all records: ascending, each once.
VertexList findOverlapVertices(const POIFile& file);

// Removes from every record the first occurrence of each overlap vertex, then
// stores every record's new length in NrOfVertices.
void removeOverlapVertices(POIFile& file, const VertexList& overlap);

// Lets the records grow, one ring per pass and the lower record first, into
// the remaining vertices until none is left or a pass takes nothing; then
// stores every record's new length in NrOfVertices.
void redistributeVertices(POIFile& file, VertexList remaining, const SurfaceMesh& mesh);

}  // namespace tessarin

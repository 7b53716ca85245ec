// Growing and shrinking a vertex set by one ring.
#pragma once

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// The vertices outside set that neighbour a member of set: ascending, each once.
VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh);

// The entries of set that have a neighbour outside set, in set order (an
// entry listed twice is reported twice).
VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh);

}  // namespace tessarin

// Growing and shrinking a vertex set by one ring.
#pragma once

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// The outer ring of set: every vertex that stands in the neighbour row of a
// member but is not a member itself. Ascending, each vertex once. Empty for an
// empty set and for a set that covers whole connected parts of the mesh.
// Repeated entries change nothing.
// Preconditions: entries and neighbour rows hold indices 0 .. nrOfVertices - 1.
// Cost: O(entries + their neighbour rows + r log r) for a ring of r vertices.
VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh);

// The boundary of set: the entries that have a neighbour outside set, in set
// order. An entry listed twice is reported twice; a vertex without neighbours
// is never reported. Same preconditions; cost O(entries + their neighbour rows).
VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh);

}  // namespace tessarin

// Hole filling and edge smoothing of one POI's vertex list.
#pragma once

#include <cstdint>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// Rebuilds vertices patch by patch, in splitIntoPatches order, each patch
// followed by the vertices that close its holes.
//
// For one patch: while its outer ring falls into two or more ring regions
// (the pieces splitIntoPatches makes of the ascending ring), the smallest
// region (the earliest of equally small ones) is appended to the patch in
// region order, and the ring is taken again. So holes close from their edge
// inward, one layer per pass, smallest first, until one region is left. On a
// closed surface the outside of the patch counts like a hole.
//
// Order guarantees: the old order is not kept even when nothing is filled;
// repeated entries are not merged, and a patch lying in a hole of an earlier
// patch of the same list is taken in by that patch and stands again in its
// own turn. Preconditions as for splitIntoPatches.
void fillPatchHoles(VertexList& vertices, const SurfaceMesh& mesh);

// Closes the set on the mesh graph: grows vertices steps times by appending
// its outer ring (ascending), then shrinks it steps times by removing every
// occurrence of its boundary vertices. Only adds vertices: the old entries
// keep their order at the front, followed by the added ones in the order in
// which they were added. steps <= 0 changes nothing.
//
// Growing stops once the ring is empty and shrinking once the boundary is
// empty (the set cannot change any more), so any step count finishes in time
// bounded by the size of the mesh part the set reaches.
void smoothPatchEdges(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh);

}  // namespace tessarin

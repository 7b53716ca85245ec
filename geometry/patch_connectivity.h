// Connected patches of a vertex set, their area, and keeping the largest.
#pragma once

#include <cstdint>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// Splits vertices into connected patches (breadth-first, ring by ring, each
// seeded from the last unassigned entry). Patches come in seed order; each
// starts with its seed followed by its vertices in discovery order. Repeated
// entries are taken one occurrence at a time.
PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh);

// Area covered by the triangles whose three vertices all occur in vertices,
// summed in single precision over the triangles in ascending order. Lists of
// fewer than three entries have area 0.
float patchArea(const VertexList& vertices, const SurfaceMesh& mesh);

// What keepLargestPatch found.
struct LargestPatchResult {
    std::int32_t nrOfPatches = 0;
    float areaBefore = 0.0f;  // area of the whole list before the change
    float areaKept = 0.0f;    // area of the kept patch
};

// Replaces vertices by its patch of largest area (the earliest one among
// equals), in the patch's own order.
LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh);

}  // namespace tessarin

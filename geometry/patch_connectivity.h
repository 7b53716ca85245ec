// Connected patches of a vertex set, their area, and keeping the largest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// Splits vertices into connected patches, breadth-first and ring by ring.
//
// While entries are left unassigned: when the current patch has stopped
// growing, a new patch is seeded with the last unassigned entry; then every
// vertex added in the last ring contributes its neighbour row, in frontier
// order and stored row order, and each such candidate takes the first
// unassigned entry equal to it (if any), joining the patch and the next ring.
//
// Order guarantees: patches come in seed order (for an ascending list, the
// patch holding the highest index first); each patch starts with its seed,
// followed by its vertices ring by ring in discovery order. Repeated entries
// are taken one occurrence at a time, so a vertex listed twice may stand
// twice in one patch or form a patch of its own. Every entry ends up in
// exactly one patch. An empty list gives no patches.
//
// Preconditions: entries and neighbour rows hold indices 0 .. nrOfVertices - 1.
// Cost: O(entries + neighbour rows of the entries), whatever the mesh size.
PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh);

// The patches of splitIntoPatches in one list, without a list per patch:
// patch k is vertices[starts[k] .. starts[k + 1]), the same patches in the
// same order.
struct FlatPatches {
    VertexList vertices;
    std::vector<std::size_t> starts{0};

    std::size_t size() const { return starts.size() - 1; }
    std::size_t length(std::size_t k) const { return starts[k + 1] - starts[k]; }
    const VertexIndex* begin(std::size_t k) const { return vertices.data() + starts[k]; }
    const VertexIndex* end(std::size_t k) const { return vertices.data() + starts[k + 1]; }
};
FlatPatches splitIntoFlatPatches(const VertexList& vertices, const SurfaceMesh& mesh);

// Area covered by the triangles whose three vertices all occur in vertices,
// in squared mesh units. Summed in single precision over the triangles in
// ascending order, each adding 0.5f * sqrt(nx * nx + nz * nz + ny * ny) of the
// cross product n of its edges P1 - P0 and P2 - P0. Lists of fewer than three
// entries have area 0. Cost: O(entries + nrOfTriangles).
float patchArea(const VertexList& vertices, const SurfaceMesh& mesh);

// What keepLargestPatch found.
struct LargestPatchResult {
    std::int32_t nrOfPatches = 0;
    float areaBefore = 0.0f;  // area of the whole list before the change
    float areaKept = 0.0f;    // area of the kept patch
};

// Replaces vertices by its patch of largest area, in the patch's own order
// (seed first, then ring by ring), and reports the number of patches and the
// areas of the whole list and of the kept patch. Among patches of equal
// largest area the earliest in patch order wins; when all areas are 0, that
// is the first patch. An empty list stays empty and gives 0 patches and areas 0.
LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh);

}  // namespace tessarin

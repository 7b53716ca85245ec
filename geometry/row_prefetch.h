// Starting the loads of neighbour rows ahead of their use.
#pragma once

#include <cstddef>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// The walks over a vertex list visit rows in an order that the processor
// cannot guess, and on a mesh of hundreds of thousands of vertices nearly
// every row is a miss to main memory. A walk that knows which vertices come
// next asks for their rows early, so that the misses overlap instead of
// queueing: first the row's pointer and count, a little later (once those
// have arrived) the row itself.
class RowPrefetcher {
public:
    static constexpr std::size_t kPointerDistance = 16;
    static constexpr std::size_t kRowDistance = 8;

    explicit RowPrefetcher(const SurfaceMesh& mesh) : mesh_(mesh) {}

    // Call before visiting list[i] in a walk that goes through list in order.
    // Always inlined: a call to a function that does nothing but prefetch
    // counts as free of effects, and GCC would drop it.
    [[gnu::always_inline]] void ahead(const VertexList& list, std::size_t i) const {
        if (i + kPointerDistance < list.size()) {
            const VertexIndex far = list[i + kPointerDistance];
            __builtin_prefetch(mesh_.neighbours + far);
            __builtin_prefetch(mesh_.nrOfNeighbours + far);
        }
        if (i + kRowDistance < list.size()) __builtin_prefetch(mesh_.neighbours[list[i + kRowDistance]]);
    }

private:
    const SurfaceMesh& mesh_;
};

}  // namespace tessarin

#include "geometry/one_ring.h"

#include <algorithm>

#include "geometry/distinct_ascending.h"
#include "geometry/row_prefetch.h"
#include "geometry/vertex_bits.h"

namespace tessarin {

VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList ring;
    if (set.empty()) return ring;
    // Members, and then ring vertices as they are found.
    ScratchBits seen(mesh.nrOfVertices);
    for (VertexIndex v : set) seen->insert(v);
    const RowPrefetcher prefetch(mesh);
    for (std::size_t i = 0; i < set.size(); ++i) {
        prefetch.ahead(set, i);
        const VertexIndex v = set[i];
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            if (seen->insert(row[j])) ring.push_back(row[j]);
        }
    }
    sortDistinctAscending(ring);
    return ring;
}

VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList boundary;
    if (set.empty()) return boundary;
    ScratchBits member(mesh.nrOfVertices);
    for (VertexIndex v : set) member->insert(v);
    const RowPrefetcher prefetch(mesh);
    for (std::size_t i = 0; i < set.size(); ++i) {
        prefetch.ahead(set, i);
        const VertexIndex v = set[i];
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            if (!member->test(row[j])) {
                boundary.push_back(v);
                break;
            }
        }
    }
    return boundary;
}

}  // namespace tessarin

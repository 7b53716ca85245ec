#include "geometry/one_ring.h"

#include <algorithm>

#include "geometry/vertex_marks.h"

namespace tessarin {

namespace {
constexpr std::int32_t kMember = 1;
constexpr std::int32_t kInRing = 2;
}  // namespace

VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList ring;
    if (set.empty()) return ring;
    ScratchMarks marks(mesh.nrOfVertices);
    for (VertexIndex v : set) marks->set(v, kMember);
    for (VertexIndex v : set) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            const VertexIndex w = row[j];
            if (!marks->isSet(w)) {
                marks->set(w, kInRing);
                ring.push_back(w);
            }
        }
    }
    std::sort(ring.begin(), ring.end());
    return ring;
}

VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList boundary;
    if (set.empty()) return boundary;
    ScratchMarks member(mesh.nrOfVertices);
    for (VertexIndex v : set) member->set(v, kMember);
    for (VertexIndex v : set) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            if (!member->isSet(row[j])) {
                boundary.push_back(v);
                break;
            }
        }
    }
    return boundary;
}

}  // namespace tessarin

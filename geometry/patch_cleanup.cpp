#include "geometry/patch_cleanup.h"

#include <algorithm>
#include <utility>

#include "geometry/directed_ring_regions.h"
#include "geometry/distinct_ascending.h"
#include "geometry/mesh_index.h"
#include "geometry/patch_connectivity.h"
#include "geometry/ring_regions.h"
#include "geometry/row_prefetch.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_marks.h"

namespace tessarin {

namespace {

// For the vertices members[0 .. k), which slotOf maps back to their slots:
// the slots of the members whose rows name slot s, as
// namedBy[namedByStart[s] .. namedByStart[s + 1]).
void reverseRows(const VertexList& members, const VertexMarks& slotOf, const SurfaceMesh& mesh,
                 std::vector<std::int32_t>& namedByStart, std::vector<std::int32_t>& namedBy) {
    const std::size_t k = members.size();
    namedByStart.assign(k + 1, 0);
    for (std::size_t s = 0; s < k; ++s) {
        const VertexIndex u = members[s];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
            const VertexIndex w = mesh.neighbours[u][j];
            if (slotOf.isSet(w)) ++namedByStart[static_cast<std::size_t>(slotOf.get(w)) + 1];
        }
    }
    for (std::size_t s = 0; s < k; ++s) namedByStart[s + 1] += namedByStart[s];
    namedBy.resize(static_cast<std::size_t>(namedByStart[k]));
    std::vector<std::int32_t> fill(namedByStart.begin(), namedByStart.end() - 1);
    for (std::size_t s = 0; s < k; ++s) {
        const VertexIndex u = members[s];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
            const VertexIndex w = mesh.neighbours[u][j];
            if (slotOf.isSet(w)) {
                namedBy[static_cast<std::size_t>(fill[static_cast<std::size_t>(slotOf.get(w))]++)] =
                    static_cast<std::int32_t>(s);
            }
        }
    }
}

// Fills the holes of one patch in place. The ring's regions are kept up to
// date from pass to pass instead of being cut afresh, so a pass costs about
// what it changes rather than the whole ring: as connected components where
// rows are mutual (every mesh built from triangles), else in seed order.
// Precondition: the mesh has an index.
void fillHoles(VertexList& patch, const SurfaceMesh& mesh) {
    if (mesh.index->mutualRows) {
        RingRegions regions(mesh);
        regions.start(patch);
        while (regions.count() >= 2) regions.absorbSmallest(patch);
    } else {
        DirectedRingRegions regions(mesh, mesh.index->namedByStart, mesh.index->namedBy);
        regions.start(patch);
        while (regions.count() >= 2) regions.absorbSmallest(patch);
    }
}

// Smoothing for any neighbour rows: vertices get slots, and the shrink
// finds "who names me" in a table of reverse rows.
void smoothAnyRows(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh) {
    // Every vertex that is ever in the set gets a slot; members[slot] is the vertex.
    ScratchMarks slotOf(mesh.nrOfVertices);
    VertexList members;
    for (VertexIndex v : vertices) {
        if (!slotOf->isSet(v)) {
            slotOf->set(v, static_cast<std::int32_t>(members.size()));
            members.push_back(v);
        }
    }

    // Grow. All neighbours of the set before a step are in the grown set, so
    // the next ring comes from the neighbours of the last ring alone.
    VertexList ring;
    std::size_t layerBegin = 0;
    for (std::int32_t step = 0; step < steps; ++step) {
        const std::size_t layerEnd = members.size();
        ring.clear();
        for (std::size_t i = layerBegin; i < layerEnd; ++i) {
            const VertexIndex u = members[i];
            const std::int32_t* row = mesh.neighbours[u];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
                const VertexIndex w = row[j];
                if (!slotOf->isSet(w)) {
                    slotOf->set(w, -1);  // collected; slot assigned below, in ascending order
                    ring.push_back(w);
                }
            }
        }
        if (ring.empty()) break;  // the set covers its parts of the mesh: later rings are empty too
        sortDistinctAscending(ring);
        for (VertexIndex w : ring) {
            slotOf->set(w, static_cast<std::int32_t>(members.size()));
            members.push_back(w);
        }
        vertices.insert(vertices.end(), ring.begin(), ring.end());
        layerBegin = layerEnd;
    }

    // Shrink. A vertex still in the set can only join the boundary after a
    // vertex of its own neighbour row has left the set, so each step looks
    // only at the vertices whose rows name the last boundary.
    const std::size_t k = members.size();
    std::vector<std::int32_t> namedByStart, namedBy;
    reverseRows(members, *slotOf, mesh, namedByStart, namedBy);

    enum : char { kInSet = 0, kOnBoundary = 1, kRemoved = 2 };
    std::vector<char> state(k, kInSet);
    std::vector<std::int32_t> boundary, next;
    // Every vertex grown before the last layer has its whole row in the set,
    // so the boundary can only lie in the last layer.
    for (std::size_t s = layerBegin; s < k; ++s) {
        const VertexIndex u = members[s];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
            if (!slotOf->isSet(mesh.neighbours[u][j])) {
                boundary.push_back(static_cast<std::int32_t>(s));
                state[s] = kOnBoundary;
                break;
            }
        }
    }
    const auto enterBoundary = [&](std::size_t u) {
        if (state[u] == kInSet) {
            state[u] = kOnBoundary;
            next.push_back(static_cast<std::int32_t>(u));
        }
    };
    for (std::int32_t step = 0; step < steps && !boundary.empty(); ++step) {
        for (std::int32_t s : boundary) state[static_cast<std::size_t>(s)] = kRemoved;
        next.clear();
        for (std::int32_t s : boundary) {
            const auto first = static_cast<std::size_t>(namedByStart[static_cast<std::size_t>(s)]);
            const auto last = static_cast<std::size_t>(namedByStart[static_cast<std::size_t>(s) + 1]);
            for (std::size_t i = first; i < last; ++i) enterBoundary(static_cast<std::size_t>(namedBy[i]));
        }
        std::swap(boundary, next);
    }

    // Every occurrence of a removed vertex goes; the rest keep their order.
    vertices.erase(std::remove_if(vertices.begin(), vertices.end(),
                                  [&](VertexIndex v) {
                                      return state[static_cast<std::size_t>(slotOf->get(v))] == kRemoved;
                                  }),
                   vertices.end());
}

// Smoothing where every row is mutual: a vertex's own row names exactly
// the vertices whose rows name it, so sets of bits say everything and no
// slots or reverse rows are needed.
void smoothMutualRows(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh) {
    ScratchBits grown(mesh.nrOfVertices);
    for (VertexIndex v : vertices) grown->insert(v);

    // Grow. All neighbours of the set before a step are in the grown set, so
    // the next ring comes from the neighbours of the last ring alone.
    VertexList ring;
    const RowPrefetcher prefetch(mesh);
    std::size_t layerBegin = 0, layerEnd = vertices.size();
    for (std::int32_t step = 0; step < steps; ++step) {
        ring.clear();
        for (std::size_t i = layerBegin; i < layerEnd; ++i) {
            prefetch.ahead(vertices, i);
            const VertexIndex u = vertices[i];
            const std::int32_t* row = mesh.neighbours[u];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
                if (grown->insert(row[j])) ring.push_back(row[j]);
            }
        }
        // The set covers its parts of the mesh: no later ring, no boundary.
        if (ring.empty()) return;
        sortDistinctAscending(ring);
        vertices.insert(vertices.end(), ring.begin(), ring.end());
        layerBegin = layerEnd;
        layerEnd = vertices.size();
    }

    // Shrink. Every vertex grown before the last layer has its whole row in
    // the set, so the first boundary lies in the last layer; afterwards a
    // vertex can only join the boundary through a vertex that just left.
    ScratchBits flagged(mesh.nrOfVertices);  // on a boundary, or removed
    ScratchBits removed(mesh.nrOfVertices);
    VertexList boundary, next;
    for (std::size_t i = layerBegin; i < layerEnd; ++i) {
        prefetch.ahead(vertices, i);
        const VertexIndex u = vertices[i];
        const std::int32_t* row = mesh.neighbours[u];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
            if (!grown->test(row[j])) {
                boundary.push_back(u);
                flagged->insert(u);
                break;
            }
        }
    }
    for (std::int32_t step = 0; step < steps && !boundary.empty(); ++step) {
        for (VertexIndex v : boundary) removed->insert(v);
        next.clear();
        for (VertexIndex v : boundary) {
            const std::int32_t* row = mesh.neighbours[v];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
                const VertexIndex w = row[j];
                if (grown->test(w) && flagged->insert(w)) next.push_back(w);
            }
        }
        std::swap(boundary, next);
    }

    // Every occurrence of a removed vertex goes; the rest keep their order.
    vertices.erase(std::remove_if(vertices.begin(), vertices.end(), [&](VertexIndex v) { return removed->test(v); }),
                   vertices.end());
}

}  // namespace

void fillPatchHoles(VertexList& vertices, const SurfaceMesh& mesh) {
    if (vertices.empty()) return;
    // Whether rows are mutual, and the turned-around rows where they are not,
    // come from the mesh's index; a mesh without one gets one for this call.
    MeshIndex local;
    SurfaceMesh indexed = mesh;
    if (indexed.index == nullptr) {
        local = buildMeshIndex(mesh);
        indexed.index = &local;
    }
    const FlatPatches patches = splitIntoFlatPatches(vertices, indexed);
    vertices.clear();
    VertexList patch;
    for (std::size_t k = 0; k < patches.size(); ++k) {
        patch.assign(patches.begin(k), patches.end(k));
        fillHoles(patch, indexed);
        vertices.insert(vertices.end(), patch.begin(), patch.end());
    }
}


void smoothPatchEdges(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh) {
    if (steps <= 0 || vertices.empty()) return;
    if (hasMutualRows(mesh)) {
        smoothMutualRows(vertices, steps, mesh);
    } else {
        smoothAnyRows(vertices, steps, mesh);
    }
}

}  // namespace tessarin

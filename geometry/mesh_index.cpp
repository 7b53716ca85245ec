#include "geometry/mesh_index.h"

#include <algorithm>

namespace tessarin {

namespace {

// The rows turned around, filled in ascending order of the namer.
void turnRowsAround(const SurfaceMesh& mesh, std::vector<std::int32_t>& namedByStart, std::vector<std::int32_t>& namedBy) {
    const auto n = static_cast<std::size_t>(std::max(mesh.nrOfVertices, 0));
    namedByStart.assign(n + 1, 0);
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) ++namedByStart[static_cast<std::size_t>(row[j]) + 1];
    }
    for (std::size_t v = 0; v < n; ++v) namedByStart[v + 1] += namedByStart[v];
    namedBy.resize(static_cast<std::size_t>(namedByStart[n]));
    std::vector<std::int32_t> fill(namedByStart.begin(), namedByStart.end() - 1);
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            namedBy[static_cast<std::size_t>(fill[static_cast<std::size_t>(row[j])]++)] = static_cast<std::int32_t>(v);
        }
    }
}

}  // namespace

namespace {

// Whether v's row names any vertex twice (then counting is no proof).
bool hasRepeats(const std::int32_t* row, std::int32_t count) {
    for (std::int32_t j = 1; j < count; ++j) {
        if (row[j] <= row[j - 1]) {
            for (std::int32_t a = 0; a < count; ++a) {
                for (std::int32_t b = a + 1; b < count; ++b) {
                    if (row[a] == row[b]) return true;
                }
            }
            return false;
        }
    }
    return false;  // strictly ascending, as rows built from triangles are
}

bool rowNames(const SurfaceMesh& mesh, std::int32_t w, std::int32_t v) {
    const std::int32_t* row = mesh.neighbours[w];
    // Without an early exit: where v stands in the row is no guess for the
    // processor, how long the row is mostly is.
    bool named = false;
    for (std::int32_t k = 0; k < mesh.nrOfNeighbours[w]; ++k) named |= row[k] == v;
    return named;
}

}  // namespace

// Looks v up in the row of each higher neighbour w, and counts the distinct
// entries that name a higher and a lower vertex: when every "upward" entry
// has its reverse and there are as many "downward" entries as "upward"
// ones, every downward entry is the reverse of an upward one, so half the
// look-ups suffice. Neighbours in a mesh lie near each other in vertex
// order, so the rows looked up are mostly near the ones just read; the next
// vertex's are asked for ahead. No memory beyond the rows themselves: on a
// machine where fresh pages are dear, that beats turning the rows around.
bool neighbourRowsAreMutual(const SurfaceMesh& mesh) {
    const std::int32_t n = mesh.nrOfVertices;
    std::int64_t upward = 0, downward = 0;
    for (std::int32_t v = 0; v < n; ++v) {
        if (v + 1 < n) {
            const std::int32_t* next = mesh.neighbours[v + 1];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v + 1]; ++j) {
                if (next[j] > v + 1) __builtin_prefetch(mesh.neighbours[next[j]]);
            }
        }
        const std::int32_t* row = mesh.neighbours[v];
        const std::int32_t count = mesh.nrOfNeighbours[v];
        const bool repeats = hasRepeats(row, count);
        for (std::int32_t j = 0; j < count; ++j) {
            const std::int32_t w = row[j];
            if (w > v && !rowNames(mesh, w, v)) return false;
            if (repeats && std::find(row, row + j, w) != row + j) continue;  // counted already
            upward += w > v;
            downward += w < v;
        }
    }
    return upward == downward;
}

MeshIndex buildMeshIndex(const SurfaceMesh& mesh) {
    MeshIndex index = buildTriangleIndex(mesh);
    index.mutualRows = neighbourRowsAreMutual(mesh);
    // Mutual rows are their own turned-around rows.
    if (!index.mutualRows) turnRowsAround(mesh, index.namedByStart, index.namedBy);
    return index;
}

MeshIndex buildTriangleIndex(const SurfaceMesh& mesh) {
    MeshIndex index;
    const auto n = static_cast<std::size_t>(std::max(mesh.nrOfVertices, 0));
    index.firstTriangleOf.assign(n + 1, 0);
    const std::int32_t* corner = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, corner += 3) ++index.firstTriangleOf[static_cast<std::size_t>(*corner) + 1];
    for (std::size_t v = 0; v < n; ++v) index.firstTriangleOf[v + 1] += index.firstTriangleOf[v];
    index.trianglesByFirstCorner.resize(static_cast<std::size_t>(index.firstTriangleOf[n]));
    std::vector<std::int32_t> fill(index.firstTriangleOf.begin(), index.firstTriangleOf.end() - 1);
    corner = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, corner += 3) {
        index.trianglesByFirstCorner[static_cast<std::size_t>(fill[static_cast<std::size_t>(*corner)]++)] = t;
    }
    return index;
}

}  // namespace tessarin

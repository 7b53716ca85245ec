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

// Looks v up in the row of each of its neighbours. Neighbours in a mesh lie
// near each other in vertex order, so the rows looked up are mostly near
// the ones just read; the rows of the next vertex's neighbours are asked
// for ahead. No memory beyond the rows themselves: on a machine where
// fresh pages are dear, that beats turning the rows around.
bool neighbourRowsAreMutual(const SurfaceMesh& mesh) {
    const std::int32_t n = mesh.nrOfVertices;
    for (std::int32_t v = 0; v < n; ++v) {
        if (v + 1 < n) {
            const std::int32_t* next = mesh.neighbours[v + 1];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v + 1]; ++j) __builtin_prefetch(mesh.neighbours[next[j]]);
        }
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            const std::int32_t w = row[j];
            const std::int32_t* back = mesh.neighbours[w];
            // Without an early exit: where v stands in the row is no guess
            // for the processor, how long the row is mostly is.
            bool named = false;
            for (std::int32_t k = 0; k < mesh.nrOfNeighbours[w]; ++k) named |= back[k] == v;
            if (!named) return false;
        }
    }
    return true;
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

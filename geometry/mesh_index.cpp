#include "geometry/mesh_index.h"

#include <algorithm>

namespace tessarin {

bool neighbourRowsAreMutual(const SurfaceMesh& mesh) {
    for (std::int32_t v = 0; v < mesh.nrOfVertices; ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            const std::int32_t w = row[j];
            const std::int32_t* back = mesh.neighbours[w];
            const std::int32_t* backEnd = back + mesh.nrOfNeighbours[w];
            if (std::find(back, backEnd, v) == backEnd) return false;
        }
    }
    return true;
}

MeshIndex buildMeshIndex(const SurfaceMesh& mesh) {
    MeshIndex index = buildTriangleIndex(mesh);
    index.mutualRows = neighbourRowsAreMutual(mesh);
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

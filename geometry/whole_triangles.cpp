#include "geometry/whole_triangles.h"

#include <algorithm>
#include <cmath>

#include "geometry/distinct_ascending.h"
#include "geometry/mesh_index.h"

namespace tessarin {

float triangleArea(const SurfaceMesh& mesh, std::int32_t t) {
    const std::int32_t* tri = mesh.triangles + 3 * static_cast<std::size_t>(t);
    const std::int32_t i0 = tri[0], i1 = tri[1], i2 = tri[2];
    const float ux = mesh.vertexX[i1] - mesh.vertexX[i0];
    const float uy = mesh.vertexY[i1] - mesh.vertexY[i0];
    const float uz = mesh.vertexZ[i1] - mesh.vertexZ[i0];
    const float wx = mesh.vertexX[i2] - mesh.vertexX[i0];
    const float wy = mesh.vertexY[i2] - mesh.vertexY[i0];
    const float wz = mesh.vertexZ[i2] - mesh.vertexZ[i0];
    const float nx = uy * wz - uz * wy;
    const float ny = uz * wx - ux * wz;
    const float nz = ux * wy - uy * wx;
    return 0.5f * std::sqrt(nx * nx + nz * nz + ny * ny);
}


void findWholeTriangles(const VertexList& vertices, const VertexBits& members, const SurfaceMesh& mesh,
                        std::vector<std::int32_t>& whole) {
    whole.clear();
    if (mesh.index == nullptr) {
        const std::int32_t* tri = mesh.triangles;
        for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, tri += 3) {
            if (members.test(tri[0]) && members.test(tri[1]) && members.test(tri[2])) whole.push_back(t);
        }
        return;
    }
    const MeshIndex& index = *mesh.index;
    for (VertexIndex v : vertices) {
        const auto first = static_cast<std::size_t>(index.firstTriangleOf[static_cast<std::size_t>(v)]);
        const auto last = static_cast<std::size_t>(index.firstTriangleOf[static_cast<std::size_t>(v) + 1]);
        for (std::size_t k = first; k < last; ++k) {
            const std::int32_t t = index.trianglesByFirstCorner[k];
            const std::int32_t* tri = mesh.triangles + 3 * static_cast<std::size_t>(t);
            if (members.test(tri[1]) && members.test(tri[2])) whole.push_back(t);
        }
    }
    sortDistinctAscending(whole);
}

}  // namespace tessarin

#include "geometry/mesh_data.h"

#include <algorithm>
#include <cmath>

namespace tessarin {

std::vector<std::vector<std::int32_t>> buildNeighbourLists(std::int32_t nrOfVertices,
                                                           const std::vector<std::int32_t>& triangles) {
    std::vector<std::vector<std::int32_t>> rows(static_cast<std::size_t>(std::max(nrOfVertices, 0)));
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const std::int32_t a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
        rows[a].push_back(b), rows[a].push_back(c);
        rows[b].push_back(a), rows[b].push_back(c);
        rows[c].push_back(a), rows[c].push_back(b);
    }
    for (auto& row : rows) {
        std::sort(row.begin(), row.end());
        row.erase(std::unique(row.begin(), row.end()), row.end());
    }
    return rows;
}

void MeshData::buildNeighbours() { neighbours = buildNeighbourLists(nrOfVertices(), triangles); }

void MeshData::computeNormals() {
    // Summed in double so the result does not depend on triangle order more
    // than it must; stored as float like the positions.
    const std::size_t n = x.size();
    std::vector<double> sx(n, 0.0), sy(n, 0.0), sz(n, 0.0);
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const std::int32_t i0 = triangles[t], i1 = triangles[t + 1], i2 = triangles[t + 2];
        const double ux = double(x[i1]) - x[i0], uy = double(y[i1]) - y[i0], uz = double(z[i1]) - z[i0];
        const double wx = double(x[i2]) - x[i0], wy = double(y[i2]) - y[i0], wz = double(z[i2]) - z[i0];
        const double cx = uy * wz - uz * wy, cy = uz * wx - ux * wz, cz = ux * wy - uy * wx;
        for (std::int32_t v : {i0, i1, i2}) sx[v] += cx, sy[v] += cy, sz[v] += cz;
    }
    nx.assign(n, 0.0f), ny.assign(n, 0.0f), nz.assign(n, 0.0f);
    for (std::size_t v = 0; v < n; ++v) {
        const double length = std::sqrt(sx[v] * sx[v] + sy[v] * sy[v] + sz[v] * sz[v]);
        if (length > 0.0) {
            nx[v] = static_cast<float>(sx[v] / length);
            ny[v] = static_cast<float>(sy[v] / length);
            nz[v] = static_cast<float>(sz[v] / length);
        }
    }
}

SurfaceMesh MeshData::view() const {
    neighbourCounts_.resize(neighbours.size());
    neighbourRows_.resize(neighbours.size());
    for (std::size_t v = 0; v < neighbours.size(); ++v) {
        neighbourCounts_[v] = static_cast<std::int32_t>(neighbours[v].size());
        neighbourRows_[v] = neighbours[v].data();
    }
    SurfaceMesh mesh;
    mesh.nrOfVertices = nrOfVertices();
    mesh.vertexX = x.data(), mesh.vertexY = y.data(), mesh.vertexZ = z.data();
    mesh.normalX = nx.data(), mesh.normalY = ny.data(), mesh.normalZ = nz.data();
    mesh.nrOfTriangles = nrOfTriangles();
    mesh.triangles = triangles.data();
    mesh.nrOfNeighbours = neighbourCounts_.data();
    mesh.neighbours = neighbourRows_.data();
    return mesh;
}

}  // namespace tessarin

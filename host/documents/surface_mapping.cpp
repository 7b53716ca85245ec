#include "host/documents/surface_mapping.h"

#include <cmath>

#include "host/phase_timings.h"

namespace zevkalon {

namespace {

std::vector<double> worldNormals(const SurfaceFile& surface) {
    const std::vector<double>& p = surface.positions;
    std::vector<double> sums(p.size(), 0.0);
    for (std::size_t t = 0; t + 2 < surface.triangles.size(); t += 3) {
        const std::size_t a = 3 * static_cast<std::size_t>(surface.triangles[t]);
        const std::size_t b = 3 * static_cast<std::size_t>(surface.triangles[t + 1]);
        const std::size_t c = 3 * static_cast<std::size_t>(surface.triangles[t + 2]);
        const double u[3] = {p[b] - p[a], p[b + 1] - p[a + 1], p[b + 2] - p[a + 2]};
        const double w[3] = {p[c] - p[a], p[c + 1] - p[a + 1], p[c + 2] - p[a + 2]};
        // Unnormalised, so larger triangles weigh more.
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        for (std::size_t corner : {a, b, c}) {
            for (int k = 0; k < 3; ++k) sums[corner + k] += n[k];
        }
    }
    for (std::size_t v = 0; v < sums.size(); v += 3) {
        const double length = std::sqrt(sums[v] * sums[v] + sums[v + 1] * sums[v + 1] + sums[v + 2] * sums[v + 2]);
        for (int k = 0; k < 3; ++k) sums[v + k] = length > 0.0 ? sums[v + k] / length : 0.0;
    }
    return sums;
}

}  // namespace

HostMesh mapSurfaceToVoxelGrid(SurfaceFile& surface, const Affine& worldToVoxel) {
    HostMesh mesh;
    {
        const std::vector<double> normals = surface.normals.empty() ? worldNormals(surface) : std::move(surface.normals);
        surface.normals.clear();
        const std::size_t count = static_cast<std::size_t>(surface.nrOfVertices());
        mesh.x.resize(count), mesh.y.resize(count), mesh.z.resize(count);
        mesh.nx.resize(count), mesh.ny.resize(count), mesh.nz.resize(count);
        for (std::size_t v = 0; v < count; ++v) {
            double point[3], direction[3];
            worldToVoxel.mapPoint(&surface.positions[3 * v], point);
            worldToVoxel.mapDirection(&normals[3 * v], direction);
            mesh.x[v] = static_cast<float>(point[0]);
            mesh.y[v] = static_cast<float>(point[1]);
            mesh.z[v] = static_cast<float>(point[2]);
            mesh.nx[v] = static_cast<float>(direction[0]);
            mesh.ny[v] = static_cast<float>(direction[1]);
            mesh.nz[v] = static_cast<float>(direction[2]);
        }
    }
    mesh.triangles = std::move(surface.triangles);
    surface.triangles.clear();
    const PhaseTimer timer("neighbours");
    mesh.neighbours = NeighbourLists(mesh.nrOfVertices(), mesh.triangles);
    return mesh;
}

}  // namespace zevkalon

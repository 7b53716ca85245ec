#include "geometry/mesh_shapes.h"

#include <cmath>
#include <unordered_map>

namespace tessarin {

namespace {

// Index of the midpoint of edge (a, b), created on first use.
class MidpointCache {
public:
    explicit MidpointCache(MeshData& mesh) : mesh_(mesh) {}

    std::int32_t midpoint(std::int32_t a, std::int32_t b) {
        const std::uint64_t key = (std::uint64_t(std::min(a, b)) << 32) | std::uint32_t(std::max(a, b));
        auto found = cache_.find(key);
        if (found != cache_.end()) return found->second;
        const std::int32_t index = mesh_.nrOfVertices();
        float mx = 0.5f * (mesh_.x[a] + mesh_.x[b]);
        float my = 0.5f * (mesh_.y[a] + mesh_.y[b]);
        float mz = 0.5f * (mesh_.z[a] + mesh_.z[b]);
        const float length = std::sqrt(mx * mx + my * my + mz * mz);
        mesh_.x.push_back(mx / length), mesh_.y.push_back(my / length), mesh_.z.push_back(mz / length);
        cache_.emplace(key, index);
        return index;
    }

private:
    MeshData& mesh_;
    std::unordered_map<std::uint64_t, std::int32_t> cache_;
};

}  // namespace

MeshData makeIcosphere(int subdivisions, float radius, float cx, float cy, float cz) {
    MeshData mesh;
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    const float corners[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                                  {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const auto& c : corners) {
        const float length = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
        mesh.x.push_back(c[0] / length), mesh.y.push_back(c[1] / length), mesh.z.push_back(c[2] / length);
    }
    mesh.triangles = {0, 11, 5, 0, 5,  1,  0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                      4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                      6, 8,  3, 8,  9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int level = 0; level < subdivisions; ++level) {
        MidpointCache cache(mesh);
        std::vector<std::int32_t> finer;
        finer.reserve(mesh.triangles.size() * 4);
        for (std::size_t i = 0; i < mesh.triangles.size(); i += 3) {
            const std::int32_t a = mesh.triangles[i], b = mesh.triangles[i + 1], c = mesh.triangles[i + 2];
            const std::int32_t ab = cache.midpoint(a, b), bc = cache.midpoint(b, c), ca = cache.midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        mesh.triangles.swap(finer);
    }
    // Unit-sphere positions are their own outward normals.
    mesh.nx = mesh.x, mesh.ny = mesh.y, mesh.nz = mesh.z;
    for (std::size_t v = 0; v < mesh.x.size(); ++v) {
        mesh.x[v] = cx + radius * mesh.x[v];
        mesh.y[v] = cy + radius * mesh.y[v];
        mesh.z[v] = cz + radius * mesh.z[v];
    }
    mesh.buildNeighbours();
    return mesh;
}

MeshData makeGrid(std::int32_t columns, std::int32_t rows, float spacing) {
    MeshData mesh;
    for (std::int32_t j = 0; j < rows; ++j) {
        for (std::int32_t i = 0; i < columns; ++i) {
            mesh.x.push_back(static_cast<float>(i) * spacing);
            mesh.y.push_back(static_cast<float>(j) * spacing);
            mesh.z.push_back(0.0f);
        }
    }
    for (std::int32_t j = 0; j + 1 < rows; ++j) {
        for (std::int32_t i = 0; i + 1 < columns; ++i) {
            const std::int32_t v = i + j * columns;
            mesh.triangles.insert(mesh.triangles.end(), {v, v + 1, v + columns + 1, v, v + columns + 1, v + columns});
        }
    }
    mesh.nx.assign(mesh.x.size(), 0.0f), mesh.ny.assign(mesh.x.size(), 0.0f), mesh.nz.assign(mesh.x.size(), 1.0f);
    mesh.buildNeighbours();
    return mesh;
}

}  // namespace tessarin

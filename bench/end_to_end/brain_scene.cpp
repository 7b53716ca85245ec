#include "bench/end_to_end/brain_scene.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace tessarin::bench {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentre[3] = {90.0, 108.0, 90.0};
constexpr double kRadii[3] = {64.0, 80.0, 62.0};
constexpr int kParcels = 110;
constexpr int kDeepRegions = 6;

// The surface's distance from the centre along the unit direction d: an
// ellipsoid with gyri and sulci about 9 mm deep and 15 to 20 mm apart.
double surfaceRadius(const double d[3]) {
    const double e = std::sqrt((d[0] / kRadii[0]) * (d[0] / kRadii[0]) + (d[1] / kRadii[1]) * (d[1] / kRadii[1]) +
                               (d[2] / kRadii[2]) * (d[2] / kRadii[2]));
    const double folds = 0.065 * std::sin(23.0 * d[0] + 0.4) * std::sin(27.0 * d[1] + 1.1) * std::sin(25.0 * d[2] + 2.3) +
                         0.02 * std::sin(9.0 * d[0] + 2.0 * d[2] + 0.7);
    return (1.0 + folds) / e;
}

// Small spots in direction space, about a millimetre or two across on the
// surface: where a parcel has a hole, or an island of its neighbour.
bool holeSpot(const double d[3]) { return std::sin(57.0 * d[0]) * std::sin(61.0 * d[1]) * std::sin(59.0 * d[2]) > 0.72; }
bool islandSpot(const double d[3]) {
    return std::sin(31.0 * d[0] + 1.0) * std::sin(29.0 * d[1] + 0.5) * std::sin(33.0 * d[2] + 0.2) > 0.8;
}

// Parcel seeds spread evenly over the sphere (Fibonacci lattice).
std::vector<std::array<double, 3>> parcelSeeds() {
    std::vector<std::array<double, 3>> seeds;
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int k = 0; k < kParcels; ++k) {
        const double y = 1.0 - 2.0 * (k + 0.5) / kParcels;
        const double r = std::sqrt(1.0 - y * y);
        seeds.push_back({r * std::cos(golden * k), y, r * std::sin(golden * k)});
    }
    return seeds;
}

// The folded surface: a cube whose faces are edgePoints x edgePoints grids,
// pushed out onto the surface along the (tangent-warped) cube directions so
// the triangles come out about equally large.
MeshData makeFoldedSurface(int edgePoints) {
    MeshData mesh;
    const int last = edgePoints - 1;
    std::unordered_map<std::int64_t, std::int32_t> indexOf;
    indexOf.reserve(static_cast<std::size_t>(6 * edgePoints * edgePoints));
    auto vertex = [&](int a, int b, int c) {
        const std::int64_t key = (static_cast<std::int64_t>(a) * edgePoints + b) * edgePoints + c;
        const auto found = indexOf.find(key);
        if (found != indexOf.end()) return found->second;
        double d[3];
        const int lattice[3] = {a, b, c};
        double length = 0.0;
        for (int i = 0; i < 3; ++i) {
            d[i] = std::tan((2.0 * lattice[i] / last - 1.0) * kPi / 4.0);
            length += d[i] * d[i];
        }
        length = std::sqrt(length);
        for (double& component : d) component /= length;
        const double r = surfaceRadius(d);
        const std::int32_t index = mesh.nrOfVertices();
        mesh.x.push_back(static_cast<float>(kCentre[0] + r * d[0]));
        mesh.y.push_back(static_cast<float>(kCentre[1] + r * d[1]));
        mesh.z.push_back(static_cast<float>(kCentre[2] + r * d[2]));
        indexOf.emplace(key, index);
        return index;
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (int side : {0, last}) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            // (u, v, axis) is right-handed: the quad's winding faces +axis,
            // so the high side keeps it and the low side turns it round.
            const bool flip = side == 0;
            for (int i = 0; i < last; ++i) {
                for (int j = 0; j < last; ++j) {
                    std::int32_t corner[4];
                    const int steps[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                    for (int k = 0; k < 4; ++k) {
                        int lattice[3];
                        lattice[axis] = side;
                        lattice[u] = i + steps[k][0];
                        lattice[v] = j + steps[k][1];
                        corner[k] = vertex(lattice[0], lattice[1], lattice[2]);
                    }
                    if (flip) {
                        mesh.triangles.insert(mesh.triangles.end(),
                                              {corner[0], corner[2], corner[1], corner[0], corner[3], corner[2]});
                    } else {
                        mesh.triangles.insert(mesh.triangles.end(),
                                              {corner[0], corner[1], corner[2], corner[0], corner[2], corner[3]});
                    }
                }
            }
        }
    }
    mesh.computeNormals();
    mesh.buildNeighbours();
    return mesh;
}

}  // namespace

std::size_t BrainScene::totalVoxels() const {
    std::size_t total = 0;
    for (const SceneVOI& voi : vois) total += voi.voxels.size() / 3;
    return total;
}

BrainScene makeBrainScene(int edgePoints) {
    BrainScene scene;
    scene.mesh = makeFoldedSurface(edgePoints);

    // Label every voxel of the band from 0.5 mm inside to 3.5 mm outside the
    // surface with the parcel whose seed is nearest in direction (the second
    // nearest on island spots, none on hole spots), so that the sampling
    // range -1 .. 3 reaches it from the vertices.
    const std::vector<std::array<double, 3>> seeds = parcelSeeds();
    const int nx = scene.dims[0], ny = scene.dims[1], nz = scene.dims[2];
    std::vector<std::uint8_t> labels(static_cast<std::size_t>(nx) * ny * nz, 0);
    for (int z = 0; z < nz; ++z) {
        for (int y = 0; y < ny; ++y) {
            for (int x = 0; x < nx; ++x) {
                const double v[3] = {x - kCentre[0], y - kCentre[1], z - kCentre[2]};
                const double r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
                if (r < 40.0) continue;
                const double d[3] = {v[0] / r, v[1] / r, v[2] / r};
                const double surface = surfaceRadius(d);
                if (r < surface - 0.5 || r > surface + 3.5 || holeSpot(d)) continue;
                int best = 0, second = 0;
                double bestDot = -2.0, secondDot = -2.0;
                for (int k = 0; k < kParcels; ++k) {
                    const double dot = d[0] * seeds[k][0] + d[1] * seeds[k][1] + d[2] * seeds[k][2];
                    if (dot > bestDot) {
                        second = best, secondDot = bestDot;
                        best = k, bestDot = dot;
                    } else if (dot > secondDot) {
                        second = k, secondDot = dot;
                    }
                }
                labels[static_cast<std::size_t>(x + (y + static_cast<std::size_t>(z) * ny) * nx)] =
                    static_cast<std::uint8_t>(1 + (islandSpot(d) ? second : best));
            }
        }
    }
    // Deep regions: balls around the centre, out of reach of every vertex.
    for (int k = 0; k < kDeepRegions; ++k) {
        const double cx = kCentre[0] + (k % 2 == 0 ? -12.0 : 12.0), cy = kCentre[1] + 8.0 * (k / 2 - 1), cz = kCentre[2];
        for (int z = -5; z <= 5; ++z) {
            for (int y = -5; y <= 5; ++y) {
                for (int x = -5; x <= 5; ++x) {
                    if (x * x + y * y + z * z > 25) continue;
                    const int vx = static_cast<int>(cx) + x, vy = static_cast<int>(cy) + y, vz = static_cast<int>(cz) + z;
                    labels[static_cast<std::size_t>(vx + (vy + static_cast<std::size_t>(vz) * ny) * nx)] =
                        static_cast<std::uint8_t>(1 + kParcels + k);
                }
            }
        }
    }

    scene.vois.resize(kParcels + kDeepRegions);
    for (int k = 0; k < kParcels + kDeepRegions; ++k) {
        char name[32];
        if (k < kParcels) {
            std::snprintf(name, sizeof name, "Parcel_%03d", k + 1);
        } else {
            std::snprintf(name, sizeof name, "Deep_%d", k - kParcels + 1);
        }
        scene.vois[static_cast<std::size_t>(k)].name = name;
        scene.vois[static_cast<std::size_t>(k)].color = ((37 * k + 90) % 256) * 65536 + ((91 * k + 30) % 256) * 256 +
                                                        (53 * k + 200) % 256;
    }
    for (int z = 0; z < nz; ++z) {
        for (int y = 0; y < ny; ++y) {
            for (int x = 0; x < nx; ++x) {
                const std::uint8_t label = labels[static_cast<std::size_t>(x + (y + static_cast<std::size_t>(z) * ny) * nx)];
                if (label != 0) scene.vois[label - 1u].voxels.insert(scene.vois[label - 1u].voxels.end(), {x, y, z});
            }
        }
    }
    return scene;
}

}  // namespace tessarin::bench

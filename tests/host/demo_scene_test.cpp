#include "host/app/demo_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace zevkalon {
namespace {

// Built once: the scene takes a moment.
const DemoScene& scene() {
    static const DemoScene built = makeDemoScene();
    return built;
}

TEST(DemoScene, IsABrainSizedClosedSurfaceInsideTheVolume) {
    const HostMesh& mesh = scene().surface.mesh;
    EXPECT_EQ(mesh.nrOfVertices(), 40962);
    EXPECT_EQ(scene().volume.dims[0], 256);
    // Closed: every edge is shared by exactly two triangles.
    std::map<std::pair<std::int32_t, std::int32_t>, int> edges;
    for (std::size_t t = 0; t < mesh.triangles.size(); t += 3) {
        for (int e = 0; e < 3; ++e) {
            const std::int32_t a = mesh.triangles[t + e], b = mesh.triangles[t + (e + 1) % 3];
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    }
    for (const auto& [edge, count] : edges) ASSERT_EQ(count, 2);
    float low[3] = {1e9f, 1e9f, 1e9f}, high[3] = {-1e9f, -1e9f, -1e9f};
    for (std::int32_t v = 0; v < mesh.nrOfVertices(); ++v) {
        const float p[3] = {mesh.x[v], mesh.y[v], mesh.z[v]};
        for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
        // Unit normals pointing away from the centre (the folds never turn
        // the surface over).
        const float n[3] = {mesh.nx[v], mesh.ny[v], mesh.nz[v]};
        ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f);
        ASSERT_GT(n[0] * (p[0] - 128) + n[1] * (p[1] - 128) + n[2] * (p[2] - 128), 0.0f) << v;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_GT(high[k] - low[k], 100.0f);  // a brain is 12 to 18 cm across
        EXPECT_LT(high[k] - low[k], 200.0f);
        EXPECT_GT(low[k], 3.0f);
        EXPECT_LT(high[k], 252.0f);
    }
}

TEST(DemoScene, VoisOverlapHaveHolesComeInTwoPiecesOrReachNothing) {
    const std::vector<VoiData>& vois = scene().volume.vois;
    ASSERT_EQ(vois.size(), 6u);
    std::vector<std::set<std::array<std::int32_t, 3>>> sets(vois.size());
    for (std::size_t i = 0; i < vois.size(); ++i) {
        EXPECT_FALSE(vois[i].name.empty());
        for (std::size_t t = 0; t < vois[i].voxels.size(); t += 3) {
            const std::array<std::int32_t, 3> voxel = {vois[i].voxels[t], vois[i].voxels[t + 1], vois[i].voxels[t + 2]};
            for (std::int32_t c : voxel) ASSERT_TRUE(c >= 0 && c < 256);
            // Storage order, no repeats.
            if (t > 0) {
                const std::array<std::int32_t, 3> previous = {vois[i].voxels[t - 1], vois[i].voxels[t - 2],
                                                              vois[i].voxels[t - 3]};
                ASSERT_LT(previous, (std::array<std::int32_t, 3>{voxel[2], voxel[1], voxel[0]})) << vois[i].name;
            }
            sets[i].insert(voxel);
        }
    }
    // "Overlap A" and "Overlap B" share voxels.
    std::size_t shared = 0;
    for (const auto& voxel : sets[1]) shared += sets[2].count(voxel);
    EXPECT_GT(shared, 100u);
    // The deep VOI lies more than 10 voxels from every vertex, beyond any
    // offset the demo samples.
    const HostMesh& mesh = scene().surface.mesh;
    double nearest = 1e9;
    for (const auto& voxel : sets[5]) {
        for (std::int32_t v = 0; v < mesh.nrOfVertices(); v += 7) {
            const double dx = mesh.x[v] - voxel[0], dy = mesh.y[v] - voxel[1], dz = mesh.z[v] - voxel[2];
            nearest = std::min(nearest, dx * dx + dy * dy + dz * dz);
        }
    }
    EXPECT_GT(std::sqrt(nearest), 10.0);
    // Two pieces: its voxels fall into two groups with no voxel in common reach.
    const auto& pieces = sets[4];
    std::set<std::array<std::int32_t, 3>> reached = {*pieces.begin()};
    std::vector<std::array<std::int32_t, 3>> stack = {*pieces.begin()};
    while (!stack.empty()) {
        const auto voxel = stack.back();
        stack.pop_back();
        for (int k = 0; k < 3; ++k) {
            for (int step : {-1, 1}) {
                auto next = voxel;
                next[k] += step;
                if (pieces.count(next) && reached.insert(next).second) stack.push_back(next);
            }
        }
    }
    EXPECT_LT(reached.size(), pieces.size());
    EXPECT_GT(reached.size(), 0u);
}

TEST(DemoScene, IsTheSameOnEveryCall) {
    const DemoScene again = makeDemoScene();
    EXPECT_EQ(again.surface.mesh.x, scene().surface.mesh.x);
    EXPECT_EQ(again.surface.mesh.nz, scene().surface.mesh.nz);
    EXPECT_EQ(again.volume.vois[3].voxels, scene().volume.vois[3].voxels);
    EXPECT_EQ(demoParameters().get("NrSmooth"), 2.0);
    EXPECT_EQ(demoParameters().get("NoOverlap"), 1.0);
}

}  // namespace
}  // namespace zevkalon

// The fast mapping against the literal one on many generated scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "geometry/mesh_shapes.h"
#include "geometry/voi_mapping.h"
#include "tests/support/reference_mapping.h"

namespace tessarin {
namespace {

using testing::VoiStore;

struct Scene {
    VoxelGrid grid;
    VoiStore store;
    MeshData mesh;
};

class SceneMaker {
public:
    explicit SceneMaker(unsigned seed) : random_(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random_); }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    // unitNormals: every normal scaled to length 1 (or 0); shortNormals:
    // every normal scaled to a length of 0.01 to 0.15, so that samples
    // linger in each cell for dozens to hundreds of offsets.
    Scene make(bool unitNormals, bool shortNormals = false) {
        Scene scene;
        VoxelGrid& grid = scene.grid;
        grid.dimX = pick(1, 20), grid.dimY = pick(1, 20), grid.dimZ = pick(1, 20);
        if (chance(0.03)) grid.dimY = pick(-3, 0);  // a grid without voxels
        grid.coordsType = chance(0.5) ? 3 : pick(0, 2);
        grid.orientationCode = chance(0.5) ? 2 : pick(0, 1);
        const int nrOfVOIs = pick(0, 5);
        for (int k = 0; k < nrOfVOIs; ++k) scene.store.vois.push_back(makeVoi(grid));
        scene.mesh = makeMesh(grid, unitNormals || shortNormals);
        if (shortNormals) {
            MeshData& mesh = scene.mesh;
            for (std::size_t v = 0; v < mesh.x.size(); ++v) {
                const float length = uniform(0.01f, 0.15f);
                mesh.nx[v] *= length, mesh.ny[v] *= length, mesh.nz[v] *= length;
            }
        }
        return scene;
    }

private:
    // The triple that the grid's coding maps onto cell (x, y, z).
    void addCell(const VoxelGrid& grid, std::int64_t x, std::int64_t y, std::int64_t z,
                 std::vector<std::int32_t>& triples) {
        if (grid.coordsType != 3) {
            triples.insert(triples.end(), {std::int32_t(x), std::int32_t(y), std::int32_t(z)});
            return;
        }
        const std::int64_t c0 = grid.orientationCode == 2 ? z - 128 : 128 - z;
        triples.insert(triples.end(), {std::int32_t(c0), std::int32_t(128 - x), std::int32_t(128 - y)});
    }

    std::vector<std::int32_t> makeVoi(const VoxelGrid& grid) {
        std::vector<std::int32_t> triples;
        if (chance(0.1)) return triples;  // an empty VOI
        const int dx = std::max(grid.dimX, 1), dy = std::max(grid.dimY, 1), dz = std::max(grid.dimZ, 1);
        // A block, so that samples actually hit, plus loose voxels.
        const int bx = pick(0, dx - 1), by = pick(0, dy - 1), bz = pick(0, dz - 1);
        const int sx = pick(1, 8), sy = pick(1, 8), sz = pick(1, 8);
        for (int z = bz; z < bz + sz; ++z)
            for (int y = by; y < by + sy; ++y)
                for (int x = bx; x < bx + sx; ++x) addCell(grid, x, y, z, triples);
        const int loose = pick(0, 12);
        for (int i = 0; i < loose; ++i) {
            addCell(grid, pick(-3, dx + 2), pick(-3, dy + 2), pick(-3, dz + 2), triples);
        }
        if (chance(0.2)) triples.insert(triples.end(), triples.begin(), triples.begin() + 3);  // a repeat
        if (chance(0.1)) {
            const std::int32_t extreme[] = {std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max()};
            triples.insert(triples.end(), {extreme[pick(0, 1)], extreme[pick(0, 1)], extreme[pick(0, 1)]});
        }
        return triples;
    }

    MeshData makeMesh(const VoxelGrid& grid, bool unitNormals) {
        const float dx = float(std::max(grid.dimX, 1)), dy = float(std::max(grid.dimY, 1)),
                    dz = float(std::max(grid.dimZ, 1));
        MeshData mesh;
        const int kind = pick(0, 9);
        if (kind < 4) {
            const float radius = uniform(0.5f, std::max(dx, std::max(dy, dz)) / 2 + 3);
            mesh = makeIcosphere(pick(0, 2), radius, uniform(-3, dx + 3), uniform(-3, dy + 3), uniform(-3, dz + 3));
        } else if (kind < 7) {
            mesh = makeGrid(pick(2, 6), pick(2, 6), uniform(0.3f, 2.5f));
            const float ox = uniform(-3, dx), oy = uniform(-3, dy), oz = uniform(-2, dz + 2);
            for (std::size_t v = 0; v < mesh.x.size(); ++v) mesh.x[v] += ox, mesh.y[v] += oy, mesh.z[v] += oz;
        } else if (kind < 9) {
            // A point cloud reaching just past every edge.
            const int n = pick(1, 30);
            for (int v = 0; v < n; ++v) {
                mesh.x.push_back(uniform(-2.5f, dx + 1.5f));
                mesh.y.push_back(uniform(-2.5f, dy + 1.5f));
                mesh.z.push_back(uniform(-2.5f, dz + 1.5f));
                mesh.nx.push_back(0), mesh.ny.push_back(0), mesh.nz.push_back(0);
            }
        }  // else: no vertices at all
        // Normals of every direction and length, some with zero components.
        const bool keepNormals = kind < 7 && chance(0.5);
        for (std::size_t v = 0; v < mesh.x.size(); ++v) {
            if (!keepNormals) {
                mesh.nx[v] = chance(0.15) ? 0.0f : uniform(-1, 1);
                mesh.ny[v] = chance(0.15) ? 0.0f : uniform(-1, 1);
                mesh.nz[v] = chance(0.15) ? 0.0f : uniform(-1, 1);
            }
            float scale = chance(0.7) ? 1.0f : uniform(0.05f, 3.0f);
            if (unitNormals) {
                const float length = std::sqrt(mesh.nx[v] * mesh.nx[v] + mesh.ny[v] * mesh.ny[v] +
                                               mesh.nz[v] * mesh.nz[v]);
                scale = length > 0 ? 1.0f / length : 1.0f;
            }
            mesh.nx[v] *= scale, mesh.ny[v] *= scale, mesh.nz[v] *= scale;
        }
        return mesh;
    }

    std::mt19937 random_;
};

std::vector<std::int32_t> descending(std::int32_t count) {
    std::vector<std::int32_t> order;
    for (std::int32_t k = count - 1; k >= 0; --k) order.push_back(k);
    return order;
}

TEST(VoiMappingDifferential, MatchesLiteralMappingOnGeneratedScenes) {
    const float steps[] = {0.25f, 0.37f, 1.0f, 0.05f, 0.7f};
    int nonEmptyLists = 0;
    for (unsigned seed = 1; seed <= 4000; ++seed) {
        SceneMaker maker(seed);
        Scene scene = maker.make(false);
        float from = 0, to = 0;
        switch (maker.pick(0, 5)) {
            case 0: from = maker.uniform(-6, 6), to = maker.uniform(-6, 6); break;
            case 1: from = maker.uniform(-6, -0.5f), to = maker.uniform(from, -0.1f); break;   // against the normal
            case 2: from = maker.uniform(0.1f, 3), to = maker.uniform(from, 6); break;        // along the normal
            case 3: from = maker.uniform(-0.099f, 0.099f), to = maker.uniform(-0.099f, 0.099f); break;
            case 4: from = -1, to = maker.chance(0.5) ? 1.0f : 3.0f; break;
            default: from = maker.uniform(-6, 0), to = maker.uniform(0, 6); break;
        }
        const float step = maker.chance(0.8) ? 0.1f : steps[maker.pick(0, 4)];
        SCOPED_TRACE("seed " + std::to_string(seed) + " from " + std::to_string(from) + " to " +
                     std::to_string(to) + " step " + std::to_string(step));
        const SurfaceMesh view = scene.mesh.view();
        VoiStore fastStore = scene.store, referenceStore = scene.store;
        const auto fast = mapVOIsToVertices(scene.store.count(), scene.grid, view, from, to, step, fastStore.fetcher());
        const auto expected = testing::referenceMapVOIsToVertices(scene.store.count(), scene.grid, view, from, to,
                                                                  step, referenceStore.fetcher());
        ASSERT_EQ(fast, expected);
        ASSERT_EQ(fastStore.fetchOrder, descending(scene.store.count()));
        for (const VertexList& list : fast) nonEmptyLists += list.empty() ? 0 : 1;
    }
    // The scenes must exercise hits, not only misses.
    EXPECT_GT(nonEmptyLists, 1500);
}

// Ranges far beyond the volume, or endless, against the literal mapping on a
// range that just covers every sample that can reach the volume: with unit
// normals and positions within a few voxels of a grid of at most 20 voxels a
// side, no sample beyond 120 can land inside.
TEST(VoiMappingDifferential, HugeAndEndlessRangesMatchARangeCoveringTheVolume) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Range {
        float from, to, coveringFrom, coveringTo;
    };
    const Range ranges[] = {{-1e7f, 1e7f, -120, 120},   {-inf, inf, -120, 120},   {-1e30f, 3, -120, 3},
                            {1, 1e30f, 1, 120},         {-inf, -2, -120, -2},      {nan, inf, 1, 120},
                            {-inf, nan, -120, -1},      {nan, nan, 0, 0},          {inf, -inf, 0, 0},
                            {-3e6f, 3e6f, -120, 120}};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SceneMaker maker(seed * 7919u);
        Scene scene = maker.make(true);
        const Range& range = ranges[seed % (sizeof(ranges) / sizeof(ranges[0]))];
        SCOPED_TRACE("seed " + std::to_string(seed) + " from " + std::to_string(range.from) + " to " +
                     std::to_string(range.to));
        const SurfaceMesh view = scene.mesh.view();
        VoiStore fastStore = scene.store, referenceStore = scene.store;
        const auto fast =
            mapVOIsToVertices(scene.store.count(), scene.grid, view, range.from, range.to, 0.1f, fastStore.fetcher());
        const auto expected = testing::referenceMapVOIsToVertices(
            scene.store.count(), scene.grid, view, range.coveringFrom, range.coveringTo, 0.1f, referenceStore.fetcher());
        ASSERT_EQ(fast, expected);
    }
}

// Short normals keep many neighbouring offsets in one cell, which the fast
// version steps over; wide ranges make them cross several cells anyway.
TEST(VoiMappingDifferential, ShortNormalsCrossingManyCellsMatchTheLiteralMapping) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SceneMaker maker(seed * 104729u);
        Scene scene = maker.make(false, true);
        const float from = maker.uniform(-60, 0), to = maker.uniform(0, 60);
        const float step = maker.chance(0.7) ? 0.1f : 0.05f;
        SCOPED_TRACE("seed " + std::to_string(seed));
        const SurfaceMesh view = scene.mesh.view();
        VoiStore fastStore = scene.store, referenceStore = scene.store;
        ASSERT_EQ(mapVOIsToVertices(scene.store.count(), scene.grid, view, from, to, step, fastStore.fetcher()),
                  testing::referenceMapVOIsToVertices(scene.store.count(), scene.grid, view, from, to, step,
                                                      referenceStore.fetcher()));
    }
}

// Normals so short that a voxel spans hundreds of offsets, over ranges past
// the distances listed up front: the samples there come from the running
// sum itself, and a run of them within one cell is skipped after one check.
TEST(VoiMappingDifferential, CrawlingSamplesBeyondTheListedDistancesMatchTheLiteralMapping) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SceneMaker maker(seed * 15485863u);
        Scene scene = maker.make(true);
        MeshData& mesh = scene.mesh;
        for (std::size_t v = 0; v < mesh.x.size(); ++v) {
            const float length = maker.uniform(0.0004f, 0.003f);
            mesh.nx[v] *= length, mesh.ny[v] *= length, mesh.nz[v] *= length;
        }
        const float from = -maker.uniform(6600, 10000), to = maker.uniform(6600, 10000);
        SCOPED_TRACE("seed " + std::to_string(seed));
        const SurfaceMesh view = mesh.view();
        VoiStore fastStore = scene.store, referenceStore = scene.store;
        ASSERT_EQ(mapVOIsToVertices(scene.store.count(), scene.grid, view, from, to, 0.1f, fastStore.fetcher()),
                  testing::referenceMapVOIsToVertices(scene.store.count(), scene.grid, view, from, to, 0.1f,
                                                      referenceStore.fetcher()));
    }
}

// Long walks cross uniform parts of the volume in strides of up to 64 cells:
// grids of up to 100 voxels a side with VOIs that are large nested boxes
// (uniform far inside, changing label at their faces) and thin slabs, and
// vertices anywhere in and around them looking every way.
TEST(VoiMappingDifferential, LongWalksThroughLargeUniformRegionsMatchTheLiteralMapping) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed * 6151u);
        const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        const auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
        VoxelGrid grid;
        grid.dimX = pick(30, 100), grid.dimY = pick(30, 100), grid.dimZ = pick(30, 100);
        grid.coordsType = 0;
        VoiStore store;
        const int dims[3] = {grid.dimX, grid.dimY, grid.dimZ};
        for (int k = pick(1, 4); k > 0; --k) {
            int low[3], high[3];
            const bool slab = pick(0, 3) == 0;
            const int thinAxis = pick(0, 2);
            for (int a = 0; a < 3; ++a) {
                low[a] = pick(0, dims[a] - 1);
                high[a] = slab && a == thinAxis ? low[a] + pick(0, 2) : pick(low[a], dims[a] - 1);
            }
            std::vector<std::int32_t> triples;
            for (int z = low[2]; z <= high[2]; ++z)
                for (int y = low[1]; y <= high[1]; ++y)
                    for (int x = low[0]; x <= std::min(high[0], dims[0] - 1); ++x) triples.insert(triples.end(), {x, y, z});
            store.vois.push_back(std::move(triples));
        }
        MeshData mesh;
        for (int v = pick(20, 80); v > 0; --v) {
            mesh.x.push_back(uniform(-5, grid.dimX + 4.0f));
            mesh.y.push_back(uniform(-5, grid.dimY + 4.0f));
            mesh.z.push_back(uniform(-5, grid.dimZ + 4.0f));
            float n[3] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
            n[pick(0, 2)] = pick(0, 3) == 0 ? 0.0f : n[0];  // some along a face of the cells
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            const float scale = length > 0 ? 1.0f / length : 0.0f;
            mesh.nx.push_back(n[0] * scale), mesh.ny.push_back(n[1] * scale), mesh.nz.push_back(n[2] * scale);
        }
        const float reach = 200;  // beyond every sample that can land inside
        SCOPED_TRACE("seed " + std::to_string(seed));
        const SurfaceMesh view = mesh.view();
        VoiStore fastStore = store, referenceStore = store;
        const auto expected =
            testing::referenceMapVOIsToVertices(store.count(), grid, view, -reach, reach, 0.1f, referenceStore.fetcher());
        ASSERT_EQ(mapVOIsToVertices(store.count(), grid, view, -reach, reach, 0.1f, fastStore.fetcher()), expected);
        ASSERT_EQ(mapVOIsToVertices(store.count(), grid, view, -3e38f, 3e38f, 0.1f, store.fetcher()), expected);
    }
}

}  // namespace
}  // namespace tessarin

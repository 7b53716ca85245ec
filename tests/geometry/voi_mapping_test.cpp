// Focused cases of the VOI-to-vertex mapping, built by hand.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "geometry/mesh_shapes.h"
#include "geometry/voi_mapping.h"
#include "tests/support/reference_mapping.h"

namespace tessarin {
namespace {

using testing::VoiStore;

struct Point {
    float x, y, z, nx, ny, nz;
};

// Loose vertices with their normals; the mapping reads nothing else.
MeshData pointsMesh(const std::vector<Point>& points) {
    MeshData mesh;
    for (const Point& p : points) {
        mesh.x.push_back(p.x), mesh.y.push_back(p.y), mesh.z.push_back(p.z);
        mesh.nx.push_back(p.nx), mesh.ny.push_back(p.ny), mesh.nz.push_back(p.nz);
    }
    return mesh;
}

VoxelGrid plainGrid(std::int32_t x, std::int32_t y, std::int32_t z) {
    VoxelGrid grid;
    grid.dimX = x, grid.dimY = y, grid.dimZ = z;
    return grid;
}

// Maps with the fast version and checks the literal one agrees.
std::vector<VertexList> map(const VoiStore& vois, const VoxelGrid& grid, const MeshData& mesh, float from, float to,
                            float step = 0.1f) {
    VoiStore fastStore = vois, referenceStore = vois;
    auto fast = mapVOIsToVertices(vois.count(), grid, mesh.view(), from, to, step, fastStore.fetcher());
    EXPECT_EQ(fast, testing::referenceMapVOIsToVertices(vois.count(), grid, mesh.view(), from, to, step,
                                                          referenceStore.fetcher()));
    return fast;
}

// A row of cells along x; a vertex at x = X along +x samples X + 0.5 + s.
TEST(VoiMapping, OffsetsAreRunningSumsBoundedByFromAndTo) {
    const VoxelGrid grid = plainGrid(8, 1, 1);
    VoiStore vois;
    vois.vois = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {0, 0, 0}, {4, 0, 0}};
    // Vertex 0 sits at sample 0: cell 1 needs s >= 1, but the tenth sum is
    // 1.0000001 and lies beyond to = 1, so the largest offset is 0.9.
    // Vertex 1 sits at 1e-6: the thirtieth sum 2.9999993 (not 3) lands in
    // cell 3 only from there. Vertex 2 sits at 2.
    const MeshData mesh = pointsMesh({{-0.5f, 0, 0, 1, 0, 0}, {-0.499999f, 0, 0, 1, 0, 0}, {1.5f, 0, 0, 1, 0, 0}});

    auto lists = map(vois, grid, mesh, -1, 1);
    EXPECT_EQ(lists[0], (VertexList{2}));  // cell 1: vertices 0 and 1 stop short of it
    EXPECT_EQ(lists[1], (VertexList{2}));
    EXPECT_EQ(lists[3], (VertexList{0, 1}));  // cell 0; vertex 2 would need s < -1
    EXPECT_EQ(map(vois, grid, mesh, -1, 1.0000001f)[0], (VertexList{0, 1, 2}));

    lists = map(vois, grid, mesh, -1, 3);
    EXPECT_EQ(lists[2], (VertexList{1, 2}));  // vertex 0 tops out at 2.9999993: cell 2, not 3
    EXPECT_EQ(map(vois, grid, mesh, -1, 2.999999f)[2], (VertexList{2}));

    // Positive offsets only, then negative only: 0 is in both.
    lists = map(vois, grid, mesh, 1, 3);
    EXPECT_EQ(lists[3], (VertexList{0, 1}));
    EXPECT_EQ(lists[4], (VertexList{2}));
    lists = map(vois, grid, mesh, -3, -1);
    EXPECT_EQ(lists[3], (VertexList{0, 1, 2}));
    EXPECT_EQ(lists[1], (VertexList{2}));
    EXPECT_TRUE(lists[4].empty());

    // A range inside (-0.1, 0.1) samples the vertex's own cell only.
    lists = map(vois, grid, mesh, -0.09f, 0.09f);
    EXPECT_EQ(lists[3], (VertexList{0, 1}));
    EXPECT_EQ(lists[1], (VertexList{2}));
    EXPECT_TRUE(lists[0].empty());  // vertex 2 would reach cell 1 at -0.1
}

TEST(VoiMapping, CentredCoordinatesUseTheFixedCentre) {
    VoxelGrid grid = plainGrid(140, 100, 140);
    VoiStore vois;
    vois.vois = {{10, 20, 30}};
    // Vertices on the cells (108, 98, 138), (108, 98, 118) and (10, 20, 30).
    const MeshData mesh = pointsMesh({{108, 98, 138, 0, 0, 0}, {108, 98, 118, 0, 0, 0}, {10, 20, 30, 0, 0, 0}});
    grid.coordsType = 3, grid.orientationCode = 2;
    EXPECT_EQ(map(vois, grid, mesh, 0, 0)[0], (VertexList{0}));
    grid.orientationCode = 1;
    EXPECT_EQ(map(vois, grid, mesh, 0, 0)[0], (VertexList{1}));
    grid.coordsType = 2, grid.orientationCode = 2;
    EXPECT_EQ(map(vois, grid, mesh, 0, 0)[0], (VertexList{2}));
}

TEST(VoiMapping, CellsTruncateTowardZeroAndOutsideSamplesAreSkipped) {
    const VoxelGrid grid = plainGrid(3, 3, 3);
    VoiStore vois;
    vois.vois = {{0, 0, 0, 2, 2, 2}};
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const MeshData mesh = pointsMesh({
        {-0.9f, 0, 0, 0, 0, 0},    // -0.4 truncates to cell 0
        {-1.6f, 0, 0, 0, 0, 0},    // -1.1 truncates to -1: outside
        {2.4f, 2.4f, 2.4f, 0, 0, 0},  // 2.9: the last cell
        {2.5f, 2, 2, 0, 0, 0},     // 3.0: just past the last cell
        {nan, 0, 0, 1, 0, 0},
        {0, inf, 0, 0, 0, 0},
        {0, 0, 0, inf, 0, 0},      // 0 * inf is NaN even at offset 0
        {0, 0, 0, 0, nan, 0},
        {3e9f, 0, 0, -1, 0, 0},    // no int32 value, and out of reach
        {0, 0, 0, 1e30f, 0, 0},    // inside at offset 0 only
        {0, 0, 0, 0, 0, 0},
        {-5, 0, 0, 1, 0, 0},       // needs offsets between 3.5 and 5.5
    });
    EXPECT_EQ(map(vois, grid, mesh, -1, 1)[0], (VertexList{0, 2, 9, 10}));
    EXPECT_EQ(map(vois, grid, mesh, -12, 12)[0], (VertexList{0, 2, 9, 10, 11}));
}

TEST(VoiMapping, EachVertexJoinsEveryVoiItReachesOnce) {
    const VoxelGrid grid = plainGrid(10, 10, 1);
    VoiStore vois;
    // VOI 0: a long run along x; VOI 1 overlaps its end; VOI 2 repeats a voxel.
    vois.vois = {{0, 5, 0, 1, 5, 0, 2, 5, 0, 3, 5, 0, 4, 5, 0, 5, 5, 0},
                 {5, 5, 0, 6, 5, 0},
                 {9, 9, 0, 9, 9, 0}};
    const MeshData mesh = pointsMesh(
        {{9, 9, 0, 0, 0, 0}, {0, 5, 0, 1, 0, 0}, {3, 3, 0, 0, 0, 0}, {4, 5, 0, 0.5f, 0, 0}, {9, 9, 0, -1, -1, 0}});
    const auto lists = map(vois, grid, mesh, -2, 4);
    // Vertex 4 reaches VOI 2 at offset 0 and the shared voxel (5, 5) at 4.
    EXPECT_EQ(lists[0], (VertexList{1, 3, 4}));
    EXPECT_EQ(lists[1], (VertexList{3, 4}));
    EXPECT_EQ(lists[2], (VertexList{0, 4}));
}

TEST(VoiMapping, FetchesEveryVoiOnceFromTheLastBeforeSampling) {
    const VoxelGrid grid = plainGrid(4, 4, 4);
    VoiStore vois;
    vois.vois = {{0, 0, 0}, {}, {1, 1, 1}, {0, 0, 0}};
    const MeshData mesh = pointsMesh({{0, 0, 0, 1, 1, 1}, {1, 1, 1, 0, 0, 0}});
    const auto lists = mapVOIsToVertices(vois.count(), grid, mesh.view(), -1, 3, 0.1f, vois.fetcher());
    EXPECT_EQ(vois.fetchOrder, (std::vector<std::int32_t>{3, 2, 1, 0}));
    EXPECT_EQ(lists, (std::vector<VertexList>{{0}, {}, {0, 1}, {0}}));

    // No vertices: still one fetch per VOI and one empty list each.
    VoiStore again = vois;
    again.fetchOrder.clear();
    const MeshData empty;
    EXPECT_EQ(mapVOIsToVertices(4, grid, empty.view(), -1, 3, 0.1f, again.fetcher()), std::vector<VertexList>(4));
    EXPECT_EQ(again.fetchOrder, (std::vector<std::int32_t>{3, 2, 1, 0}));

    // No VOIs: no fetch at all.
    VoiStore none;
    EXPECT_TRUE(mapVOIsToVertices(0, grid, mesh.view(), -1, 3, 0.1f, none.fetcher()).empty());
    EXPECT_TRUE(mapVOIsToVertices(-2, grid, mesh.view(), -1, 3, 0.1f, none.fetcher()).empty());
    EXPECT_TRUE(none.fetchOrder.empty());
}

TEST(VoiMapping, VoxelsOutsideTheGridAreSkipped) {
    VoxelGrid grid = plainGrid(4, 4, 4);
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    VoiStore vois;
    vois.vois = {{-1, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, -1, lowest, lowest, lowest, highest, highest, highest, 2, 2, 2}};
    const MeshData mesh = pointsMesh({{2, 2, 2, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}});
    EXPECT_EQ(map(vois, grid, mesh, -1, 1)[0], (VertexList{0}));
    // Centred: 128 - lowest has no int32 value; cell (2, 2, 2) is (126, 126, 126).
    grid.coordsType = 3;
    vois.vois = {{lowest, highest, lowest, 126, 126, 126, 200, 0, 0}};
    EXPECT_EQ(map(vois, grid, mesh, -1, 1)[0], (VertexList{0}));
}

TEST(VoiMapping, GridsWithoutVoxelsAndOversizedGrids) {
    VoiStore vois;
    vois.vois = {{0, 0, 0}, {1, 1, 1}};
    const MeshData mesh = pointsMesh({{0, 0, 0, 1, 1, 1}});
    for (const VoxelGrid& grid : {plainGrid(0, 4, 4), plainGrid(4, -1, 4), plainGrid(4, 4, 0)}) {
        VoiStore store = vois;
        EXPECT_EQ(mapVOIsToVertices(2, grid, mesh.view(), -1, 3, 0.1f, store.fetcher()), std::vector<VertexList>(2));
        EXPECT_EQ(store.fetchOrder, (std::vector<std::int32_t>{1, 0}));
    }
    // Refused before the host is asked for any VOI, instead of a wrapped size.
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    for (const VoxelGrid& grid : {plainGrid(big, big, big), plainGrid(big, big, 2), plainGrid(65536, 65536, big)}) {
        VoiStore store = vois;
        EXPECT_THROW(mapVOIsToVertices(2, grid, mesh.view(), -1, 3, 0.1f, store.fetcher()), std::length_error);
        EXPECT_TRUE(store.fetchOrder.empty());
    }
}

TEST(VoiMapping, StepsThatAreNotPositiveSampleOffsetZeroOnly) {
    const VoxelGrid grid = plainGrid(4, 1, 1);
    VoiStore vois;
    vois.vois = {{0, 0, 0}, {1, 0, 0}};
    const MeshData mesh = pointsMesh({{0, 0, 0, 1, 0, 0}});
    for (const float step : {0.0f, -0.1f, std::numeric_limits<float>::quiet_NaN()}) {
        VoiStore store = vois;
        EXPECT_EQ(mapVOIsToVertices(2, grid, mesh.view(), -3, 3, step, store.fetcher()),
                  (std::vector<VertexList>{{0}, {}}));
    }
}

// A normal far shorter than the volume puts the samples that reach a VOI at
// offsets of many thousands; an endless range must still find them, from a
// vertex outside the volume as well as inside it, and must still end.
TEST(VoiMapping, EndlessRangesReachFarOffsetsAndEnd) {
    const VoxelGrid grid = plainGrid(30, 1, 1);
    VoiStore vois;
    vois.vois = {{25, 0, 0}, {0, 0, 0}};
    const MeshData mesh = pointsMesh({
        {-20, 0, 0, 1e-2f, 0, 0},   // outside: cell 0 near s = 2e3, cell 25 near 4.5e3
        {10, 0, 0, 1e-3f, 0, 0},    // inside: cell 25 near s = 1.5e4, cell 0 near -1e4
        {10, 0, 0, 1e-6f, 0, 0},    // would need 1.5e7, but the sums of 0.1 stop at 2^21
        {-300, 0, 0, 1e-4f, 0, 0},  // would need 3e6
    });
    const float inf = std::numeric_limits<float>::infinity();
    VoiStore store = vois;
    const auto lists = mapVOIsToVertices(2, grid, mesh.view(), -inf, inf, 0.1f, store.fetcher());
    EXPECT_EQ(lists, (std::vector<VertexList>{{0, 1}, {0, 1}}));
    VoiStore referenceStore = vois;
    EXPECT_EQ(lists, testing::referenceMapVOIsToVertices(2, grid, mesh.view(), -1.2e4f, 1.6e4f, 0.1f,
                                                         referenceStore.fetcher()));
    VoiStore hugeStore = vois;
    EXPECT_EQ(lists, mapVOIsToVertices(2, grid, mesh.view(), -1e7f, 1e7f, 0.1f, hugeStore.fetcher()));
}

}  // namespace
}  // namespace tessarin

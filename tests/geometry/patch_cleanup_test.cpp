#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "geometry/mesh_shapes.h"
#include "geometry/one_ring.h"
#include "geometry/patch_cleanup.h"
#include "tests/support/patch_test_cases.h"
#include "tests/support/reference_patch_ops.h"

namespace tessarin {
namespace {

// Grid vertices (i, j) = i + j * columns at graph distance exactly d from
// (ci, cj) on makeGrid's triangulation (diagonals along +i +j), ascending.
VertexList gridRing(std::int32_t columns, std::int32_t rows, std::int32_t ci, std::int32_t cj, std::int32_t d) {
    VertexList ring;
    for (std::int32_t j = 0; j < rows; ++j) {
        for (std::int32_t i = 0; i < columns; ++i) {
            const std::int32_t di = i - ci, dj = j - cj;
            const std::int32_t distance =
                di * dj >= 0 ? std::max(std::abs(di), std::abs(dj)) : std::abs(di) + std::abs(dj);
            if (distance == d) ring.push_back(i + j * columns);
        }
    }
    return ring;
}

TEST(FillPatchHoles, SmallestRingRegionFirstUntilOneIsLeft) {
    // The six neighbours of w = 24 on a 7 x 7 grid, without w: w is the
    // smaller ring region and is appended after the patch in split order.
    const MeshData grid7 = makeGrid(7, 7, 1.0f);
    VertexList hexagon = gridRing(7, 7, 3, 3, 1);
    ASSERT_EQ(hexagon, (VertexList{16, 17, 23, 25, 31, 32}));
    fillPatchHoles(hexagon, grid7.view());
    EXPECT_EQ(hexagon, (VertexList{32, 25, 31, 17, 23, 16, 24}));

    // A block with a one-vertex hole (33) and a three-vertex hole (36, 37, 47):
    // the single vertex first, then the other hole in its region order.
    const MeshData grid10 = makeGrid(10, 8, 1.0f);
    VertexList block;
    for (std::int32_t j = 1; j <= 6; ++j) {
        for (std::int32_t i = 1; i <= 8; ++i) {
            const std::int32_t v = i + 10 * j;
            if (v != 33 && v != 36 && v != 37 && v != 47) block.push_back(v);
        }
    }
    VertexList filled = block;
    fillPatchHoles(filled, grid10.view());
    ASSERT_EQ(filled.size(), block.size() + 4);
    EXPECT_EQ(VertexList(filled.end() - 4, filled.end()), (VertexList{33, 47, 36, 37}));
    EXPECT_TRUE(std::is_permutation(block.begin(), block.end(), filled.begin()));
    EXPECT_EQ(filled.front(), 68);  // rebuilt from the split, seeded at the highest index
}

TEST(FillPatchHoles, RebuildsInPatchOrderAndKeepsRepeats) {
    const MeshData grid = makeGrid(9, 9, 1.0f);
    // Without holes: same vertices, but in split order rather than ascending.
    VertexList square{30, 31, 32, 39, 40, 41, 48, 49, 50};
    fillPatchHoles(square, grid.view());
    EXPECT_EQ(square, (VertexList{50, 40, 41, 49, 30, 31, 39, 32, 48}));

    // A ring two away from w = 40 and w itself, as one POI: filling the ring
    // takes in the layer inside and then w, and w's own patch adds w again.
    VertexList poi = gridRing(9, 9, 4, 4, 2);
    ASSERT_EQ(poi.size(), 12u);
    poi.push_back(40);
    std::sort(poi.begin(), poi.end());
    fillPatchHoles(poi, grid.view());
    EXPECT_EQ(poi.size(), 12u + 6u + 1u + 1u);
    EXPECT_EQ(std::count(poi.begin(), poi.end(), 40), 2);
}

TEST(SmoothPatchEdges, ClosesNotchesAndOnlyAdds) {
    const MeshData grid = makeGrid(7, 7, 1.0f);
    VertexList single{24};
    smoothPatchEdges(single, 1, grid.view());
    EXPECT_EQ(single, (VertexList{24}));

    VertexList hexagon = gridRing(7, 7, 3, 3, 1);
    smoothPatchEdges(hexagon, 1, grid.view());
    EXPECT_EQ(hexagon, (VertexList{16, 17, 23, 25, 31, 32, 24}));

    // Two vertices one apart on a row: the gap between them closes, the
    // old entries stay in front in their old order.
    VertexList pair{26, 24};
    smoothPatchEdges(pair, 1, grid.view());
    EXPECT_EQ(pair, (VertexList{26, 24, 25}));

    VertexList none;
    smoothPatchEdges(none, 3, grid.view());
    EXPECT_TRUE(none.empty());
    VertexList kept{26, 24};
    smoothPatchEdges(kept, 0, grid.view());
    EXPECT_EQ(kept, (VertexList{26, 24}));
}

// Steps until the grown set stops changing (its ring is empty), plus one.
std::int32_t stepsToCover(VertexList set, const SurfaceMesh& mesh) {
    std::int32_t steps = 1;
    for (VertexList ring = getOuterRing(set, mesh); !ring.empty(); ring = getOuterRing(set, mesh)) {
        set.insert(set.end(), ring.begin(), ring.end());
        ++steps;
    }
    return steps;
}

TEST(SmoothPatchEdges, HugeStepCountFinishesWithTheExactResult) {
    constexpr std::int32_t kHuge = 2147483647;
    // Two components, one with vertices that lost their triangles.
    const MeshData small = testing::combineMeshes(makeIcosphere(2, 1.0f, 0, 0, 0),
                                                  testing::withoutTrianglesAt(makeGrid(8, 6, 1.0f), {19, 20}), 5.0f);
    const SurfaceMesh mesh = small.view();
    for (const VertexList& set : {VertexList{5, 170, 3, 200}, VertexList{180}, VertexList{162 + 19, 7, 7}}) {
        const std::int32_t enough = stepsToCover(set, mesh);
        VertexList fast = set, literal = set, moreSteps = set;
        smoothPatchEdges(fast, kHuge, mesh);
        reference::smoothPatchEdges(literal, enough, mesh);
        reference::smoothPatchEdges(moreSteps, enough + 3, mesh);
        EXPECT_EQ(fast, literal);
        EXPECT_EQ(literal, moreSteps);
    }

    // On a 40,962-vertex sphere the grow stops after a few hundred rings.
    const MeshData sphere = makeIcosphere(6, 50.0f, 0, 0, 0);
    const SurfaceMesh big = sphere.view();
    const VertexList set{17, 4000, 4001, 30000};
    VertexList huge = set, enough = set;
    const auto start = std::chrono::steady_clock::now();
    smoothPatchEdges(huge, kHuge, big);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0);
    smoothPatchEdges(enough, stepsToCover(set, big), big);
    EXPECT_EQ(huge, enough);
    EXPECT_EQ(huge.size(), static_cast<std::size_t>(sphere.nrOfVertices()));
}

}  // namespace
}  // namespace tessarin

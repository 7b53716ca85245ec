#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/mesh_shapes.h"
#include "geometry/patch_connectivity.h"
#include "tests/support/test_meshes.h"

namespace tessarin {
namespace {

using testing::meshWithNeighbours;

TEST(SplitIntoPatches, SeedsFromTheEndAndGrowsRingByRing) {
    // Rows as stored, not ascending: 9 -> (4, 5, 12), 4 -> (9, 1), 5 -> (9, 1, 7).
    std::vector<std::vector<std::int32_t>> rows(13);
    rows[9] = {4, 5, 12}, rows[4] = {9, 1}, rows[5] = {9, 1, 7};
    rows[1] = {4, 5}, rows[7] = {5}, rows[12] = {9};
    const MeshData data = meshWithNeighbours(rows);
    const SurfaceMesh mesh = data.view();

    EXPECT_TRUE(splitIntoPatches({}, mesh).empty());
    // 9 seeds; ring 1 takes 4 and 5; ring 2's candidates 9, 1, 9, 1, 7 take 1 and 7.
    EXPECT_EQ(splitIntoPatches({1, 4, 5, 7, 9}, mesh), (PatchList{{9, 4, 5, 1, 7}}));
    // 1, 7 and 12 are not neighbours of one another: one patch each, last entry first.
    EXPECT_EQ(splitIntoPatches({1, 7, 12}, mesh), (PatchList{{12}, {7}, {1}}));
    EXPECT_EQ(splitIntoPatches({12, 1, 7}, mesh), (PatchList{{7}, {1}, {12}}));
}

TEST(SplitIntoPatches, RepeatedEntriesAreTakenOneAtATime) {
    // A path 0 - 1 - 2 and a vertex 3 whose only neighbour is 0.
    const MeshData data = meshWithNeighbours({{1, 3}, {0, 2}, {1}, {0}});
    const SurfaceMesh mesh = data.view();
    // Seed 2; ring 1 takes the first 1; ring 2 takes 0; ring 3 finds the second 1.
    EXPECT_EQ(splitIntoPatches({1, 0, 1, 2}, mesh), (PatchList{{2, 1, 0, 1}}));
    // Nothing reaches the second 3 from the first: a patch of its own.
    EXPECT_EQ(splitIntoPatches({3, 3}, mesh), (PatchList{{3}, {3}}));
    // The caller's list is left alone.
    const VertexList input{0, 1, 3};
    splitIntoPatches(input, mesh);
    EXPECT_EQ(input, (VertexList{0, 1, 3}));
}

TEST(PatchArea, CountsOnlyWholeTriangles) {
    MeshData data = meshWithNeighbours({{1, 2}, {0, 2}, {0, 1}});
    data.x = {0, 1, 0}, data.y = {0, 0, 1}, data.z = {0, 0, 0};
    data.triangles = {0, 1, 2};
    const SurfaceMesh mesh = data.view();
    EXPECT_EQ(patchArea({0, 1, 2}, mesh), 0.5f);
    EXPECT_EQ(patchArea({2, 0, 1}, mesh), 0.5f);
    EXPECT_EQ(patchArea({0, 1}, mesh), 0.0f);
    EXPECT_EQ(patchArea({0, 1, 1}, mesh), 0.0f);
    EXPECT_EQ(patchArea({}, mesh), 0.0f);

    // A unit-square grid: the square 0, 1, 5, 6 holds two triangles; repeats count once.
    const MeshData grid = makeGrid(5, 4, 1.0f);
    EXPECT_EQ(patchArea({0, 1, 5, 6}, grid.view()), 1.0f);
    EXPECT_EQ(patchArea({6, 6, 0, 1, 5, 0}, grid.view()), 1.0f);
    EXPECT_EQ(patchArea({0, 1, 6}, grid.view()), 0.5f);
}

TEST(KeepLargestPatch, KeepsTheLargestAndTheEarliestAmongEquals) {
    const MeshData grid = makeGrid(10, 5, 2.0f);  // squares of area 4
    const SurfaceMesh mesh = grid.view();

    // Two equal squares: patches come highest index first, and that one wins.
    VertexList list{0, 1, 10, 11, 7, 8, 17, 18};
    std::sort(list.begin(), list.end());
    LargestPatchResult result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 2);
    EXPECT_EQ(result.areaBefore, 8.0f);
    EXPECT_EQ(result.areaKept, 4.0f);
    EXPECT_EQ(list, (VertexList{18, 7, 8, 17}));

    // A larger patch later in patch order replaces the earlier choice.
    list = {0, 1, 2, 10, 11, 12, 7, 8, 17, 18};
    std::sort(list.begin(), list.end());
    result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 2);
    EXPECT_EQ(result.areaBefore, 12.0f);
    EXPECT_EQ(result.areaKept, 8.0f);
    EXPECT_EQ(list, (VertexList{12, 1, 2, 11, 0, 10}));

    // No whole triangle anywhere: the first patch, with the highest index.
    list = {3, 22, 40, 45};
    result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 4);
    EXPECT_EQ(result.areaBefore, 0.0f);
    EXPECT_EQ(result.areaKept, 0.0f);
    EXPECT_EQ(list, (VertexList{45}));
}

TEST(KeepLargestPatch, ManyPatchesMeasuredAlikeAndSinglePatchReordered) {
    const MeshData grid = makeGrid(12, 12, 1.0f);
    const SurfaceMesh mesh = grid.view();
    // Five squares of growing size along the diagonal, so that the triangle
    // index path is taken; the largest one (third in patch order) wins.
    VertexList list;
    for (std::int32_t v : {0, 1, 12, 13}) list.push_back(v);                   // 1 square
    for (std::int32_t v : {3, 4, 5, 15, 16, 17, 27, 28, 29}) list.push_back(v);  // 4 squares
    for (std::int32_t v : {43, 44, 55, 56}) list.push_back(v);                  // 1 square
    for (std::int32_t v : {96, 97, 108, 109}) list.push_back(v);                // 1 square
    std::sort(list.begin(), list.end());
    LargestPatchResult result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 4);
    EXPECT_EQ(result.areaBefore, 7.0f);
    EXPECT_EQ(result.areaKept, 4.0f);
    EXPECT_EQ(list.size(), 9u);
    EXPECT_EQ(list.front(), 29);

    // One patch: all vertices stay, in patch order, and both areas agree.
    list = {3, 4, 5, 15, 16, 17, 27, 28, 29};
    result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 1);
    EXPECT_EQ(result.areaBefore, result.areaKept);
    EXPECT_EQ(list, (VertexList{29, 16, 17, 28, 3, 4, 15, 5, 27}));

    // An empty list has no patch to keep.
    list.clear();
    result = keepLargestPatch(list, mesh);
    EXPECT_EQ(result.nrOfPatches, 0);
    EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace tessarin

#include <gtest/gtest.h>

#include "geometry/mesh_shapes.h"
#include "geometry/one_ring.h"
#include "tests/support/test_meshes.h"

namespace tessarin {
namespace {

TEST(OuterRing, AscendingOutsideNeighboursEachOnce) {
    // Rows deliberately not ascending; 6 has no neighbours.
    const MeshData data = testing::meshWithNeighbours(
        {{3, 1, 2}, {2, 0, 5}, {1, 0, 3}, {0, 4, 2}, {5, 3}, {4, 1}, {}});
    const SurfaceMesh mesh = data.view();
    EXPECT_TRUE(getOuterRing({}, mesh).empty());
    EXPECT_EQ(getOuterRing({0}, mesh), (VertexList{1, 2, 3}));
    EXPECT_EQ(getOuterRing({0, 1}, mesh), (VertexList{2, 3, 5}));
    EXPECT_EQ(getOuterRing({1, 0, 1, 0}, mesh), (VertexList{2, 3, 5}));
    EXPECT_TRUE(getOuterRing({6}, mesh).empty());
    EXPECT_TRUE(getOuterRing({5, 4, 3, 2, 1, 0}, mesh).empty());

    const MeshData sphere = makeIcosphere(1, 1.0f, 0, 0, 0);
    VertexList all;
    for (std::int32_t v = 0; v < sphere.nrOfVertices(); ++v) all.push_back(v);
    EXPECT_TRUE(getOuterRing(all, sphere.view()).empty());
}

TEST(BoundaryVertices, MembersTouchingTheOutsideInSetOrder) {
    const MeshData data = testing::meshWithNeighbours(
        {{3, 1, 2}, {2, 0, 5}, {1, 0, 3}, {0, 4, 2}, {5, 3}, {4, 1}, {}});
    const SurfaceMesh mesh = data.view();
    EXPECT_TRUE(getBoundaryVertices({}, mesh).empty());
    EXPECT_EQ(getBoundaryVertices({0}, mesh), (VertexList{0}));
    EXPECT_TRUE(getBoundaryVertices({6}, mesh).empty());
    // 0 has all its neighbours inside; 3 and 1 touch 4 and 5: set order, not ascending.
    EXPECT_EQ(getBoundaryVertices({3, 0, 2, 1}, mesh), (VertexList{3, 1}));
    // An entry listed twice is reported twice.
    EXPECT_EQ(getBoundaryVertices({3, 0, 2, 1, 3}, mesh), (VertexList{3, 1, 3}));
    EXPECT_TRUE(getBoundaryVertices({5, 4, 3, 2, 1, 0}, mesh).empty());

    // Two grid vertices that both touch the outside come back as listed: 9, 4.
    const MeshData grid = makeGrid(5, 4, 1.0f);
    EXPECT_EQ(getBoundaryVertices({9, 4}, grid.view()), (VertexList{9, 4}));
}

}  // namespace
}  // namespace tessarin

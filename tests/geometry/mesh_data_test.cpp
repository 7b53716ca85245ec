#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/mesh_data.h"
#include "geometry/mesh_shapes.h"

namespace tessarin {
namespace {

TEST(MeshData, NeighboursAreDistinctAscendingAndSymmetric) {
    // Two triangles sharing the edge 1-2, listed in a scrambled vertex order.
    const auto rows = buildNeighbourLists(4, {2, 0, 1, 1, 3, 2});
    EXPECT_EQ(rows[0], (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(rows[1], (std::vector<std::int32_t>{0, 2, 3}));
    EXPECT_EQ(rows[2], (std::vector<std::int32_t>{0, 1, 3}));
    EXPECT_EQ(rows[3], (std::vector<std::int32_t>{1, 2}));
}

TEST(MeshShapes, IcosphereIsAClosedTriangulatedSphere) {
    for (int level : {0, 1, 3}) {
        const MeshData mesh = makeIcosphere(level, 2.0f, 1.0f, 2.0f, 3.0f);
        const std::int32_t expected = 10 * (1 << (2 * level)) + 2;
        ASSERT_EQ(mesh.nrOfVertices(), expected) << level;
        // Closed surface of genus 0: V - E + F = 2 with E = 3F / 2.
        EXPECT_EQ(mesh.nrOfVertices() - 3 * mesh.nrOfTriangles() / 2 + mesh.nrOfTriangles(), 2);
        for (std::int32_t v = 0; v < mesh.nrOfVertices(); ++v) {
            const auto& row = mesh.neighbours[v];
            EXPECT_TRUE(std::is_sorted(row.begin(), row.end()));
            EXPECT_TRUE(row.size() == 5 || row.size() == 6) << v;
            for (std::int32_t w : row) {
                const auto& back = mesh.neighbours[w];
                EXPECT_TRUE(std::binary_search(back.begin(), back.end(), v));
            }
            const float dx = mesh.x[v] - 1.0f, dy = mesh.y[v] - 2.0f, dz = mesh.z[v] - 3.0f;
            EXPECT_NEAR(dx * dx + dy * dy + dz * dz, 4.0f, 1e-4f);
            EXPECT_NEAR(mesh.nx[v] * 2.0f, dx, 1e-5f);
        }
    }
}

TEST(MeshShapes, GridCornerAndInteriorNeighbours) {
    const MeshData grid = makeGrid(4, 3, 1.0f);
    EXPECT_EQ(grid.nrOfVertices(), 12);
    EXPECT_EQ(grid.nrOfTriangles(), 12);
    EXPECT_EQ(grid.neighbours[0], (std::vector<std::int32_t>{1, 4, 5}));
    EXPECT_EQ(grid.neighbours[5], (std::vector<std::int32_t>{0, 1, 4, 6, 9, 10}));
    const SurfaceMesh view = grid.view();
    EXPECT_EQ(view.nrOfNeighbours[5], 6);
    EXPECT_EQ(view.neighbours[5][3], 6);
}

TEST(MeshData, ComputedNormalsOfAFlatGridPointUp) {
    MeshData grid = makeGrid(3, 3, 2.0f);
    grid.computeNormals();
    for (std::int32_t v = 0; v < grid.nrOfVertices(); ++v) {
        EXPECT_EQ(grid.nx[v], 0.0f);
        EXPECT_EQ(grid.ny[v], 0.0f);
        EXPECT_EQ(grid.nz[v], 1.0f);
    }
}

}  // namespace
}  // namespace tessarin

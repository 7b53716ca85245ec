#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/mesh_index.h"
#include "geometry/mesh_shapes.h"

namespace tessarin {
namespace {

// Mutuality is a property of the rows as sets: order and repeats do not
// matter, one missing way does, wherever it is.
TEST(MeshIndex, RowsAreMutualExactlyWhenEveryRelationGoesBothWays) {
    MeshData mesh = makeIcosphere(2, 1.0f, 0, 0, 0);
    EXPECT_TRUE(neighbourRowsAreMutual(mesh.view()));

    MeshData scrambled = mesh;
    std::reverse(scrambled.neighbours[7].begin(), scrambled.neighbours[7].end());
    scrambled.neighbours[9].push_back(scrambled.neighbours[9].front());
    EXPECT_TRUE(neighbourRowsAreMutual(scrambled.view()));

    // A missing way to a higher and to a lower vertex, and one the row
    // names twice: each is found, whichever side it is on.
    for (std::int32_t v : {0, 9, 80, scrambled.nrOfVertices() - 1}) {
        auto& row = scrambled.neighbours[static_cast<std::size_t>(v)];
        for (auto highest : {true, false}) {
            MeshData oneWay = scrambled;
            auto& changed = oneWay.neighbours[static_cast<std::size_t>(v)];
            const auto at = highest ? std::max_element(changed.begin(), changed.end())
                                    : std::min_element(changed.begin(), changed.end());
            if ((highest && *at < v) || (!highest && *at > v)) continue;
            changed.erase(at);
            EXPECT_FALSE(neighbourRowsAreMutual(oneWay.view())) << v << (highest ? " higher" : " lower");
        }
        MeshData twice = scrambled;
        twice.neighbours[static_cast<std::size_t>(row.front())].erase(
            std::find(twice.neighbours[static_cast<std::size_t>(row.front())].begin(),
                      twice.neighbours[static_cast<std::size_t>(row.front())].end(), v));
        twice.neighbours[static_cast<std::size_t>(v)].push_back(row.front());
        EXPECT_FALSE(neighbourRowsAreMutual(twice.view())) << v;
    }
    // One relation moved from one row to another keeps every count the same.
    MeshData moved = mesh;
    moved.neighbours[0].back() = moved.neighbours[0].front() == 5 ? 6 : 5;
    EXPECT_FALSE(neighbourRowsAreMutual(moved.view()));
}

TEST(MeshIndex, TrianglesAreGroupedByFirstCornerInAscendingOrder) {
    MeshData mesh = makeGrid(4, 3, 1.0f);
    const MeshIndex index = buildMeshIndex(mesh.view());
    std::size_t listed = 0;
    for (std::int32_t v = 0; v < mesh.nrOfVertices(); ++v) {
        std::int32_t previous = -1;
        for (std::int32_t k = index.firstTriangleOf[v]; k < index.firstTriangleOf[v + 1]; ++k, ++listed) {
            const std::int32_t t = index.trianglesByFirstCorner[static_cast<std::size_t>(k)];
            EXPECT_EQ(mesh.triangles[3 * static_cast<std::size_t>(t)], v);
            EXPECT_GT(t, previous);
            previous = t;
        }
    }
    EXPECT_EQ(listed, static_cast<std::size_t>(mesh.nrOfTriangles()));
}

}  // namespace
}  // namespace tessarin

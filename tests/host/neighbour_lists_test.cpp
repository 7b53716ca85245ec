#include "host/documents/neighbour_lists.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "geometry/mesh_data.h"

namespace zevkalon {
namespace {

std::vector<std::int32_t> row(const NeighbourLists& lists, std::int32_t v) {
    return std::vector<std::int32_t>(lists.begin(v), lists.end(v));
}

// The plug-in visits neighbours in stored order, so the host's lists must be
// those of the geometry library row for row: ascending, distinct, a vertex in
// its own row when it stands twice in a degenerate triangle, empty rows for
// vertices in no triangle.
TEST(NeighbourLists, AreTheGeometryLibrarysListsForAnyTriangles) {
    std::mt19937 random(7);
    for (const std::int32_t vertices : {1, 5, 40, 400}) {
        std::uniform_int_distribution<std::int32_t> vertex(0, vertices - 1);
        std::vector<std::int32_t> triangles;
        for (int t = 0; t < vertices * 2; ++t) {
            // Every fifth triangle repeats a corner.
            const std::int32_t a = vertex(random), b = vertex(random);
            triangles.insert(triangles.end(), {a, b, t % 5 == 0 ? a : vertex(random)});
        }
        triangles.insert(triangles.end(), {0, 0, 0});
        const auto expected = tessarin::buildNeighbourLists(vertices, triangles);
        const NeighbourLists lists(vertices, triangles);
        ASSERT_EQ(lists.nrOfVertices(), vertices);
        for (std::int32_t v = 0; v < vertices; ++v) ASSERT_EQ(row(lists, v), expected[v]) << vertices << " " << v;
    }
}

TEST(NeighbourLists, CopiesPointIntoTheirOwnRows) {
    const std::vector<std::int32_t> triangles = {0, 1, 2, 0, 2, 3};
    auto original = std::make_unique<NeighbourLists>(5, triangles);
    NeighbourLists copy(*original);
    NeighbourLists assigned;
    assigned = *original;
    original.reset();
    for (NeighbourLists* lists : {&copy, &assigned}) {
        EXPECT_EQ(row(*lists, 0), (std::vector<std::int32_t>{1, 2, 3}));
        EXPECT_EQ(lists->counts()[4], 0);
        EXPECT_EQ(lists->rows()[2][2], 3);
    }
}

}  // namespace
}  // namespace zevkalon

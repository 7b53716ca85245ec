#include <gtest/gtest.h>

#include "geometry/mesh_shapes.h"
#include "geometry/overlap.h"
#include "tests/support/patch_test_cases.h"

namespace tessarin {
namespace {

using testing::makePOIFile;

// The three counts the no-overlap stage logs for every record: before
// removal, after removal, after redistribution.
std::vector<std::vector<std::int32_t>> runStage(POIFile& file, const SurfaceMesh& mesh) {
    std::vector<std::vector<std::int32_t>> counts(file.POIs.size());
    const VertexList overlap = findOverlapVertices(file);
    for (std::size_t i = 0; i < file.POIs.size(); ++i) counts[i].push_back(file.POIs[i].NrOfVertices);
    removeOverlapVertices(file, overlap);
    for (std::size_t i = 0; i < file.POIs.size(); ++i) counts[i].push_back(file.POIs[i].NrOfVertices);
    redistributeVertices(file, overlap, mesh);
    for (std::size_t i = 0; i < file.POIs.size(); ++i) counts[i].push_back(file.POIs[i].NrOfVertices);
    return counts;
}

using Counts = std::vector<std::vector<std::int32_t>>;

TEST(Overlap, FindsEveryRepeatedVertexOnceAscending) {
    EXPECT_TRUE(findOverlapVertices(makePOIFile({{3, 1}, {2, 0}})).empty());
    EXPECT_TRUE(findOverlapVertices(makePOIFile({})).empty());
    // Shared by three records, shared by two, and twice within one record.
    EXPECT_EQ(findOverlapVertices(makePOIFile({{9, 4, 1}, {4, 7, 9}, {4, 5, 5}})), (VertexList{4, 5, 9}));
    // Records beyond NrOfPOIs are not looked at.
    POIFile file = makePOIFile({{1, 2}, {2, 3}});
    file.NrOfPOIs = 1;
    EXPECT_TRUE(findOverlapVertices(file).empty());
}

TEST(Overlap, RemovesTheFirstOccurrenceFromEveryRecordAndStoresCounts) {
    POIFile file = makePOIFile({{9, 4, 1, 4}, {4, 7, 9}, {5, 4, 5}});
    removeOverlapVertices(file, {4, 5, 9});
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{1, 4}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{7}));
    EXPECT_EQ(file.POIs[2].Vertices, (VertexList{5}));
    EXPECT_EQ(file.POIs[0].NrOfVertices, 2);
    EXPECT_EQ(file.POIs[2].NrOfVertices, 1);

    // With nothing to remove the counts are still brought in step.
    file = makePOIFile({{1, 2}, {3}});
    file.POIs[0].NrOfVertices = 7;
    removeOverlapVertices(file, {});
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{1, 2}));
    EXPECT_EQ(file.POIs[0].NrOfVertices, 2);
}

TEST(Overlap, StageCountsOfTheWorkedCases) {
    const MeshData strip = makeGrid(5, 2, 1.0f);  // 0..4 over 5..9
    const SurfaceMesh mesh = strip.view();

    // Nothing shared: three equal counts each.
    POIFile file = makePOIFile({{0, 5}, {3, 4}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{2, 2, 2}, {2, 2, 2}}));

    // Vertex 2 shared by two records that it touches: record 0 takes it back.
    file = makePOIFile({{0, 1, 5, 6, 2}, {2, 3, 4, 7, 8, 9}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{5, 4, 5}, {6, 5, 5}}));
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{0, 1, 5, 6, 2}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{3, 4, 7, 8, 9}));

    // Shared by three: removed once from each, and record 0 wins it back.
    file = makePOIFile({{1, 2}, {2, 3}, {7, 2}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{2, 1, 2}, {2, 1, 1}, {2, 1, 1}}));

    // A record made only of shared vertices ends empty and takes nothing;
    // its neighbours take its former vertices.
    file = makePOIFile({{1, 2}, {0, 1}, {2, 3}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{2, 0, 0}, {2, 1, 2}, {2, 1, 2}}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{0, 1}));
    EXPECT_EQ(file.POIs[2].Vertices, (VertexList{3, 2}));

    // Two one-vertex records on the same vertex that nothing else touches:
    // the vertex ends in no record.
    file = makePOIFile({{1}, {1}, {9}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{1, 0, 0}, {1, 0, 0}, {1, 1, 1}}));

    // A vertex twice in one record and in no other: one occurrence stays, and
    // a neighbouring record whose ring holds it takes it as well.
    file = makePOIFile({{1, 1, 0}, {2}});
    EXPECT_EQ(runStage(file, mesh), (Counts{{3, 2, 2}, {1, 1, 2}}));
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{1, 0}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{2, 1}));
}

TEST(Overlap, BandThreeRingsWideIsSharedPassByPass) {
    const MeshData strip = makeGrid(10, 3, 1.0f);
    VertexList left, right;
    for (std::int32_t j = 0; j < 3; ++j) {
        for (std::int32_t i = 0; i < 10; ++i) {
            if (i <= 5) left.push_back(i + 10 * j);
            if (i >= 3) right.push_back(i + 10 * j);
        }
    }
    POIFile file = makePOIFile({left, right});
    EXPECT_EQ(findOverlapVertices(file), (VertexList{3, 4, 5, 13, 14, 15, 23, 24, 25}));
    EXPECT_EQ(runStage(file, strip.view()), (Counts{{18, 9, 15}, {21, 12, 15}}));
    // Pass 1: each takes the column next to it; pass 2: record 0 takes the middle.
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{0, 1, 2, 10, 11, 12, 20, 21, 22, 3, 13, 23, 4, 14, 24}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{6, 7, 8, 9, 16, 17, 18, 19, 26, 27, 28, 29, 5, 15, 25}));
}

TEST(Overlap, RedistributionStopsWhenAPassTakesNothing) {
    const MeshData strip = makeGrid(10, 3, 1.0f);
    // 8 and 18 touch record 1 at once; 9 and 29 only through them, in the
    // second pass (ascending within the pass); 15 is cut off from every
    // record, so the third pass takes nothing and the hand-out stops.
    POIFile file = makePOIFile({{0}, {7}});
    redistributeVertices(file, {9, 8, 15, 29, 18}, strip.view());
    EXPECT_EQ(file.POIs[0].Vertices, (VertexList{0}));
    EXPECT_EQ(file.POIs[1].Vertices, (VertexList{7, 8, 18, 9, 29}));
    EXPECT_EQ(file.POIs[1].NrOfVertices, 5);
}

}  // namespace
}  // namespace tessarin

// The fast vertex-set operations against their literal versions on generated
// meshes and sets: identical lists in identical order, bit-identical areas.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "geometry/mesh_index.h"
#include "geometry/mesh_shapes.h"
#include "geometry/one_ring.h"
#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "geometry/patch_connectivity.h"
#include "tests/support/patch_test_cases.h"
#include "tests/support/reference_patch_ops.h"

namespace tessarin {
namespace {

using testing::floatBits;

struct Scene {
    std::string name;
    MeshData mesh;
};

// Closed spheres, open grids with holes cut into the mesh, two components,
// and each of them again with shuffled neighbour rows, with some rows made
// one-way, and (the small ones) with random rows (which the faster paths
// must notice).
std::vector<Scene> makeScenes(std::mt19937& rng) {
    std::vector<Scene> scenes;
    scenes.push_back({"icosphere1", makeIcosphere(1, 1.0f, 0, 0, 0)});
    scenes.push_back({"icosphere2", makeIcosphere(2, 3.0f, 1, 2, 3)});
    scenes.push_back({"icosphere3", makeIcosphere(3, 10.0f, 0, 0, 0)});
    scenes.push_back({"grid", makeGrid(11, 9, 0.7f)});
    scenes.push_back({"grid with holes", testing::withoutTrianglesAt(makeGrid(14, 10, 1.3f), {17, 18, 33, 60, 61, 75, 76, 120})});
    scenes.push_back({"sphere and grid",
                      testing::combineMeshes(makeIcosphere(1, 2.0f, 0, 0, 0), makeGrid(7, 6, 0.5f), 10.0f)});
    const std::size_t plain = scenes.size();
    for (std::size_t i = 0; i < plain; ++i) {
        Scene shuffled{scenes[i].name + " shuffled", scenes[i].mesh};
        testing::shuffleNeighbourRows(shuffled.mesh, rng);
        scenes.push_back(std::move(shuffled));
        Scene oneWay{scenes[i].name + " one-way", scenes[i].mesh};
        testing::makeSomeRowsOneWay(oneWay.mesh, 0.02, rng);
        scenes.push_back(std::move(oneWay));
        if (scenes[i].mesh.nrOfVertices() <= 200) {
            Scene random{scenes[i].name + " random rows", scenes[i].mesh};
            testing::randomizeRows(random.mesh, rng);
            scenes.push_back(std::move(random));
        }
    }
    return scenes;
}

VertexList randomSet(const MeshData& mesh, std::mt19937& rng) {
    const std::int32_t n = mesh.nrOfVertices();
    switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
        case 0:
            return {};
        case 1: {
            const double density = std::uniform_real_distribution<double>(0.9, 1.0)(rng);
            return testing::randomSubset(n, density, 0, true, rng);
        }
        case 2:
        case 3:
        case 4: {
            const double density = std::uniform_real_distribution<double>(0.02, 0.9)(rng);
            const int repeats = std::uniform_int_distribution<int>(0, 4)(rng);
            return testing::randomSubset(n, density, repeats, rng() % 2 == 0, rng);
        }
        default: {
            // One or two holey blobs, sometimes with a few repeats.
            const std::int32_t largest = rng() % 3 == 0 ? n : n / 3 + 1;
            const auto size = std::uniform_int_distribution<std::int32_t>(1, largest)(rng);
            const double holes = std::uniform_real_distribution<double>(0.0, 0.3)(rng);
            VertexList set = testing::randomBlob(mesh, size, holes, rng);
            if (rng() % 2 == 0) {
                const VertexList other = testing::randomBlob(mesh, size / 3 + 1, holes, rng);
                set.insert(set.end(), other.begin(), other.end());
            }
            if (rng() % 3 == 0) std::sort(set.begin(), set.end());
            return set;
        }
    }
}

// The mesh as a plain view and with the index that a run attaches: the
// operations must give the same results either way.
struct Views {
    explicit Views(const MeshData& data) : plain(data.view()), index(buildMeshIndex(plain)), indexed(plain) {
        indexed.index = &index;
    }
    SurfaceMesh plain;
    MeshIndex index;
    SurfaceMesh indexed;
};

void compareSetOperations(const SurfaceMesh& mesh, const VertexList& set, std::int32_t steps) {
    ASSERT_EQ(splitIntoPatches(set, mesh), reference::splitIntoPatches(set, mesh));
    ASSERT_EQ(floatBits(patchArea(set, mesh)), floatBits(reference::patchArea(set, mesh)));
    ASSERT_EQ(getOuterRing(set, mesh), reference::getOuterRing(set, mesh));
    ASSERT_EQ(getBoundaryVertices(set, mesh), reference::getBoundaryVertices(set, mesh));

    VertexList fast = set, literal = set;
    const LargestPatchResult a = keepLargestPatch(fast, mesh);
    const LargestPatchResult b = reference::keepLargestPatch(literal, mesh);
    ASSERT_EQ(fast, literal);
    ASSERT_EQ(a.nrOfPatches, b.nrOfPatches);
    ASSERT_EQ(floatBits(a.areaBefore), floatBits(b.areaBefore));
    ASSERT_EQ(floatBits(a.areaKept), floatBits(b.areaKept));

    fast = set, literal = set;
    fillPatchHoles(fast, mesh);
    reference::fillPatchHoles(literal, mesh);
    ASSERT_EQ(fast, literal);

    fast = set, literal = set;
    smoothPatchEdges(fast, steps, mesh);
    reference::smoothPatchEdges(literal, steps, mesh);
    ASSERT_EQ(fast, literal);
}

TEST(PatchOpsDifferential, SetOperationsMatchTheLiteralVersions) {
    std::mt19937 rng(20240611);
    const std::vector<Scene> scenes = makeScenes(rng);
    int cases = 0;
    for (const Scene& scene : scenes) {
        // The 642-vertex sphere costs the literal versions about ten times
        // as much as the small meshes; a few cases of it suffice.
        const int count = scene.mesh.nrOfVertices() > 500 ? 30 : 300;
        for (int i = 0; i < count; ++i) {
            const VertexList set = randomSet(scene.mesh, rng);
            // Many steps on the small meshes: the set then covers its parts
            // of the mesh before the steps run out.
            const std::int32_t steps = std::vector<std::int32_t>{1, 1, 2, 3, count > 30 ? 9 : 4}[rng() % 5];
            SCOPED_TRACE(scene.name + " case " + std::to_string(i) + " size " + std::to_string(set.size()) +
                         " steps " + std::to_string(steps));
            const Views views(scene.mesh);
            for (const SurfaceMesh* mesh : {&views.plain, &views.indexed}) {
                SCOPED_TRACE(mesh->index ? "with an index" : "without an index");
                compareSetOperations(*mesh, set, steps);
                if (::testing::Test::HasFatalFailure()) return;
            }
            ++cases;
        }
    }
    EXPECT_GE(cases, 3000);
}

// Small random directed graphs, where which seed reaches what first decides
// the regions: the region bookkeeping of hole filling must end exactly where
// cutting the ring afresh after every pass does.
TEST(PatchOpsDifferential, HoleFillingOnRandomRowsMatchesTheLiteralVersion) {
    std::mt19937 rng(909);
    for (int i = 0; i < 4000; ++i) {
        MeshData mesh;
        const std::int32_t n = std::uniform_int_distribution<std::int32_t>(8, 60)(rng);
        mesh.x.assign(static_cast<std::size_t>(n), 0.0f);
        mesh.neighbours.resize(static_cast<std::size_t>(n));
        const int longest = std::uniform_int_distribution<int>(1, 5)(rng);
        std::uniform_int_distribution<std::int32_t> any(0, n - 1);
        for (auto& row : mesh.neighbours) row.resize(static_cast<std::size_t>(rng() % (longest + 1)));
        for (auto& row : mesh.neighbours) {
            for (std::int32_t& w : row) w = any(rng);
        }
        const VertexList set = testing::randomSubset(n, std::uniform_real_distribution<double>(0.05, 0.5)(rng), 0,
                                                     rng() % 2 == 0, rng);
        VertexList fast = set, literal = set;
        fillPatchHoles(fast, mesh.view());
        reference::fillPatchHoles(literal, mesh.view());
        ASSERT_EQ(fast, literal) << "case " << i;
    }
}

void expectSameFile(const POIFile& fast, const POIFile& literal) {
    ASSERT_EQ(fast.POIs.size(), literal.POIs.size());
    for (std::size_t i = 0; i < fast.POIs.size(); ++i) {
        ASSERT_EQ(fast.POIs[i].Vertices, literal.POIs[i].Vertices) << "record " << i;
        ASSERT_EQ(fast.POIs[i].NrOfVertices, literal.POIs[i].NrOfVertices) << "record " << i;
    }
}

TEST(PatchOpsDifferential, OverlapOperationsMatchTheLiteralVersions) {
    std::mt19937 rng(77);
    const std::vector<Scene> scenes = makeScenes(rng);
    int cases = 0;
    for (const Scene& scene : scenes) {
        const Views views(scene.mesh);
        const int count = scene.mesh.nrOfVertices() > 500 ? 30 : 100;
        for (int i = 0; i < count; ++i) {
            std::vector<VertexList> lists(std::uniform_int_distribution<std::size_t>(1, 5)(rng));
            for (VertexList& list : lists) list = randomSet(scene.mesh, rng);
            const POIFile original = testing::makePOIFile(lists);
            SCOPED_TRACE(scene.name + " case " + std::to_string(i));
            const SurfaceMesh& mesh = i % 2 == 0 ? views.plain : views.indexed;

            const VertexList overlap = findOverlapVertices(original);
            ASSERT_EQ(overlap, reference::findOverlapVertices(original));
            POIFile fast = original, literal = original;
            removeOverlapVertices(fast, overlap);
            reference::removeOverlapVertices(literal, overlap);
            expectSameFile(fast, literal);
            redistributeVertices(fast, overlap, mesh);
            reference::redistributeVertices(literal, overlap, mesh);
            expectSameFile(fast, literal);

            // Any remaining list, repeats and order included, is handed out alike.
            const VertexList remaining = testing::randomSubset(scene.mesh.nrOfVertices(), 0.2, 5, false, rng);
            fast = original, literal = original;
            redistributeVertices(fast, remaining, mesh);
            reference::redistributeVertices(literal, remaining, mesh);
            expectSameFile(fast, literal);
            if (::testing::Test::HasFatalFailure()) return;
            ++cases;
        }
    }
    EXPECT_GE(cases, 1000);
}

TEST(PatchOpsDifferential, OverlapOfValuesFarOutsideAnyMesh) {
    // No mesh bounds the overlap operations; widely spread or negative values
    // take the sorted path and must give the same lists.
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        std::vector<VertexList> lists(3);
        for (VertexList& list : lists) {
            for (int k = 0; k < 20; ++k) {
                list.push_back(rng() % 2 ? std::int32_t(rng() % 8) - 4 : std::int32_t(rng() >> 1) - (1 << 30));
            }
        }
        lists[1].push_back(lists[0][3]);
        POIFile fast = testing::makePOIFile(lists), literal = fast;
        const VertexList overlap = findOverlapVertices(fast);
        ASSERT_EQ(overlap, reference::findOverlapVertices(fast));
        // A list with repeats removes one occurrence per listing.
        VertexList twice = overlap;
        twice.insert(twice.end(), overlap.begin(), overlap.end());
        removeOverlapVertices(fast, twice);
        reference::removeOverlapVertices(literal, twice);
        expectSameFile(fast, literal);
    }
}

}  // namespace
}  // namespace tessarin

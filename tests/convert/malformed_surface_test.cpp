// A malformed surface record from the host ends the run with one message
// box instead of crashing the host: nothing is logged, written or loaded.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/convert/run_reference.h"
#include "tests/fake_host/plugin_harness.h"
#include "tests/poi/scratch_folder.h"

namespace tessarin {
namespace {

using Texts = std::vector<std::string>;

struct Malformation {
    const char* what;
    std::function<void(SRFInfo&)> edit;
    std::string message;  // after "The surface mesh is malformed: "
};

// The grid is 4 x 4: vertices 0..15, 18 triangles, interior vertices with
// six neighbours. Each case breaks one thing the stages would read.
std::vector<Malformation> malformations() {
    static std::int32_t shortRow[] = {1, 99};
    return {
        {"negative vertex count", [](SRFInfo& s) { s.NrOfVertices = -3; }, "its vertex count is negative (-3)."},
        {"negative triangle count", [](SRFInfo& s) { s.NrOfTriangles = -1; }, "its triangle count is negative (-1)."},
        {"unaddressable triangle count", [](SRFInfo& s) { s.NrOfTriangles = 0x7fffffff; },
         "its triangle count 2147483647 is too large to address (at most 715827882)."},
        {"null normals", [](SRFInfo& s) { s.NormalY = nullptr; },
         "the NormalY array is missing (NrOfVertices 16)."},
        {"null triangles", [](SRFInfo& s) { s.Triangles = nullptr; },
         "the Triangles array is missing (NrOfTriangles 18)."},
        {"misaligned positions",
         [](SRFInfo& s) { s.VertexX = reinterpret_cast<float*>(reinterpret_cast<char*>(s.VertexX) + 1); },
         "the VertexX array cannot be addressed (NrOfVertices 16)."},
        {"null neighbour counts", [](SRFInfo& s) { s.NrOfNeighbours = nullptr; },
         "the NrOfNeighbours array is missing (NrOfVertices 16)."},
        {"null neighbour row", [](SRFInfo& s) { s.Neighbours[5] = nullptr; },
         "the neighbour row of vertex 5 is missing (NrOfNeighbours 6)."},
        {"negative neighbour count", [](SRFInfo& s) { s.NrOfNeighbours[2] = -4; },
         "vertex 2 has a negative neighbour count (-4)."},
        {"neighbour out of range",
         [](SRFInfo& s) {
             s.NrOfNeighbours[0] = 2;
             s.Neighbours[0] = shortRow;
         },
         "neighbour 1 of vertex 0 is 99, outside 0..15."},
        {"triangle corner out of range", [](SRFInfo& s) { s.Triangles[3 * 17 + 2] = 16; },
         "triangle 17 has corner 16, outside 0..15."},
        {"negative triangle corner", [](SRFInfo& s) { s.Triangles[4] = -1; },
         "triangle 1 has corner -1, outside 0..15."},
    };
}

TEST(MalformedSurface, EndsTheRunWithOneMessageAndWritesNothing) {
    testing::ScratchFolder folder;
    for (const Malformation& malformation : malformations()) {
        fakehost::Scene scene = testing::gridScene(4, 4);
        testing::addVOI(scene, "A", 1, {{1, 1}, {2, 1}});
        testing::setOptions(scene, 15);  // every stage on: all arrays would be read
        scene.voisFileName = folder.file("rois.voi");
        scene.editSRF = malformation.edit;
        fakehost::PluginHarness harness;
        harness.scene() = scene;
        harness.createPlugin();
        ASSERT_TRUE(harness.initPlugin());
        harness.clearCalls();
        EXPECT_FALSE(harness.execute()) << malformation.what;
        const Texts calls = harness.host().functionNames();
        // The record is checked right after it is fetched: no further host call but the box.
        ASSERT_GE(calls.size(), 2u) << malformation.what;
        EXPECT_EQ(Texts(calls.end() - 2, calls.end()), (Texts{"zkGetCurrentSRF", "zkMessageBox"})) << malformation.what;
        EXPECT_EQ(harness.host().textsOf("zkMessageBox"),
                  Texts{"The surface mesh is malformed: " + malformation.message})
            << malformation.what;
        harness.destroyPlugin();
    }
    EXPECT_EQ(folder.entries(), Texts{});
}

}  // namespace
}  // namespace tessarin

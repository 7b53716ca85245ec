// Running the zevkalon executable on generated files, for the end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/host/test_files.h"

namespace zevkalon::testing {

// The scene of most end-to-end tests, in voxel coordinates of a 20^3 volume:
// a flat 20 x 20 grid of vertices (i, j, 5), vertex i + 20 j, normals +z;
// label 3 on voxels i, j in 2..4 at k 6 (reached with From -1, To 3), label 7
// on i in 10..12, j in 10..11 at k 8 (reached only through the far end of
// the range), label 9 at k 12 (never reached).
struct GridScene {
    static constexpr int kSide = 20;
    std::vector<double> voxelPositions;   // x, y, z per vertex
    std::vector<std::int32_t> triangles;
    std::vector<double> labels;           // 20^3, i fastest

    GridScene();
    // Vertex indices of the label's reached voxels (i + 20 j), ascending.
    static std::vector<std::int32_t> block(int i0, int i1, int j0, int j1);
    // The positions mapped by a voxel-to-world sform (rows of 3 x 4).
    std::vector<double> worldPositions(const std::array<double, 12>& sform) const;
};

// OBJ text of a surface: "v" lines, optional "vn" lines, "f" lines (1-based).
std::string objText(const std::vector<double>& positions, const std::vector<std::int32_t>& triangles,
                    const std::vector<double>& normals = {});

// One expected POI, as the plug-in writes it with every option off.
struct ExpectedPoi {
    std::string name;  // without " (empty)"
    int red, green, blue;
    std::vector<std::int32_t> vertices;
};
std::string expectedPoiText(const std::string& meshFile, int meshVertices, const std::vector<ExpectedPoi>& pois);

// A test with its own empty folder; run() starts zevkalon with arguments and
// keeps its exit status, standard output and standard error. The output
// files live beside the folder, so the folder holds only what the test and
// zevkalon put there.
class HostRunTest : public ::testing::Test {
protected:
    struct Result {
        int code = -1;
        std::string log;       // standard output: the log pane
        std::string messages;  // standard error
    };

    void SetUp() override { dir_ = makeTempFolder(); }
    void TearDown() override;

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    Result run(const std::vector<std::string>& arguments) const;
    // Writes the grid scene's label volume (identity sform) and OBJ surface.
    void writeGridInputs(const std::string& volumeName = "labels.nii", const std::string& surfaceName = "grid.obj");

    std::string dir_;
};

// True when text contains line as one whole line.
bool hasLine(const std::string& text, const std::string& line);

}  // namespace zevkalon::testing

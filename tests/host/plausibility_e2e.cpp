// Runs whose result is almost surely not what was meant: zevkalon still
// finishes (the plug-in's log unchanged) but says why on standard error,
// and --strict turns that into exit status 8.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "geometry/mesh_shapes.h"
#include "tests/host/host_fixture.h"

namespace zevkalon::testing {
namespace {

constexpr int kWarnings = 8;

bool hasWarning(const std::string& messages, const std::string& part) {
    std::istringstream lines(messages);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("zevkalon: warning: ", 0) == 0 && line.find(part) != std::string::npos) return true;
    }
    return false;
}

// A closed sphere of radius 5 around the middle of the 20^3 grid, wound
// outwards, or inwards with all triangles turned around.
std::string sphereObj(bool inwards) {
    const tessarin::MeshData sphere = tessarin::makeIcosphere(2, 5.0f, 10.0f, 10.0f, 10.0f);
    std::vector<double> positions;
    for (std::int32_t v = 0; v < sphere.nrOfVertices(); ++v) {
        positions.insert(positions.end(), {double{sphere.x[v]}, double{sphere.y[v]}, double{sphere.z[v]}});
    }
    std::vector<std::int32_t> triangles = sphere.triangles;
    if (inwards) {
        for (std::size_t t = 0; t < triangles.size(); t += 3) std::swap(triangles[t + 1], triangles[t + 2]);
    }
    return objText(positions, triangles);
}

TEST_F(HostRunTest, ASurfaceOutsideTheVolumeIsNamedAndStrictFails) {
    writeGridInputs("labels.nii", "grid.obj");
    GridScene scene;
    for (std::size_t v = 0; v < scene.voxelPositions.size(); v += 3) scene.voxelPositions[v] += 500.0;
    writeText(path("far.obj"), objText(scene.voxelPositions, scene.triangles));

    const Result plain = run({path("labels.nii"), path("far.obj")});
    ASSERT_EQ(plain.code, 0) << plain.messages;
    EXPECT_TRUE(hasWarning(plain.messages, "no vertex of " + path("far.obj") + " lies inside the volume " +
                                               path("labels.nii") + ": the two are probably not in the same space"))
        << plain.messages;
    EXPECT_TRUE(hasWarning(plain.messages, "every POI is empty")) << plain.messages;

    const Result strict = run({"--strict", path("labels.nii"), path("far.obj"), "--voi-file", path("strict.voi")});
    EXPECT_EQ(strict.code, kWarnings) << strict.messages;
    EXPECT_TRUE(hasLine(strict.log, "Plugin>  POI saved as \"" + path("strict.poi") + "\""));  // the run went through
    EXPECT_TRUE(hasLine(strict.messages, "zevkalon: --strict: 2 warnings given (see above)")) << strict.messages;

    // The grid itself lies inside and reaches its labels: nothing to say, and --strict passes.
    const Result fine = run({"--strict", path("labels.nii"), path("grid.obj"), "--voi-file", path("fine.voi")});
    EXPECT_EQ(fine.code, 0) << fine.messages;
    EXPECT_EQ(fine.messages.find("warning"), std::string::npos) << fine.messages;
}

TEST_F(HostRunTest, InwardNormalsOfAClosedSurfaceAreNamedAndFlipNormalsTurnsThem) {
    NiftiContent content;
    content.labels.assign(20 * 20 * 20, 0.0);
    // A shell of label 4 just outside the sphere.
    for (int k = 0; k < 20; ++k) {
        for (int j = 0; j < 20; ++j) {
            for (int i = 0; i < 20; ++i) {
                const double r = std::sqrt((i - 10.0) * (i - 10.0) + (j - 10.0) * (j - 10.0) + (k - 10.0) * (k - 10.0));
                if (r > 5.6 && r < 7.5) content.labels[static_cast<std::size_t>(i + (j + k * 20) * 20)] = 4;
            }
        }
    }
    writeNifti(content, path("shell.nii"));
    writeText(path("out.obj"), sphereObj(false));
    writeText(path("in.obj"), sphereObj(true));

    const Result outwards = run({path("shell.nii"), path("out.obj"), "--from", "0", "--to", "2", "--voi-file", path("a.voi")});
    ASSERT_EQ(outwards.code, 0) << outwards.messages;
    EXPECT_EQ(outwards.messages.find("warning"), std::string::npos) << outwards.messages;

    const Result inwards = run({path("shell.nii"), path("in.obj"), "--from", "0", "--to", "2", "--voi-file", path("b.voi")});
    ASSERT_EQ(inwards.code, 0) << inwards.messages;
    EXPECT_TRUE(hasWarning(inwards.messages, "the normals of the closed surface " + path("in.obj") +
                                                 " point inwards, so From and To look the wrong way"))
        << inwards.messages;
    EXPECT_TRUE(hasWarning(inwards.messages, "run again with --flip-normals")) << inwards.messages;

    // Turned around, the inward sphere samples exactly as the outward one.
    const Result flipped = run({"--flip-normals", "--strict", path("shell.nii"), path("in.obj"), "--from", "0",
                                "--to", "2", "--voi-file", path("c.voi")});
    ASSERT_EQ(flipped.code, 0) << flipped.messages;
    const auto vertexLines = [&](const std::string& file) {
        const std::string text = readText(path(file));
        return text.substr(text.find("NrOfVertices:     "));
    };
    EXPECT_EQ(vertexLines("c.poi"), vertexLines("a.poi"));
    EXPECT_NE(vertexLines("b.poi"), vertexLines("a.poi"));

    // And the outward one turned around is named too, with the other advice.
    const Result wrongFlip = run({"--flip-normals", path("shell.nii"), path("out.obj"), "--voi-file", path("d.voi")});
    EXPECT_TRUE(hasWarning(wrongFlip.messages, "point inwards after --flip-normals")) << wrongFlip.messages;
    EXPECT_TRUE(hasWarning(wrongFlip.messages, "run again without --flip-normals")) << wrongFlip.messages;
}

TEST_F(HostRunTest, AVolumeOfThousandsOfValuesIsNamedAsAnIntensityImage) {
    NiftiContent content;
    content.labels.resize(20 * 20 * 20);
    for (std::size_t v = 0; v < content.labels.size(); ++v) content.labels[v] = static_cast<double>(v % 3000 + 1);
    writeNifti(content, path("t1.nii"));
    writeText(path("grid.obj"), objText(GridScene().voxelPositions, GridScene().triangles));
    const Result result = run({path("t1.nii"), path("grid.obj")});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_TRUE(hasWarning(result.messages, path("t1.nii") + " has 3000 distinct non-zero values, each made a VOI: "
                                                             "it looks like an intensity image"))
        << result.messages;
}

}  // namespace
}  // namespace zevkalon::testing

// zevkalon with the real plug-in on generated volumes and surfaces: the POI
// file and the log must be exactly what the grid scene predicts.
#include "tests/host/host_fixture.h"

namespace zevkalon::testing {
namespace {

const std::vector<std::int32_t> kLabel3 = GridScene::block(2, 4, 2, 4);
const std::vector<std::int32_t> kLabel7 = GridScene::block(10, 12, 10, 11);

TEST_F(HostRunTest, ObjSurfaceOnIdentityVolumeWithoutTableWritesThePredictedFileAndLog) {
    writeGridInputs("labels.nii.gz", "grid.obj");
    const Result result = run({path("labels.nii.gz"), path("grid.obj")});
    ASSERT_EQ(result.code, 0) << result.messages;

    const std::string expected =
        expectedPoiText(path("grid.obj"), 400,
                        {{"Label 3", 255, 225, 25, kLabel3}, {"Label 7", 70, 240, 240, kLabel7},
                         {"Label 9", 188, 246, 12, {}}});
    EXPECT_EQ(readText(path("labels.poi")), expected);
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Starting conversion of 3 VOIs in " + path("labels.voi")));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Looking from -1 to 3"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Options chosen: "));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 3\" of 9 voxels to 9 poi vertices"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 7\" of 6 voxels to 6 poi vertices"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 9\" of 4 voxels to 0 poi vertices"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  POI saved as \"" + path("labels.poi") + "\""));
    EXPECT_EQ(result.messages, "zevkalon: " + path("grid.obj") +
                                   ": coordinates taken as scanner (world) coordinates (the file carries no FreeSurfer "
                                   "volume geometry)\nzevkalon: loaded 3 POIs (15 vertices) from " +
                                   path("labels.poi") + "\n");
    // Standard output is the log pane alone: every line is a plug-in line,
    // one of the blank lines it logs, or its log stream's farewell at unload.
    std::istringstream lines(result.log);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.empty() || line == " " || line.rfind("Plugin>", 0) == 0 ||
                    line == "Destructor of ZKRLog never called")
            << line;
    }
}

TEST_F(HostRunTest, GiftiSurfaceWithLabelTableOnNifti2NamesAndColoursThePois) {
    const GridScene scene;
    NiftiContent content;
    content.labels = scene.labels;
    content.nifti2 = true;
    content.datatype = 8;
    writeNifti(content, path("seg.nii"));
    std::vector<float> positions(scene.voxelPositions.begin(), scene.voxelPositions.end());
    writeGiftiSurface(positions, scene.triangles, path("lh.white.surf.gii"));
    writeText(path("lut.txt"), "# FreeSurfer colour table\n\n  3  Left-V1  255 128 0 0\n9 Deep 0 0 255 0  # comment\n");

    const Result result = run({"--labels", path("lut.txt"), path("seg.nii"), path("lh.white.surf.gii"),
                               "--voi-file", path("rois.voi")});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_EQ(readText(path("rois.poi")),
              expectedPoiText(path("lh.white.surf.gii"), 400,
                              {{"Left-V1", 255, 128, 0, kLabel3}, {"Label 7", 70, 240, 240, kLabel7},
                               {"Deep", 0, 0, 255, {}}}));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Left-V1\" of 9 voxels to 9 poi vertices"));
}

// Surfaces in world coordinates of volumes with other voxel-to-world
// transforms: the host maps them back to the same grid, and scales the
// normals with the voxel size, so offsets along them are millimetres.
TEST_F(HostRunTest, NonIdentityAffinesMapSurfacesAndNormalsToTheVoxelGrid) {
    const GridScene scene;
    struct Case {
        const char* name;
        std::array<double, 12> sform;
        bool qform;
        std::vector<std::int32_t> label7;  // 2 mm voxels: label 7 lies 3 voxels = 6 mm out, beyond To
    } cases[] = {
        {"rotated", {0, -1, 0, 30, 1, 0, 0, -5, 0, 0, 1, 2}, false, kLabel7},
        {"scaled", {2, 0, 0, -10, 0, 2, 0, -20, 0, 0, 2, 4}, false, {}},
        {"qform", {2, 0, 0, -10, 0, 2, 0, -20, 0, 0, 2, 4}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NiftiContent content;
        content.labels = scene.labels;
        if (c.qform) {
            content.useQform = true;
            content.voxelSize = 2.0;
            content.qformOffset = {c.sform[3], c.sform[7], c.sform[11]};
        } else {
            content.sform = c.sform;
        }
        const std::string volume = path(std::string(c.name) + ".nii");
        writeNifti(content, volume);
        const std::string surface = path(std::string(c.name) + ".obj");
        writeText(surface, objText(scene.worldPositions(c.sform), scene.triangles));
        const Result result = run({volume, surface});
        ASSERT_EQ(result.code, 0) << result.messages;
        EXPECT_EQ(readText(path(std::string(c.name) + ".poi")),
                  expectedPoiText(surface, 400,
                                  {{"Label 3", 255, 225, 25, kLabel3}, {"Label 7", 70, 240, 240, c.label7},
                                   {"Label 9", 188, 246, 12, {}}}));
    }
}

TEST_F(HostRunTest, TheSurfaceFilesOwnNormalsAreUsed) {
    // Normals pointing down: the samples reach k 2 .. 6 instead of 4 .. 8, so
    // label 3 (k 6) is still found and label 7 (k 8) no longer.
    const GridScene scene;
    NiftiContent content;
    content.labels = scene.labels;
    writeNifti(content, path("labels.nii"));
    std::vector<double> down;
    for (std::size_t v = 0; v < scene.voxelPositions.size(); v += 3) down.insert(down.end(), {0.0, 0.0, -1.0});
    writeText(path("down.obj"), objText(scene.voxelPositions, scene.triangles, down));
    const Result result = run({path("labels.nii"), path("down.obj")});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 3\" of 9 voxels to 9 poi vertices"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 7\" of 6 voxels to 0 poi vertices"));
}

TEST_F(HostRunTest, CommandLineParametersReachThePlugin) {
    writeGridInputs();
    const Result result = run({path("labels.nii"), path("grid.obj"), "--from=0.5", "--to", "2.2", "--no-overlap",
                               "--fill-holes", "--smooth", "1"});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Looking from 0.5 to 2.2"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Options chosen:  <No overlap>   <Fill Holes>   <Edge Smoothing>  "));
    // A positive From samples nothing below the vertex, and To 2.2 reaches
    // k 7 at most: label 3 (k 6) is found, label 7 (k 8) is now out of reach.
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 3\" of 9 voxels to 9 poi vertices"));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Converted voi \"Label 7\" of 6 voxels to 0 poi vertices"));
}

}  // namespace
}  // namespace zevkalon::testing

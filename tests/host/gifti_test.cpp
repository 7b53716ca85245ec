#include <gtest/gtest.h>

#include "host/exports/gifti_label_writer.h"
#include "host/readers/gifti_surface_reader.h"
#include "host/host_error.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

class GiftiTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testing::makeTempFolder(); }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string dir_;
};

TEST_F(GiftiTest, ReadsSurfacesInEitherIndexOrder) {
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0.5f};
    const std::vector<std::int32_t> triangles = {0, 1, 2, 1, 3, 2};
    for (bool columnMajor : {false, true}) {
        const std::string path = dir_ + (columnMajor ? "/c.surf.gii" : "/r.surf.gii");
        testing::writeGiftiSurface(positions, triangles, path, columnMajor);
        const SurfaceFile surface = readGiftiSurface(path);
        EXPECT_EQ(surface.positions, std::vector<double>(positions.begin(), positions.end())) << path;
        EXPECT_EQ(surface.triangles, triangles) << path;
    }
}

TEST_F(GiftiTest, LabelKeysGoToTheFirstPoiThatHoldsTheVertex) {
    tessarin::POIFile pois;
    pois.POIs.resize(3);
    pois.POIs[0].Vertices = {1, 2};
    pois.POIs[1].Vertices = {2, 3, 9};  // 9 lies outside a 5-vertex mesh
    pois.POIs[2].Vertices = {4};
    pois.NrOfPOIs = 3;
    EXPECT_EQ(vertexLabels(pois, 5), (std::vector<std::int32_t>{0, 1, 1, 2, 3}));

    pois.POIs[0].NameOfPOI = pois.POIs[2].NameOfPOI = "same";
    pois.POIs[1].NameOfPOI = "other";
    pois.POIs[1].ColorOfPOI[0] = 255;
    const std::string path = dir_ + "/p.label.gii";
    writeGiftiLabels(pois, 5, path);
    const testing::GiftiLabels read = testing::readGiftiLabels(path);
    EXPECT_EQ(read.keys, (std::vector<std::int32_t>{0, 1, 1, 2, 3}));
    EXPECT_EQ(read.tableNames, (std::vector<std::string>{"???", "same", "other", "same #2"}));
    ASSERT_EQ(read.tableColours.size(), 4u);
    EXPECT_EQ(read.tableColours[0][3], 0.0f);
    EXPECT_EQ(read.tableColours[2][0], 1.0f);

    try {
        writeGiftiLabels(pois, 5, dir_ + "/missing/p.label.gii");
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const HostError& error) {
        EXPECT_EQ(error.code(), kExitExportFailed);
    }
}

}  // namespace
}  // namespace zevkalon

#include "host/runtime/workspace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "geometry/mesh_shapes.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    WorkspaceTest() : workspace_(volume(), surface(), ParameterStore(), log_, messages_) {}

    static VolumeDocument volume() {
        VolumeDocument document;
        document.dims[0] = 4, document.dims[1] = 5, document.dims[2] = 6;
        VoiData voi;
        voi.name = "V1";
        voi.color = 16744448;
        voi.voxels = {1, 2, 3, 0, 0, 1};
        document.vois = {voi};
        document.voiFileName = "/data/rois.voi";
        return document;
    }
    static SurfaceDocument surface() {
        SurfaceDocument document;
        document.mesh = hostMesh(tessarin::makeGrid(3, 2, 1.0f));
        document.fileName = "grid.obj";
        return document;
    }

    std::ostringstream log_, messages_;
    Workspace workspace_;
};

TEST_F(WorkspaceTest, AnswersForTheCurrentDocumentOnly) {
    EXPECT_EQ(workspace_.numberOfDocuments(), 2);
    EXPECT_EQ(workspace_.documentType(0), ZK_DOCUMENT_TYPE_VMR);
    EXPECT_EQ(workspace_.documentType(1), ZK_DOCUMENT_TYPE_SRF);
    EXPECT_EQ(workspace_.documentType(2), 0);

    VOIsInfo vois;
    EXPECT_EQ(workspace_.getVOIs(&vois), 1);
    EXPECT_EQ(vois.NrOfVOIs, 1);
    EXPECT_STREQ(vois.FileName, "/data/rois.voi");
    VOIInfo info;
    const std::int32_t* voxels = workspace_.getVOI(0, &info);
    ASSERT_NE(voxels, nullptr);
    EXPECT_EQ(info.NrOfVoxels, 2);
    EXPECT_STREQ(info.Name, "V1");
    EXPECT_EQ(info.Color, 16744448);
    EXPECT_EQ(voxels[3 * 1 + 2], 1);
    EXPECT_EQ(workspace_.getVOI(1, &info), nullptr);
    VMRHeader header;
    EXPECT_EQ(workspace_.getMainHeaderOfCurrentVMR(&header), 1);
    EXPECT_EQ(header.DimY, 5);
    SRFInfo srf;
    EXPECT_EQ(workspace_.getCurrentSRF(&srf), 0);  // the VMR is current
    EXPECT_EQ(srf.NrOfVertices, 0);

    EXPECT_EQ(workspace_.setCurrentDocument(1), 1);
    EXPECT_EQ(workspace_.getCurrentSRF(&srf), 1);
    EXPECT_EQ(srf.NrOfVertices, 6);
    EXPECT_EQ(srf.NrOfTriangles, 4);
    EXPECT_STREQ(srf.FileName, "grid.obj");
    EXPECT_EQ(srf.NrOfNeighbours[0], 3);
    EXPECT_EQ(srf.Neighbours[0][2], 4);
    EXPECT_EQ(workspace_.getVOIs(&vois), 0);
    EXPECT_EQ(workspace_.setCurrentDocument(5), 0);
    EXPECT_EQ(workspace_.currentDocument(), 1);
    EXPECT_NE(messages_.str().find("zevkalon: zkGetCurrentSRF: the current document is not an SRF"), std::string::npos);
    EXPECT_NE(messages_.str().find("zevkalon: zkSetAsCurrentDocument: there is no document 5"), std::string::npos);
}

TEST_F(WorkspaceTest, LogsMessagesAndParameters) {
    workspace_.logText("Plugin>  one");
    workspace_.logText("\nPlugin>  two");
    EXPECT_EQ(log_.str(), "Plugin>  one\n\nPlugin>  two\n");
    workspace_.messageBox("Something\nwent wrong");
    EXPECT_EQ(messages_.str(), "zevkalon: Something\nwent wrong\n");
    EXPECT_EQ(workspace_.messageBoxCount(), 1);
    EXPECT_EQ(workspace_.getFloatParameter("From"), -1.0f);
    EXPECT_EQ(workspace_.getIntParameter("NrSmooth"), 0);
    EXPECT_EQ(workspace_.getIntParameter("Nope"), 0);
    EXPECT_NE(messages_.str().find("no parameter \"Nope\""), std::string::npos);
    std::int32_t major = 0, minor = 0, third = 0;
    workspace_.getVersion(&major, &minor, &third);
    EXPECT_EQ(major * 10000 + minor * 100 + third, kHostVersion[0] * 10000 + kHostVersion[1] * 100 + kHostVersion[2]);
}

TEST_F(WorkspaceTest, LoadsOnlyPoiFilesMadeForItsSurface) {
    const std::string dir = testing::makeTempFolder();
    const std::string good = dir + "/good.poi", other = dir + "/other.poi";
    const std::string header = "FileVersion: 2\nFromMeshFile: \"grid.obj\"\nNrOfMeshVertices: ";
    testing::writeText(good, header + "6\nNrOfPOIs: 1\nNameOfPOI: \"A\"\nInfoTextFile: \"\"\nColorOfPOI: 1 2 3\n"
                                      "LabelVertex: 4\nNrOfVertices: 2\n4\n5\n\nNrOfPOIMTCs: 0\n");
    testing::writeText(other, header + "7\nNrOfPOIs: 0\nNrOfPOIMTCs: 0\n");
    EXPECT_EQ(workspace_.loadPOIs(other.c_str()), 0);
    EXPECT_FALSE(workspace_.poisLoaded());
    EXPECT_NE(workspace_.loadError().find("made for a mesh of 7 vertices, but the surface has 6"), std::string::npos);
    EXPECT_EQ(workspace_.loadPOIs(good.c_str()), 1);
    EXPECT_TRUE(workspace_.poisLoaded());
    EXPECT_EQ(workspace_.loadedPOIs().POIs.at(0).Vertices, (std::vector<std::int32_t>{4, 5}));
    EXPECT_NE(messages_.str().find("zevkalon: loaded 1 POIs (2 vertices) from " + good), std::string::npos);
    EXPECT_EQ(workspace_.loadRequests(), 2);
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
}  // namespace zevkalon

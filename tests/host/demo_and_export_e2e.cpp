// The demo, and the GIFTI label export of a run.
#include <cstdlib>

#include "host/readers/poi_reader.h"
#include "tests/host/host_fixture.h"
#include "tests/host/python_check.h"

namespace zevkalon::testing {
namespace {

// What Connectome Workbench makes of a file; status is wb_command's exit status.
std::string workbenchInformation(const std::string& file, int& status) {
    const std::string output = file + ".wb";
    status = std::system(("'" + std::string(WB_COMMAND) + "' -file-information '" + file + "' > '" + output +
                          "' 2>&1").c_str());
    const std::string information = readText(output);
    std::remove(output.c_str());
    return information;
}

TEST_F(HostRunTest, DemoWritesAValidPoiFileAndLogsEveryStage) {
    const Result result = run({"demo", "--out-dir", dir_});
    ASSERT_EQ(result.code, 0) << result.messages;
    const tessarin::POIFile pois = readPOIFile(path("tessarin_demo.poi"));
    EXPECT_EQ(pois.NrOfMeshVertices, 40962);
    ASSERT_EQ(pois.NrOfPOIs, 6);
    EXPECT_EQ(pois.POIs[5].NameOfPOI, "Deep nucleus (empty)");
    for (int p = 0; p < 5; ++p) EXPECT_GT(pois.POIs[p].NrOfVertices, 50) << pois.POIs[p].NameOfPOI;
    // With No overlap on, no vertex is left in two POIs.
    std::vector<int> owners(40962, 0);
    for (const auto& poi : pois.POIs) {
        for (std::int32_t v : poi.Vertices) EXPECT_EQ(owners[v]++, 0) << v;
    }
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Options chosen:  <No overlap>   <Largest Patch>   <Fill Holes>   "
                                    "<Edge Smoothing>  "));
    EXPECT_TRUE(hasLine(result.log, "Plugin>  POI saved as \"" + path("tessarin_demo.poi") + "\""));
    EXPECT_NE(result.messages.find("loaded 6 POIs"), std::string::npos);
    EXPECT_EQ(listFolder(dir_), std::vector<std::string>{"tessarin_demo.poi"});
}

// The keys are the volume's label values; the structure comes from --structure.
TEST_F(HostRunTest, LabelExportHoldsOneLabelPerPoiWithItsColour) {
    writeGridInputs();
    writeText(path("lut.txt"), "3 V1 255 128 0 0\n7 MT 0 0 255 0\n");
    const Result result = run({path("labels.nii"), path("grid.obj"), "--labels", path("lut.txt"),
                               "--export-label-gii", path("pois.label.gii"), "--structure", "cortex_right"});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_TRUE(hasLine(result.messages, "zevkalon: structure CortexRight, from --structure")) << result.messages;
    const GiftiLabels labels = readGiftiLabels(path("pois.label.gii"));
    ASSERT_EQ(labels.keys.size(), 400u);
    std::vector<std::int32_t> expected(400, 0);
    for (std::int32_t v : GridScene::block(2, 4, 2, 4)) expected[v] = 3;
    for (std::int32_t v : GridScene::block(10, 12, 10, 11)) expected[v] = 7;
    EXPECT_EQ(labels.keys, expected);
    EXPECT_EQ(labels.tableKeys, (std::vector<std::int32_t>{0, 3, 7, 9}));
    EXPECT_EQ(labels.tableNames, (std::vector<std::string>{"???", "V1", "MT", "Label 9 (empty)"}));
    ASSERT_EQ(labels.tableColours.size(), 4u);
    // The file holds the colours as decimal text.
    const std::array<float, 4> v1 = {1.0f, 128.0f / 255.0f, 0.0f, 1.0f}, mt = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(labels.tableColours[1][c], v1[c], 1e-5f);
        EXPECT_NEAR(labels.tableColours[2][c], mt[c], 1e-5f);
    }

    if (std::string(WB_COMMAND).empty()) {
        GTEST_SKIP() << "wb_command (Connectome Workbench) is not installed";
    }
    int status = 0;
    const std::string information = workbenchInformation(path("pois.label.gii"), status);
    EXPECT_EQ(status, 0) << information;
    EXPECT_NE(information.find("Maps with LabelTable:   true"), std::string::npos) << information;
    for (const char* text : {"Structure:              CortexRight", "Number of Vertices:     400", " V1 ", " MT ",
                             " Label 9 (empty) "}) {
        EXPECT_NE(information.find(text), std::string::npos) << text << "\n" << information;
    }
}

// Names from an old colour table (Latin-1 bytes, a control character, text
// that would end an XML CDATA section) still make a well-formed GIFTI file,
// while the POI file keeps their bytes exactly.
TEST_F(HostRunTest, LabelExportOfAnyNamesIsWellFormed) {
    writeGridInputs();
    writeText(path("lut.txt"), "3 Z\xFCrich 255 128 0 0\n7 a]]>b<&\x01 0 0 255 0\n");
    const Result result = run({path("labels.nii"), path("grid.obj"), "--labels", path("lut.txt"),
                               "--export-label-gii", path("pois.label.gii")});
    ASSERT_EQ(result.code, 0) << result.messages;
    const std::string poi = readText(path("labels.poi"));
    EXPECT_NE(poi.find("NameOfPOI:        \"Z\xFCrich\"\n"), std::string::npos) << poi;
    EXPECT_NE(poi.find("NameOfPOI:        \"a]]>b<&\x01\"\n"), std::string::npos) << poi;

    if (!haveNibabel()) GTEST_SKIP() << kNoNibabel;
    const PythonResult names = runPython(R"(
import sys, nibabel as nib
for label in nib.load(sys.argv[1]).labeltable.labels:
    print(ascii(label.label))
)", {path("pois.label.gii")});
    ASSERT_EQ(names.status, 0) << names.output;
    EXPECT_EQ(names.output, "'?\?\?'\n'Z\\xfcrich'\n'a]]>b<&\\ufffd'\n'Label 9 (empty)'\n");

    if (std::string(WB_COMMAND).empty()) GTEST_SKIP() << "wb_command (Connectome Workbench) is not installed";
    int status = 0;
    const std::string information = workbenchInformation(path("pois.label.gii"), status);
    EXPECT_EQ(status, 0) << information;
    EXPECT_NE(information.find(" Z\xC3\xBCrich "), std::string::npos) << information;
}

}  // namespace
}  // namespace zevkalon::testing

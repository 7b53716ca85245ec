// The exports of the POIs: annotation, ROI columns, label keys, report, structure.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/exports/annot_writer.h"
#include "host/exports/gifti_label_writer.h"
#include "host/exports/gifti_roi_writer.h"
#include "host/exports/poi_report.h"
#include "host/exports/structure_name.h"
#include "tests/host/python_check.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

tessarin::POIFile poi(const std::vector<std::pair<std::string, std::vector<std::int32_t>>>& records,
                      const std::vector<std::array<int, 3>>& colours) {
    tessarin::POIFile pois;
    for (std::size_t p = 0; p < records.size(); ++p) {
        tessarin::POIRecord record;
        record.NameOfPOI = records[p].first;
        record.Vertices = records[p].second;
        record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
        for (int c = 0; c < 3; ++c) record.ColorOfPOI[c] = colours[p][c];
        pois.POIs.push_back(record);
    }
    pois.NrOfPOIs = static_cast<std::int32_t>(records.size());
    return pois;
}

// Black (no label to FreeSurfer) and a repeated colour must still give
// labels that read back apart.
TEST(AnnotationExport, NibabelReadsNamesColoursAndFirstOwnersBack) {
    if (!testing::haveNibabel()) GTEST_SKIP() << testing::kNoNibabel;
    const tessarin::POIFile pois = poi({{"ctx-lh-V1", {0, 1}}, {"Black", {1, 2}}, {"Twin", {3}}, {"ctx-lh-V1", {}}},
                                       {{{255, 0, 10}}, {{0, 0, 0}}, {{255, 0, 10}}, {{20, 30, 40}}});
    const AnnotationColours colours = annotationColours(pois);
    EXPECT_EQ(colours.changed, 2);
    EXPECT_EQ(colours.values, (std::vector<std::int32_t>{255 + 10 * 65536, 1, 254 + 10 * 65536, 20 + 30 * 256 + 40 * 65536}));
    const std::string folder = testing::makeTempFolder();
    {
        std::ofstream out(folder + "/lh.pois.annot", std::ios::binary);
        writeAnnotation(out, pois, 6, colours);
    }
    const testing::PythonResult result = testing::runPython(R"(
import sys, nibabel as nib
labels, ctab, names = nib.freesurfer.read_annot(sys.argv[1])
print(labels.tolist(), [n.decode() for n in names])
print(ctab.tolist())
)", {folder + "/lh.pois.annot"});
    std::system(("rm -rf '" + folder + "'").c_str());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
              "[0, 0, 1, 2, -1, -1] ['ctx-lh-V1', 'Black', 'Twin', 'ctx-lh-V1 #2']\n"
              "[[255, 0, 10, 0, 655615], [1, 0, 0, 0, 1], [254, 0, 10, 0, 655614], [20, 30, 40, 0, 2629140]]\n");
}

TEST(PoiExports, RoiColumnsKeepOverlapsAndLabelKeysFallBackToPositions) {
    const tessarin::POIFile pois = poi({{"A", {0, 1}}, {"B", {1, 2}}}, {{{1, 2, 3}}, {{4, 5, 6}}});
    const gifti::Document rois = giftiRoiDocument(pois, 4, "CortexLeft");
    ASSERT_EQ(rois.arrays.size(), 2u);
    EXPECT_EQ(rois.arrays[0].floats, (std::vector<float>{1, 1, 0, 0}));
    EXPECT_EQ(rois.arrays[1].floats, (std::vector<float>{0, 1, 1, 0}));
    EXPECT_EQ(rois.arrays[1].meta, (gifti::MetaData{{"Name", "B"}}));
    EXPECT_EQ(rois.meta, (gifti::MetaData{{"AnatomicalStructurePrimary", "CortexLeft"}}));
    // Written a column at a time, it is the same file as the whole document.
    const std::string folder = testing::makeTempFolder();
    writeGiftiRois(pois, 4, folder + "/r.func.gii", "CortexLeft");
    std::ostringstream whole;
    gifti::writeGifti(whole, rois);
    EXPECT_EQ(testing::readText(folder + "/r.func.gii"), whole.str());
    std::system(("rm -rf '" + folder + "'").c_str());

    EXPECT_EQ(poiLabelKeys(pois, {1001, 2035}), (std::vector<std::int32_t>{1001, 2035}));
    // Keys must tell the POIs apart and leave 0 for "no POI".
    for (const std::vector<std::int32_t>& unusable : {std::vector<std::int32_t>{5, 5}, {0, 3}, {7}}) {
        EXPECT_EQ(poiLabelKeys(pois, unusable), (std::vector<std::int32_t>{1, 2}));
    }
    EXPECT_EQ(vertexLabels(pois, 4, {1001, 2035}), (std::vector<std::int32_t>{1001, 1001, 2035, 0}));
}

// A unit square split in two triangles, and a lone triangle far away:
// vertex areas are a third of each triangle's, patches follow mesh edges.
TEST(PoiReport, AreasInMillimetresPatchesAndTheTable) {
    const std::vector<double> positions = {0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 0, 10, 0, 0, 13, 0, 0, 10, 4, 0};
    const std::vector<std::int32_t> triangles = {0, 1, 2, 0, 2, 3, 4, 5, 6};
    const NeighbourLists neighbours(7, triangles);
    const tessarin::POIFile pois =
        poi({{"Square\tand\none", {0, 1, 2, 3, 4}}, {"Empty (empty)", {}}}, {{{255, 16, 0}}, {{0, 0, 0}}});
    const ReportSurface surface{&positions, &triangles, &neighbours};
    const std::vector<PoiReportRow> rows = poiReport(pois, {1001, 2}, {40, 3}, surface);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].areaMm2, 4.0 + 2.0);  // the square, and a third of the 6 mm^2 triangle
    EXPECT_EQ(rows[0].patches, 2);
    std::ostringstream table;
    writeReportTable(table, rows);
    EXPECT_EQ(table.str(),
              "index\tname\tcolor\tvoxels\tvertices\tarea_mm2\tpatches\tempty\n"
              "1001\tSquare and one\t#FF1000\t40\t5\t6.000\t2\tfalse\n"
              "2\tEmpty (empty)\t#000000\t3\t0\t0.000\t0\ttrue\n");
    EXPECT_EQ(reportSidecarPath("out/sub-01_pois.tsv"), "out/sub-01_pois.json");

    if (!testing::haveNibabel()) GTEST_SKIP() << testing::kNoNibabel;
    std::ostringstream sidecar;
    writeReportSidecar(sidecar);
    const std::string folder = testing::makeTempFolder();
    testing::writeText(folder + "/r.json", sidecar.str());
    const testing::PythonResult result = testing::runPython(
        "import json, sys\nprint(' '.join(json.load(open(sys.argv[1]))))\n", {folder + "/r.json"});
    std::system(("rm -rf '" + folder + "'").c_str());
    EXPECT_EQ(result.output, "index name color voxels vertices area_mm2 patches empty\n");
}

TEST(StructureName, FromTheFileThenTheOptionThenTheFileName) {
    EXPECT_EQ(giftiStructureName("CORTEX_LEFT"), "CortexLeft");
    EXPECT_EQ(giftiStructureName("cerebellarwhitematterright"), "CerebellarWhiteMatterRight");
    EXPECT_EQ(giftiStructureName("LeftCortex"), "");
    EXPECT_EQ(giftiStructureName("Invalid"), "");

    EXPECT_EQ(chooseStructure("CortexRight", "", "s.surf.gii").name, "CortexRight");
    const StructureChoice conflict = chooseStructure("CortexRight", "CortexLeft", "s.surf.gii");
    EXPECT_EQ(conflict.name, "CortexRight");
    EXPECT_TRUE(conflict.warning);
    EXPECT_EQ(chooseStructure("", "Cerebellum", "subj/surf/lh.white").name, "Cerebellum");
    EXPECT_EQ(chooseStructure("", "", "subj/surf/lh.white").name, "CortexLeft");
    EXPECT_EQ(chooseStructure("", "", "anat/sub-01_hemi-R_white.surf.gii").name, "CortexRight");
    const StructureChoice unknown = chooseStructure("", "", "mesh.obj");
    EXPECT_EQ(unknown.name, "");
    EXPECT_TRUE(unknown.warning);
    EXPECT_NE(unknown.message.find("give --structure"), std::string::npos);
}

}  // namespace
}  // namespace zevkalon

// The GIFTI writer, read back by nibabel; base64 and XML text on their own.
#include <gtest/gtest.h>

#include <fstream>

#include "host/exports/base64.h"
#include "host/exports/gifti_writer.h"
#include "host/exports/xml_text.h"
#include "tests/host/python_check.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

TEST(Base64, PadsEveryRemainder) {
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("f"), "Zg==");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    EXPECT_EQ(base64Encode("foo"), "Zm9v");
    EXPECT_EQ(base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(base64Encode(std::string("\xff\xfe\x00", 3)), "//4A");
}

TEST(XmlText, AnyBytesBecomeWellFormedUtf8) {
    EXPECT_EQ(xmlText("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&#39;f");
    EXPECT_EQ(xmlText("]]>"), "]]&gt;");
    EXPECT_EQ(xmlText("caf\xC3\xA9"), "caf\xC3\xA9");            // UTF-8 passes
    EXPECT_EQ(xmlText("caf\xE9"), "caf\xC3\xA9");                // Latin-1 becomes UTF-8
    EXPECT_EQ(xmlText("\xC0\x80"), "\xC3\x80\xC2\x80");          // an overlong form is no UTF-8
    EXPECT_EQ(xmlText("a\x01z\tq"), "a\xEF\xBF\xBDz\tq");        // control characters are not XML
    EXPECT_EQ(xmlText("\xED\xA0\x80"), "\xEF\xBF\xBD");          // nor are surrogates
    EXPECT_EQ(xmlText("\xF0\x9F\xA7\xA0"), "\xF0\x9F\xA7\xA0");  // four-byte characters pass
}

TEST(GiftiWriter, NibabelReadsEveryPartBack) {
    if (!testing::haveNibabel()) GTEST_SKIP() << testing::kNoNibabel;
    gifti::Document document;
    document.meta = {{"AnatomicalStructurePrimary", "CortexLeft"}};
    document.hasLabelTable = true;
    document.labels = {{0, "???", {0, 0, 0, 0}},
                       {1001, "ctx-lh-\xE9\x01]]>&<", {1.0f, 0.5f, 0.0f, 1.0f}}};
    gifti::DataArray points;
    points.intent = "NIFTI_INTENT_POINTSET";
    points.rows = 3;
    points.columns = 3;
    points.floats = {0, 0, 0, 1.5f, 0, 0, 0, -2.25f, 1e-7f};
    points.coordinateSystem = "NIFTI_XFORM_SCANNER_ANAT";
    gifti::DataArray triangles;
    triangles.intent = "NIFTI_INTENT_TRIANGLE";
    triangles.rows = 1;
    triangles.columns = 3;
    triangles.ints = {0, 1, 2};
    gifti::DataArray labels;
    labels.intent = "NIFTI_INTENT_LABEL";
    labels.rows = 3;
    labels.ints = {0, 1001, -7};
    labels.meta = {{"Name", "POIs"}};
    document.arrays = {points, triangles, labels};

    const std::string folder = testing::makeTempFolder();
    const std::string path = folder + "/all.gii";
    {
        std::ofstream out(path, std::ios::binary);
        gifti::writeGifti(out, document);
    }
    const testing::PythonResult result = testing::runPython(R"(
import sys, nibabel as nib
img = nib.load(sys.argv[1])
print(img.meta["AnatomicalStructurePrimary"])
for label in img.labeltable.labels:
    print(label.key, ascii(label.label), [round(c, 4) for c in label.rgba])
p, t, l = img.darrays
print(p.intent, p.data.shape, p.data.dtype, p.data.ravel().tolist(), p.coordsys.dataspace)
print(t.intent, t.data.ravel().tolist())
print(l.intent, l.data.tolist(), l.meta["Name"])
)", {path});
    std::system(("rm -rf '" + folder + "'").c_str());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
              "CortexLeft\n"
              "0 '?\?\?' [0.0, 0.0, 0.0, 0.0]\n"
              "1001 'ctx-lh-\\xe9\\ufffd]]>&<' [1.0, 0.5, 0.0, 1.0]\n"
              "1008 (3, 3) float32 [0.0, 0.0, 0.0, 1.5, 0.0, 0.0, 0.0, -2.25, 1.0000000116860974e-07] 1\n"
              "1009 [0, 1, 2]\n"
              "1002 [0, 1001, -7] POIs\n");
}

}  // namespace
}  // namespace zevkalon

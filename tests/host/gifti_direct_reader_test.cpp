// The GIFTI direct pass against the GIFTI library: whatever the pass
// decodes must be what the library gives, and whatever it leaves undecided
// must still get the library's answer.
#include "host/readers/gifti_direct_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <zlib.h>

#include "host/exports/base64.h"
#include "host/readers/base64_decoder.h"
#include "host/readers/gifti_surface_reader.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

template <typename T>
std::string bytesOf(const std::vector<T>& values, bool bigEndian) {
    std::string bytes;
    for (const T value : values) {
        char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        for (std::size_t b = 0; b < sizeof(T); ++b) bytes += raw[bigEndian ? sizeof(T) - 1 - b : b];
    }
    return bytes;
}

std::string compressed(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(bytes.data()),
             static_cast<uLong>(bytes.size()));
    out.resize(size);
    return out;
}

struct Array {
    std::string intent, type, data;  // data: the Data element's text
    long long rows = 0;
    std::string encoding = "GZipBase64Binary", endian = "LittleEndian", order = "RowMajorOrder", meta;
};

std::string arrayText(const Array& a) {
    return "<DataArray Intent=\"" + a.intent + "\" DataType=\"" + a.type + "\" ArrayIndexingOrder=\"" + a.order +
           "\" Dimensionality=\"2\" Dim0=\"" + std::to_string(a.rows) + "\" Dim1=\"3\" Encoding=\"" + a.encoding +
           "\" Endian=\"" + a.endian + "\" ExternalFileName=\"\" ExternalFileOffset=\"\">" + a.meta +
           "<CoordinateSystemTransformMatrix><DataSpace><![CDATA[NIFTI_XFORM_TALAIRACH]]></DataSpace>"
           "<TransformedSpace>NIFTI_XFORM_TALAIRACH</TransformedSpace><MatrixData>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"
           "</MatrixData></CoordinateSystemTransformMatrix><Data>" + a.data + "</Data></DataArray>\n";
}

std::string giftiText(const std::vector<Array>& arrays, const std::string& meta = "<MetaData/>") {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"" +
                       std::to_string(arrays.size()) + "\">" + meta + "<LabelTable/>\n";
    for (const Array& a : arrays) text += arrayText(a);
    return text + "</GIFTI>\n";
}

const std::vector<float> kPoints = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0.5f, 0.25f, 0.75f, -2.5f};
const std::vector<std::int32_t> kTriangles = {0, 1, 2, 1, 3, 2, 2, 3, 4};

Array array(const char* intent, const char* type, const std::string& data, long long rows) {
    Array a;
    a.intent = intent, a.type = type, a.data = data, a.rows = rows;
    return a;
}
Array points(const std::string& data) { return array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32", data, 5); }
Array triangles(const std::string& data) { return array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_INT32", data, 3); }
std::string zipped(const std::string& bytes) { return base64Encode(compressed(bytes)); }

std::string outcome(SurfaceFile (*read)(const std::string&), const std::string& path) {
    try {
        const SurfaceFile s = read(path);
        std::string text = "space " + std::to_string(static_cast<int>(s.space)) + " structure [" + s.structure +
                           "] centre " + std::to_string(s.geometry.cras[2]) + ":";
        for (const double p : s.positions) text += " " + std::to_string(p);
        for (const std::int32_t t : s.triangles) text += " " + std::to_string(t);
        return text;
    } catch (const std::exception& error) {
        return std::string("refused: ") + error.what();
    }
}

TEST(GiftiDirectReader, DecodesWhatTheLibraryDecodesAndLeavesTheRestToIt) {
    const std::string pointBytes = bytesOf(kPoints, false), triangleBytes = bytesOf(kTriangles, false);
    Array bigEndianPoints = points(base64Encode(bytesOf(std::vector<double>(kPoints.begin(), kPoints.end()), true)));
    bigEndianPoints.type = "NIFTI_TYPE_FLOAT64", bigEndianPoints.encoding = "Base64Binary";
    bigEndianPoints.endian = "BigEndian";
    // Indices beyond int32, and below -1, are clamped as the library path clamps them.
    Array wideTriangles = triangles(zipped(bytesOf(std::vector<std::uint32_t>{0, 1, 4000000000u, 1, 3, 2, 2, 3, 4}, false)));
    wideTriangles.type = "NIFTI_TYPE_UINT32";
    Array negativeTriangles = triangles(zipped(bytesOf(std::vector<std::int32_t>{0, 1, -7, 1, 3, 2, 2, 3, 4}, false)));
    Array namedPoints = points(zipped(pointBytes));
    namedPoints.meta = "<MetaData><MD><Name><![CDATA[AnatomicalStructurePrimary]]></Name><Value>Cortex&amp;Left</Value>"
                       "</MD></MetaData>";
    std::string volumeGeometry = "<MetaData>";
    const char* geometry[][2] = {{"Width", "256"}, {"Height", "256"}, {"Depth", "256"}, {"Xsize", "1"}, {"Ysize", "1"},
                                 {"Zsize", "1"}, {"X_R", "-1"}, {"X_A", "0"}, {"X_S", "0"}, {"Y_R", "0"}, {"Y_A", "0"},
                                 {"Y_S", "-1"}, {"Z_R", "0"}, {"Z_A", "1"}, {"Z_S", "0"}, {"C_R", "1.5"},
                                 {"C_A", "-2"}, {"C_S", "12.25"}};
    for (const auto& [key, value] : geometry) {
        volumeGeometry += std::string("<MD><Name>VolGeom") + key + "</Name><Value>" + value + "</Value></MD>";
    }
    volumeGeometry += "</MetaData>";
    std::string brokenLines = zipped(pointBytes);
    brokenLines.insert(8, "\n");
    Array columns = points(zipped(pointBytes));
    columns.order = "ColumnMajorOrder";
    Array normals = points(zipped(pointBytes));
    normals.intent = "NIFTI_INTENT_VECTOR";

    std::string stray = giftiText({points(zipped(pointBytes)), triangles(zipped(triangleBytes))});
    const std::string systemEnd = "</CoordinateSystemTransformMatrix>";
    stray.insert(stray.find(systemEnd) + systemEnd.size(), "~");

    const struct {
        const char* what;
        std::string text;
        bool direct;
    } cases[] = {
        {"compressed, little-endian", giftiText({points(zipped(pointBytes)), triangles(zipped(triangleBytes))}), true},
        {"big-endian doubles, wide indices", giftiText({bigEndianPoints, wideTriangles}), true},
        {"negative indices", giftiText({points(zipped(pointBytes)), negativeTriangles}), true},
        {"triangles first, a second point set, metadata",
         giftiText({triangles(zipped(triangleBytes)), namedPoints, points(zipped(bytesOf(std::vector<float>(15, 9.0f), false)))},
                   volumeGeometry),
         true},
        {"line breaks in base64", giftiText({points(brokenLines), triangles(zipped(triangleBytes))}), false},
        {"bytes after the compressed stream",
         giftiText({points(base64Encode(compressed(pointBytes) + "xyz")), triangles(zipped(triangleBytes))}), false},
        {"a value short", giftiText({points(zipped(pointBytes.substr(4))), triangles(zipped(triangleBytes))}), false},
        {"column-major", giftiText({columns, triangles(zipped(triangleBytes))}), false},
        {"another intent", giftiText({points(zipped(pointBytes)), triangles(zipped(triangleBytes)), normals}), false},
        {"text between the elements of an array", stray, false},
    };
    const std::string folder = testing::makeTempFolder();
    for (const auto& c : cases) {
        const std::string path = folder + "/s.surf.gii";
        testing::writeText(path, c.text);
        GiftiDirectReader direct;
        checkGiftiStructure(path, &direct);
        EXPECT_EQ(direct.decoded(), c.direct) << c.what;
        EXPECT_EQ(outcome(readGiftiSurface, path), outcome(readGiftiSurfaceWithLibrary, path)) << c.what;
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(Base64Decoder, DecodesTextInPiecesOfAnySizeAndStopsAtWhatItDoesNotKnow) {
    const std::string bytes("GIFTI data\x00\xff\x10", 13), text = base64Encode(bytes);
    for (std::size_t piece = 1; piece <= 5; ++piece) {
        Base64Decoder decoder;
        std::string decoded;
        for (std::size_t at = 0; at < text.size(); at += piece) {
            ASSERT_TRUE(decoder.decode(text.data() + at, std::min(piece, text.size() - at),
                                       [&](const unsigned char* b, std::size_t n) { decoded.append(reinterpret_cast<const char*>(b), n); }));
        }
        EXPECT_TRUE(decoder.complete());
        EXPECT_EQ(decoded, bytes) << piece;
    }
    for (const std::string& refused : {text.substr(0, 4) + "\n", text.substr(0, 2) + "=A", text + "QQ==", std::string("ab-_")}) {
        Base64Decoder decoder;
        EXPECT_FALSE(decoder.decode(refused.data(), refused.size(), [](const unsigned char*, std::size_t) {})) << refused;
        EXPECT_FALSE(decoder.complete());
    }
    Base64Decoder cut;
    EXPECT_TRUE(cut.decode("QUJD", 3, [](const unsigned char*, std::size_t) {}));
    EXPECT_FALSE(cut.complete());
}

}  // namespace
}  // namespace zevkalon

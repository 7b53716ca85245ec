#include "host/readers/obj_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/host_error.h"

namespace zevkalon {
namespace {

SurfaceFile parse(const std::string& text) {
    std::istringstream in(text);
    return parseObj(in, "m.obj");
}

TEST(ObjReader, ReadsEveryFaceFormAndFansPolygons) {
    const SurfaceFile surface = parse(
        "o square\nv 0 0 0\nv 1 0 0 0.5 0.5 0.5\nv 1 1 0\r\nv 0 1 0\nvt 0 0\ns off\n"
        "f 1 2 3 4\n"           // quad: (1 2 3) (1 3 4)
        "f 1/1 -3/1/1 -2//3\n"  // texture and normal forms, negative indices
        "v 2 2 2\nf 5 -4 -3 # after a vertex\n");
    EXPECT_EQ(surface.positions,
              (std::vector<double>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 2, 2}));
    EXPECT_EQ(surface.triangles, (std::vector<std::int32_t>{0, 1, 2, 0, 2, 3, 0, 1, 2, 4, 1, 2}));
    EXPECT_TRUE(surface.normals.empty());
}

TEST(ObjReader, NormalsBelongToTheirVertex) {
    const SurfaceFile surface = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 2\nvn 0 0 3\nf 1//1 2//2 3//3\n");
    EXPECT_EQ(surface.normals, (std::vector<double>{0, 0, 1, 0, 0, 2, 0, 0, 3}));

    std::istringstream mismatched("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 2\nvn 0 0 3\nf 1//2 2//2 3//3\n");
    try {
        parseObj(mismatched, "m.obj");
        ADD_FAILURE() << "a face pairing vertex 1 with normal 2 was accepted";
    } catch (const HostError& error) {
        EXPECT_NE(std::string(error.what()).find("m.obj:7: a face pairs vertex 1 with normal 2"), std::string::npos)
            << error.what();
    }
}

TEST(ObjReader, AByteOrderMarkBeforeTheFirstVertexIsSkipped) {
    const SurfaceFile surface = parse("\xEF\xBB\xBFv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_EQ(surface.nrOfVertices(), 3);
    EXPECT_EQ(surface.triangles, (std::vector<std::int32_t>{0, 1, 2}));
}

// The file is read in pieces: lines cross them, one is longer than a piece,
// and the last has no line feed.
TEST(ObjReader, LinesAcrossAndBeyondTheReadingPieces) {
    std::string text = "# " + std::string(300000, 'c') + "\n";
    int vertices = 0;
    for (; text.size() < 700000; ++vertices) text += "v " + std::to_string(vertices) + " 0.1 -2e-3\n";
    text += "f 1 2 -1";
    const SurfaceFile surface = parse(text);
    ASSERT_EQ(surface.nrOfVertices(), vertices);
    for (int v = 0; v < vertices; ++v) {
        ASSERT_EQ(surface.positions[3 * v], v);
        ASSERT_EQ(surface.positions[3 * v + 1], 0.1);
        ASSERT_EQ(surface.positions[3 * v + 2], -2e-3);
    }
    EXPECT_EQ(surface.triangles, (std::vector<std::int32_t>{0, 1, vertices - 1}));
}

TEST(ObjReader, RefusesMalformedStatementsWithTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"v 0 0\n", "m.obj:1: a vertex needs three coordinates, found 2"},
        {"v 0 zero 0\n", "m.obj:1: \"zero\" is not a number"},
        {"v 0 0 inf\n", "m.obj:1: coordinate \"inf\" is not a finite number"},
        {"vn 0 0 1 1\n", "m.obj:1: a normal needs three coordinates, found 4"},
        {"v 0 0 0\nv 1 0 0\nf 1 2\n", "m.obj:3: a face needs at least three vertices, found 2"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 x\n", "m.obj:4: face index \"x\" is malformed"},
        {"v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n", "m.obj:3: face index 3 is outside the 2 vertices defined so far"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 1 2\n", "m.obj:4: face index -4 is outside"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1//x 2 3\n", "m.obj:4: normal index in \"1//x\" is malformed"},
    };
    for (const auto& [text, message] : cases) {
        std::istringstream in(text);
        try {
            parseObj(in, "m.obj");
            ADD_FAILURE() << "accepted " << text;
        } catch (const HostError& error) {
            EXPECT_EQ(error.code(), kExitBadInput);
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(SurfaceValidation, RefusesWhatNoReaderCaught) {
    SurfaceFile ok;
    ok.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    ok.triangles = {0, 1, 2};
    EXPECT_NO_THROW(validateSurface(ok, "s"));
    SurfaceFile badNormals = ok;
    badNormals.normals = {0, 0, 1};
    SurfaceFile nan = ok;
    nan.positions[4] = std::numeric_limits<double>::quiet_NaN();
    SurfaceFile range = ok;
    range.triangles = {0, 1, -1};
    SurfaceFile empty;
    const std::pair<SurfaceFile, const char*> cases[] = {
        {badNormals, "s: 1 normals for 3 vertices"},
        {nan, "s: vertex 1 has a coordinate that is not a finite number"},
        {range, "s: triangle 0 refers to vertex -1"},
        {empty, "s: the surface has no vertices"},
    };
    for (const auto& [surface, message] : cases) {
        try {
            validateSurface(surface, "s");
            ADD_FAILURE() << "accepted: " << message;
        } catch (const HostError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace zevkalon

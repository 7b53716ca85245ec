#include "host/readers/poi_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/host_error.h"

namespace zevkalon {
namespace {

tessarin::POIFile sample() {
    tessarin::POIFile file;
    file.FileVersion = 2;
    file.FromMeshFile = "D:/s01/lh.srf";
    file.NrOfMeshVertices = 2000;
    tessarin::POIRecord v1;
    v1.NameOfPOI = "V1 \"left\"";
    v1.ColorOfPOI[0] = 255, v1.ColorOfPOI[1] = 128;
    v1.LabelVertex = 1021;
    v1.Vertices = {1021, 1022, 1087};
    v1.NrOfVertices = 3;
    tessarin::POIRecord empty;
    empty.NameOfPOI = "MT (empty)";
    empty.ColorOfPOI[2] = 255;
    file.POIs = {v1, empty};
    file.NrOfPOIs = 2;
    return file;
}

tessarin::POIFile parse(const std::string& text) {
    std::istringstream in(text);
    return parsePOIFile(in, "f.poi");
}

TEST(PoiReader, ReadsWhatTheWriterWritesAlsoWithCrLf) {
    std::ostringstream written;
    sample().writeTo(written);
    for (bool crlf : {false, true}) {
        std::string text = written.str();
        if (crlf) {
            std::string converted;
            for (char c : text) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
            text = converted;
        }
        const tessarin::POIFile file = parse(text);
        EXPECT_EQ(file.FromMeshFile, "D:/s01/lh.srf");
        EXPECT_EQ(file.NrOfMeshVertices, 2000);
        ASSERT_EQ(file.POIs.size(), 2u);
        EXPECT_EQ(file.POIs[0].NameOfPOI, "V1 \"left\"");
        EXPECT_EQ(file.POIs[0].Vertices, (std::vector<std::int32_t>{1021, 1022, 1087}));
        EXPECT_EQ(file.POIs[0].ColorOfPOI[1], 128);
        EXPECT_EQ(file.POIs[1].NrOfVertices, 0);
        EXPECT_EQ(file.POIs[1].ColorOfPOI[2], 255);
        EXPECT_EQ(file.NrOfPOIMTCs, 0);
        EXPECT_EQ(file.FileName, "f.poi");
    }
    // Vertex lines are whole numbers as strtoll reads them, blanks and sign included.
    std::string text = written.str();
    text.replace(text.find("1022\n"), 5, " +1022\n");
    EXPECT_EQ(parse(text).POIs[0].Vertices, (std::vector<std::int32_t>{1021, 1022, 1087}));
}

TEST(PoiReader, RefusesMalformedFilesNamingTheLine) {
    std::ostringstream written;
    sample().writeTo(written);
    const std::string good = written.str();
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "f.poi:1: the file ends where \"FileVersion:\" was expected"},
        {replaced("FileVersion:      2", "FileVersion:      3"), "f.poi:1: FileVersion 3 is outside 2 .. 2"},
        {replaced("FromMeshFile:     \"D:/s01/lh.srf\"", "FromMeshFile:     D:/s01/lh.srf"),
         "f.poi:3: the value of \"FromMeshFile:\" must be enclosed"},
        {replaced("NrOfPOIs:         2", "NrOfPOIs:         two"), "f.poi:8: NrOfPOIs \"two\" is not a whole number"},
        {replaced("ColorOfPOI:       255 128 0", "ColorOfPOI:       256 128 0"), "f.poi:12: colour component 256"},
        {replaced("ColorOfPOI:       255 128 0", "ColorOfPOI:       255 128"), "f.poi:12: ColorOfPOI needs three"},
        {replaced("1087\n", "2000\n"), "f.poi:17: vertex 2000 is outside 0 .. 1999"},
        {replaced("NrOfVertices:     3\n", "NrOfVertices:     4\n"), "f.poi:18: vertex \"\" is not a whole number"},
        // A count far beyond the file is no reason to allocate for it.
        {replaced("NrOfVertices:     3\n", "NrOfVertices:     2147483647\n"), "f.poi:18: vertex \"\" is not a whole"},
        {replaced("InfoTextFile", "InfoText"), "f.poi:11: expected \"InfoTextFile:\""},
        {good.substr(0, good.find("1022")), "f.poi:16: the file ends inside a vertex list"},
        {good + "extra\n", "f.poi:27: unexpected text after the last key"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parse(text);
            ADD_FAILURE() << "accepted, expected: " << message;
        } catch (const HostError& error) {
            EXPECT_EQ(error.code(), kExitRunFailed);
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace zevkalon

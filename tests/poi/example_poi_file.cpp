#include "tests/poi/example_poi_file.h"

#include <stdexcept>

namespace tessarin::testing {

POIFile exampleFile() {
    POIFile file;
    file.FileVersion = 2;
    file.FromMeshFile = "D:/study/s01/s01_LH_WM.srf";
    file.NrOfMeshVertices = 40962;
    file.NrOfPOIs = 2;
    POIRecord v1;
    v1.NameOfPOI = "V1";
    v1.ColorOfPOI[0] = 255, v1.ColorOfPOI[1] = 128, v1.ColorOfPOI[2] = 0;
    v1.LabelVertex = 1021;
    v1.Vertices = {1021, 1022, 1087};
    v1.NrOfVertices = 3;
    POIRecord mt;
    mt.NameOfPOI = "MT (empty)";
    mt.ColorOfPOI[2] = 255;
    file.POIs = {v1, mt};
    return file;
}

const char* const kExampleText =
    "FileVersion:      2\n"
    "\n"
    "FromMeshFile:     \"D:/study/s01/s01_LH_WM.srf\"\n"
    "\n"
    "NrOfMeshVertices: 40962\n"
    "\n"
    "\n"
    "NrOfPOIs:         2\n"
    "\n"
    "NameOfPOI:        \"V1\"\n"
    "InfoTextFile:     \"\"\n"
    "ColorOfPOI:       255 128 0\n"
    "LabelVertex:      1021\n"
    "NrOfVertices:     3\n"
    "1021\n"
    "1022\n"
    "1087\n"
    "\n"
    "NameOfPOI:        \"MT (empty)\"\n"
    "InfoTextFile:     \"\"\n"
    "ColorOfPOI:       0 0 255\n"
    "LabelVertex:      0\n"
    "NrOfVertices:     0\n"
    "\n"
    "\n"
    "NrOfPOIMTCs: 0\n";

std::string onDisk(const std::string& text) {
#if defined(_WIN32)
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
#else
    return text;
#endif
}

std::string saveAsError(POIFile& file, const std::string& path) {
    try {
        file.saveAs(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace tessarin::testing

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "poi/poi_file.h"
#include "tests/poi/scratch_folder.h"

namespace tessarin {
namespace {

using testing::fileExists;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

// The two-VOI example: the second VOI reached no vertex.
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

std::string textOf(const POIFile& file) {
    std::ostringstream out;
    file.writeTo(out);
    return out.str();
}

// Pattern-free check that the folder holds exactly the expected names: no
// temporary file may be left behind by a failed save.
void expectEntries(const ScratchFolder& folder, std::vector<std::string> names) {
    EXPECT_EQ(folder.entries(), names);
}

TEST(POIFileText, WorkedExampleByteForByte) {
    EXPECT_EQ(textOf(exampleFile()), kExampleText);

    ScratchFolder folder;
    POIFile file = exampleFile();
    file.saveAs(folder.file("rois.poi"));
    EXPECT_EQ(file.FileName, folder.file("rois.poi"));
    EXPECT_EQ(readFile(folder.file("rois.poi")), kExampleText);  // LF on disk on this platform
    expectEntries(folder, {"rois.poi"});
}

TEST(POIFileText, EmptyFileQuotesAndNumbers) {
    POIFile file;
    EXPECT_EQ(textOf(file),
              "FileVersion:      -1\n\nFromMeshFile:     \"\"\n\nNrOfMeshVertices: 0\n\n\n"
              "NrOfPOIs:         0\n\n\nNrOfPOIMTCs: 0\n");

    POIRecord quoted;
    quoted.NameOfPOI = "say \"hi\"";
    quoted.LabelVertex = -7;
    quoted.Vertices = {0, 2147483647};
    quoted.NrOfVertices = 2;
    file.POIs = {quoted};
    file.NrOfPOIs = 1;
    const std::string text = textOf(file);
    EXPECT_NE(text.find("NameOfPOI:        \"say \"hi\"\"\n"), std::string::npos);
    EXPECT_NE(text.find("LabelVertex:      -7\nNrOfVertices:     2\n0\n2147483647\n\n\nNrOfPOIMTCs: 0\n"),
              std::string::npos);
}

// Only the stored counts decide what is written, and a stream with a
// grouping locale or showpos must not change the numbers.
TEST(POIFileText, CountsAndStreamFormatting) {
    POIFile file = exampleFile();
    file.NrOfPOIs = 1;
    file.POIs[0].NrOfVertices = 2;
    std::string text = textOf(file);
    EXPECT_NE(text.find("NrOfVertices:     2\n1021\n1022\n\n\nNrOfPOIMTCs"), std::string::npos) << text;
    EXPECT_EQ(text.find("MT (empty)"), std::string::npos);

    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::ostringstream out;
    out.imbue(std::locale(out.getloc(), new Grouping));
    out << std::showpos;
    exampleFile().writeTo(out);
    EXPECT_EQ(out.str(), kExampleText);
}

TEST(POIFileText, CountsBeyondTheListsAreRefusedBeforeWriting) {
    ScratchFolder folder;
    POIFile tooManyVertices = exampleFile();
    tooManyVertices.POIs[0].NrOfVertices = 4;
    POIFile tooManyPOIs = exampleFile();
    tooManyPOIs.NrOfPOIs = 3;
    POIFile negative = exampleFile();
    negative.POIs[1].NrOfVertices = -1;
    for (POIFile* file : {&tooManyVertices, &tooManyPOIs, &negative}) {
        std::ostringstream out;
        EXPECT_THROW(file->writeTo(out), std::logic_error);
        EXPECT_EQ(out.str(), "");
        EXPECT_THROW(file->saveAs(folder.file("bad.poi")), std::logic_error);
    }
    expectEntries(folder, {});
}

TEST(POIFileSave, SavingAgainReplacesTheWholeFile) {
    ScratchFolder folder;
    const std::string path = folder.file("twice.poi");
    POIFile file = exampleFile();
    file.saveAs(path);
    POIFile shorter;
    shorter.FileVersion = 2;
    shorter.saveAs(path);
    EXPECT_EQ(readFile(path), textOf(shorter));
    expectEntries(folder, {"twice.poi"});
}

std::string expectCreateFailure(POIFile& file, const std::string& path) {
    try {
        file.saveAs(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(POIFileSave, FilesThatCannotBeCreatedFailAndLeaveNothing) {
    ScratchFolder folder;
    POIFile file = exampleFile();

    const std::string missing = folder.file("no such folder/rois.poi");
    EXPECT_EQ(expectCreateFailure(file, missing), "Cannot Create file: " + missing);
    EXPECT_FALSE(fileExists(missing));

    // A folder in the way of the target: the temporary file is written but
    // cannot replace it, and must not stay behind.
    ASSERT_EQ(::mkdir(folder.file("taken.poi").c_str(), 0755), 0);
    const std::string taken = folder.file("taken.poi");
    EXPECT_EQ(expectCreateFailure(file, taken), "Cannot Create file: " + taken);

    // A regular file used as a folder.
    writeFile(folder.file("plain"), "x");
    const std::string underFile = folder.file("plain/rois.poi");
    EXPECT_EQ(expectCreateFailure(file, underFile), "Cannot Create file: " + underFile);
    expectEntries(folder, {"plain", "taken.poi"});
    EXPECT_EQ(readFile(folder.file("plain")), "x");
}

// A folder without write permission; run in a child without root rights,
// which would override the permission.
TEST(POIFileSave, UnwritableFolderKeepsItsFile) {
    ScratchFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    ASSERT_EQ(::mkdir(folder.file("locked").c_str(), 0755), 0);
    const std::string path = folder.file("locked/rois.poi");
    writeFile(path, "old content\n");
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(::chmod(folder.file("locked").c_str(), 0555), 0);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(3);
            POIFile file = exampleFile();
            std::cerr << "[" << expectCreateFailure(file, path) << "]";
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "\\[Cannot Create file: .*/locked/rois.poi\\]");
    EXPECT_EQ(readFile(path), "old content\n");
    EXPECT_EQ(folder.entries("locked"), std::vector<std::string>{"rois.poi"});
}

// Makes every write beyond bytes fail with EFBIG instead of killing the process.
bool limitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// A write that fails half way (a full disk, simulated by a file size limit)
// must be reported, and the file that stood there before must survive whole.
TEST(POIFileSave, FailedWriteKeepsTheExistingFile) {
    ScratchFolder folder;
    const std::string path = folder.file("rois.poi");
    const std::string old = "FileVersion:      2\n\nthe old file\n";
    writeFile(path, old);

    POIFile big = exampleFile();
    big.POIs[0].Vertices.assign(20000, 123456);
    big.POIs[0].NrOfVertices = 20000;  // far beyond the stream buffer: fails while writing
    POIFile small = exampleFile();     // fits the buffer: fails when it is flushed at the end
    for (POIFile* file : {&big, &small}) {
        EXPECT_EXIT(
            {
                if (!limitFileSize(64)) std::_Exit(3);
                std::cerr << "[" << expectCreateFailure(*file, path) << "]";
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(0), "\\[Cannot (Write|Close) file: .*/rois.poi\\]");
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"rois.poi"});
    }
}

}  // namespace
}  // namespace tessarin

#include <gtest/gtest.h>

#include <filesystem>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "poi/poi_file.h"
#include "tests/poi/example_poi_file.h"
#include "tests/poi/scratch_folder.h"

namespace tessarin {
namespace {

using testing::fileExists;
using testing::readFile;
using testing::ScratchFolder;
using testing::saveAsError;
using testing::exampleFile;
using testing::kExampleText;
using testing::writeFile;

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
    EXPECT_EQ(readFile(folder.file("rois.poi")), testing::onDisk(kExampleText));
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
    EXPECT_EQ(readFile(path), testing::onDisk(textOf(shorter)));
    expectEntries(folder, {"twice.poi"});
}

TEST(POIFileSave, FilesThatCannotBeCreatedFailAndLeaveNothing) {
    ScratchFolder folder;
    POIFile file = exampleFile();

    const std::string missing = folder.file("no such folder/rois.poi");
    EXPECT_EQ(saveAsError(file, missing), "Cannot Create file: " + missing);
    EXPECT_FALSE(fileExists(missing));

    // A folder in the way of the target: the temporary file is written but
    // cannot replace it, and must not stay behind.
    ASSERT_TRUE(std::filesystem::create_directory(folder.file("taken.poi")));
    const std::string taken = folder.file("taken.poi");
    EXPECT_EQ(saveAsError(file, taken), "Cannot Create file: " + taken);

    // A regular file used as a folder.
    writeFile(folder.file("plain"), "x");
    const std::string underFile = folder.file("plain/rois.poi");
    EXPECT_EQ(saveAsError(file, underFile), "Cannot Create file: " + underFile);
    expectEntries(folder, {"plain", "taken.poi"});
    EXPECT_EQ(readFile(folder.file("plain")), "x");
}

// A file the user marked read-only is not replaced, as a text-mode open
// would refuse it, even where permission bits do not bind (root).
TEST(POIFileSave, ReadOnlyTargetIsKept) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string path = folder.file("rois.poi");
    writeFile(path, "old\n");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    POIFile file = exampleFile();
    EXPECT_EQ(saveAsError(file, path), "Cannot Create file: " + path);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readFile(path), "old\n");
    expectEntries(folder, {"rois.poi"});
}

}  // namespace
}  // namespace tessarin

// Save failures that need POSIX tools to arrange: folder permissions with
// a process that is not root, and a disk that fills up (a file size limit).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <stdexcept>

#include "poi/poi_file.h"
#include "tests/poi/example_poi_file.h"
#include "tests/poi/scratch_folder.h"

namespace tessarin {
namespace {

using testing::exampleFile;
using testing::readFile;
using testing::ScratchFolder;
using testing::saveAsError;
using testing::writeFile;

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
            std::cerr << "[" << saveAsError(file, path) << "]";
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
                std::cerr << "[" << saveAsError(*file, path) << "]";
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(0), "\\[Cannot (Write|Close) file: .*/rois.poi\\]");
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"rois.poi"});
    }
}

}  // namespace
}  // namespace tessarin

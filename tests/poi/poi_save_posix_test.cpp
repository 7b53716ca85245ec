// Save failures that need POSIX tools to arrange: folder permissions with
// a process that is not root, a disk that fills up (a file size limit),
// targets that are no regular files, a process killed while it writes.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <stdexcept>

#include "poi/poi_file.h"
#include "poi/replace_file.h"
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
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    limit.rlim_cur = bytes;  // the soft limit only, so that the report can lift it again
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Lifts the soft file size limit to the hard one, before a death test's
// report, which goes to a file that the limit would cut short.
void liftFileSizeLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
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
                const std::string error = saveAsError(*file, path);
                liftFileSizeLimit();
                std::cerr << "[" << error << "]";
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(0), "\\[Cannot (Write|Close) file: .*/rois.poi\\]");
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"rois.poi"});
    }
}

// The host may leave SIGXFSZ at its default action, which kills the process;
// the plug-in must not change that, so it never writes past the limit.
TEST(POIFileSave, FileSizeLimitIsAWriteErrorWhereTheSignalWouldKill) {
    ScratchFolder folder;
    const std::string path = folder.file("rois.poi");
    writeFile(path, "old\n");
    POIFile big = exampleFile();
    big.POIs[0].Vertices.assign(100000, 7);
    big.POIs[0].NrOfVertices = 100000;
    EXPECT_EXIT(
        {
            if (!limitFileSize(1000)) std::_Exit(3);
            std::signal(SIGXFSZ, SIG_DFL);
            const std::string error = saveAsError(big, path);
            liftFileSizeLimit();
            std::cerr << "[" << error << "]";
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "\\[Cannot Write file: .*/rois.poi\\]");
    EXPECT_EQ(readFile(path), "old\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"rois.poi"});
}

// Opening a FIFO for writing blocks until someone reads it, and a device is
// no place for a POI file: neither is opened, replaced or removed.
TEST(POIFileSave, FifoAndDeviceTargetsAreRefusedAndKept) {
    ScratchFolder folder;
    std::vector<std::string> names = {"pipe.poi"};
    ASSERT_EQ(::mkfifo(folder.file("pipe.poi").c_str(), 0666), 0);
    // Making a device needs root; the FIFO alone shows the rule elsewhere.
    if (::mknod(folder.file("zero.poi").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0) names.push_back("zero.poi");
    for (const std::string& name : names) {
        POIFile file = exampleFile();
        EXPECT_EQ(saveAsError(file, folder.file(name)), "Cannot Create file: " + folder.file(name));
        struct stat info {};
        ASSERT_EQ(::lstat(folder.file(name).c_str(), &info), 0);
        EXPECT_EQ(S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode), true) << name;
    }
    EXPECT_EQ(folder.entries().size(), names.size());
}

// Replacing a file needs only the folder's permission, so another user's
// file in a shared folder must be refused as opening it would be.
TEST(POIFileSave, AnotherUsersFileIsKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a file of another user needs root";
    ScratchFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string path = folder.file("rois.poi");
    writeFile(path, "root's file\n");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_EXIT(
        {
            if (::setuid(65534) != 0) std::_Exit(3);
            POIFile file = exampleFile();
            std::cerr << "[" << saveAsError(file, path) << "]";
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "\\[Cannot Create file: .*/rois.poi\\]");
    EXPECT_EQ(readFile(path), "root's file\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"rois.poi"});
}

// Who may read the file stays as the user set it: a private file stays private.
TEST(POIFileSave, ReplacementKeepsThePermissionBits) {
    ScratchFolder folder;
    const std::string path = folder.file("rois.poi");
    writeFile(path, "old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    POIFile file = exampleFile();
    file.saveAs(path);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A kill half way through leaves the old file whole: until the final
// rename the new text exists only under a temporary name.
TEST(POIFileSave, KillWhileWritingKeepsTheOldFile) {
    ScratchFolder folder;
    const std::string path = folder.file("rois.poi");
    writeFile(path, "old\n");
    EXPECT_EXIT(replaceFileWith(path,
                                [](std::ostream& out) {
                                    out << std::string(1 << 20, 'x');
                                    out.flush();
                                    std::raise(SIGKILL);
                                }),
                ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readFile(path), "old\n");
}

}  // namespace
}  // namespace tessarin

// Faults while zevkalon writes an export, end to end: a full disk, targets
// that are no regular files, read-only files, another user's file, outputs
// that would replace an input. Each ends with status 7 (3 for the POI file)
// and one message naming the file, and whatever stood at the target is
// left exactly as it was: nothing is removed that the run did not create.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "tests/robustness/grid_run_test.h"
#include "tests/robustness/robustness_inputs.h"
#include "tests/robustness/zevkalon_process.h"

namespace zevkalon::robustness {
namespace {

constexpr int kExitBadInput = 3;
constexpr int kExitExportFailed = 7;

class ExportFaults : public GridRunTest {
protected:
    ProcessResult exportTo(const std::string& target, const ProcessLimits& limits = {},
                           std::vector<std::string> extra = {}) const {
        std::vector<std::string> arguments = {"--voi-file", out_ + "/rois.voi", "--export-label-gii", target,
                                              inputs_ + "/labels.nii", inputs_ + "/grid.obj"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ProcessLimits bounded = limits;
        bounded.maxSeconds = 60;  // a target that blocks must fail the test, not hang it
        return runZevkalon(arguments, bounded);
    }
    std::string target() const { return out_ + "/pois.label.gii"; }

    // Refused with status code and one message that names the path.
    static void expectRefused(const ProcessResult& result, int code, const std::string& path,
                              const std::string& reason) {
        ASSERT_EQ(result.setupError, "");
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitCode, code) << result.messages;
        EXPECT_NE(result.messages.find(path), std::string::npos) << result.messages;
        EXPECT_NE(result.messages.find(reason), std::string::npos) << result.messages;
        EXPECT_EQ(occurrences(result.messages, path), 1u) << result.messages;
    }
};

TEST_F(ExportFaults, AFullDiskKeepsTheEarlierExportByteForByte) {
    const ProcessResult first = exportTo(target());
    ASSERT_EQ(first.exitCode, 0) << first.messages;
    const std::string earlier = readText(target());
    const std::size_t poiBytes = readText(out_ + "/rois.poi").size();
    ASSERT_GT(earlier.size(), poiBytes + 100);
    // Room for the POI file, not for the export.
    ProcessLimits limits;
    limits.maxFileBytes = static_cast<long long>(poiBytes + 50);
    const ProcessResult full = exportTo(target(), limits);
    expectRefused(full, kExitExportFailed, target(), "--export-label-gii: Cannot Write file: ");
    EXPECT_EQ(readText(target()), earlier);
    EXPECT_EQ(listFolder(out_), (std::vector<std::string>{"pois.label.gii", "rois.poi"}));
}

// Refused before the run: a FIFO would block the export forever, a folder
// or a device would be removed or written into. No POI file is written.
TEST_F(ExportFaults, TargetsThatAreNoFilesAreRefusedBeforeTheRunAndKept) {
    ASSERT_EQ(mkdir((out_ + "/folder.gii").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((out_ + "/pipe.gii").c_str(), 0644), 0);
    std::vector<std::pair<std::string, std::string>> cases = {{"folder.gii", "it is a folder"},
                                                              {"pipe.gii", "it is a named pipe (FIFO)"}};
    // Making a device needs root; the other cases show the rule elsewhere.
    if (mknod((out_ + "/zero.gii").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0) {
        cases.push_back({"zero.gii", "it is a device"});
    }
    for (const auto& [name, reason] : cases) {
        const ProcessResult result = exportTo(out_ + "/" + name);
        expectRefused(result, kExitExportFailed, out_ + "/" + name, reason);
        struct stat info {};
        ASSERT_EQ(lstat((out_ + "/" + name).c_str(), &info), 0) << name;
        EXPECT_FALSE(S_ISREG(info.st_mode)) << name;
    }
    EXPECT_EQ(listFolder(out_).size(), cases.size());  // no POI file, no temporary file
}

// A read-only file is not replaced even by root, as on Windows.
TEST_F(ExportFaults, AReadOnlyExportIsKept) {
    writeText(target(), "kept");
    ASSERT_EQ(chmod(target().c_str(), 0444), 0);
    expectRefused(exportTo(target()), kExitExportFailed, target(), "it is marked read-only");
    EXPECT_EQ(readText(target()), "kept");
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"pois.label.gii"});
}

// The folder is the user's, the file another user's: replacing it would need
// only the folder's permission, but opening it for writing is refused.
TEST_F(ExportFaults, AnotherUsersFileIsKept) {
    if (geteuid() != 0 || !canDropPermissionOverride()) {
        GTEST_SKIP() << "giving a file to another user and running without root's override of permission bits "
                        "needs root and a capability bounding set that can be lowered";
    }
    writeText(target(), "someone else's");
    ASSERT_EQ(chown(target().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(target().c_str(), 0644), 0);
    ProcessLimits limits;
    limits.withoutPermissionOverride = true;
    expectRefused(exportTo(target(), limits), kExitExportFailed, target(), "you have no permission to write it");
    EXPECT_EQ(readText(target()), "someone else's");
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"pois.label.gii"});
}

// Outputs are compared with the inputs as files, not as names: another
// spelling or a hard link of an input is caught as well.
TEST_F(ExportFaults, OutputsNeverReplaceAnInputOrEachOther) {
    const std::string surface = readText(inputs_ + "/grid.obj");
    expectRefused(exportTo(inputs_ + "/./grid.obj"), kExitExportFailed, inputs_ + "/./grid.obj",
                  "it is the input file " + inputs_ + "/grid.obj");
    expectRefused(exportTo(out_ + "/rois.poi"), kExitExportFailed, out_ + "/rois.poi", "it is the POI file");

    writeText(inputs_ + "/lut.txt", "1 V1 255 0 0 0\n");
    ASSERT_EQ(link((inputs_ + "/lut.txt").c_str(), (out_ + "/rois.poi").c_str()), 0);
    const ProcessResult poi = exportTo(target(), {}, {"--labels", inputs_ + "/lut.txt"});
    expectRefused(poi, kExitBadInput, out_ + "/rois.poi", "would replace the input file " + inputs_ + "/lut.txt");

    EXPECT_EQ(readText(inputs_ + "/grid.obj"), surface);
    EXPECT_EQ(readText(inputs_ + "/lut.txt"), "1 V1 255 0 0 0\n");
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"rois.poi"});
}

}  // namespace
}  // namespace zevkalon::robustness

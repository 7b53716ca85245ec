// Faults while the POI file is saved, end to end through zevkalon: the
// target folder is read-only, the disk is full, the target is a folder. In
// each case an existing file at the target keeps its old bytes, nothing
// else is left behind, the run fails with status 6 and the user reads one
// clear message naming the file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/robustness/grid_run_test.h"
#include "tests/robustness/robustness_inputs.h"
#include "tests/robustness/zevkalon_process.h"

namespace zevkalon::robustness {
namespace {

constexpr int kExitRunFailed = 6;
const std::string kOldContent = "FileVersion:      2\n\nthe previous POI file, which must survive\n";

class SaveFaults : public GridRunTest {
protected:
    ProcessResult save(const ProcessLimits& limits = {}) const {
        return runZevkalon({"--voi-file", out_ + "/rois.voi", inputs_ + "/labels.nii", inputs_ + "/grid.obj"}, limits);
    }
    std::string target() const { return out_ + "/rois.poi"; }

    // The failure as the user sees it: status 6, and exactly one line that
    // names the problem and the file.
    void expectOneMessage(const ProcessResult& result, const std::string& problem) const {
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitCode, kExitRunFailed) << result.messages;
        EXPECT_EQ(occurrences(result.messages, target()), 1u) << result.messages;
        EXPECT_NE(result.messages.find(problem + target()), std::string::npos) << result.messages;
        EXPECT_EQ(result.log.find("POI saved as"), std::string::npos) << result.log;
    }
};

TEST_F(SaveFaults, AReadOnlyFolderKeepsTheOldFile) {
    ProcessLimits limits;
    if (permissionBitsAreIgnored()) {
        // Root ignores permission bits; without CAP_DAC_OVERRIDE it does not.
        if (!canDropPermissionOverride()) {
            GTEST_SKIP() << "running as root and the capability that overrides permission bits cannot be dropped "
                            "here, so no folder can be made read-only for zevkalon";
        }
        limits.withoutPermissionOverride = true;
    }
    writeText(target(), kOldContent);
    // The check before the run sees a folder; it turns read-only before the save.
    ASSERT_EQ(chmod(out_.c_str(), 0555), 0);
    const ProcessResult result = save(limits);
    ASSERT_EQ(result.setupError, "");
    chmod(out_.c_str(), 0755);
    expectOneMessage(result, "Cannot Create file: ");
    EXPECT_EQ(readText(target()), kOldContent);
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"rois.poi"});
}

TEST_F(SaveFaults, AFullDiskKeepsTheOldFile) {
    writeText(target(), kOldContent);
    // Every file zevkalon writes may hold 64 bytes: the POI file needs about 600.
    ProcessLimits limits;
    limits.maxFileBytes = 64;
    const ProcessResult result = save(limits);
    ASSERT_EQ(result.setupError, "");
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, kExitRunFailed) << result.messages;
    const bool named = result.messages.find("Cannot Write file: " + target()) != std::string::npos ||
                       result.messages.find("Cannot Close file: " + target()) != std::string::npos;
    EXPECT_TRUE(named) << result.messages;
    EXPECT_EQ(readText(target()), kOldContent);
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"rois.poi"});

    // The same run without the limit succeeds: the limit was the only fault.
    const ProcessResult unlimited = save();
    EXPECT_EQ(unlimited.exitCode, 0) << unlimited.messages;
    EXPECT_GT(readText(target()).size(), 64u);
}

TEST_F(SaveFaults, AFolderAtTheTargetIsLeftAlone) {
    ASSERT_EQ(mkdir(target().c_str(), 0755), 0);
    writeText(target() + "/inside.txt", kOldContent);
    const ProcessResult result = save();
    expectOneMessage(result, "Cannot Create file: ");
    struct stat info {};
    ASSERT_EQ(stat(target().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(listFolder(target()), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(readText(target() + "/inside.txt"), kOldContent);
    EXPECT_EQ(listFolder(out_), std::vector<std::string>{"rois.poi"});
}

}  // namespace
}  // namespace zevkalon::robustness

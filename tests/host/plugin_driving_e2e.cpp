// How zevkalon drives plug-ins that refuse, fail, throw or are no plug-ins.
#include "tests/host/host_fixture.h"

namespace zevkalon::testing {
namespace {

TEST_F(HostRunTest, MisbehavingPluginsEndTheRunWithTheirOwnExitStatus) {
    writeGridInputs();
    struct Case {
        const char* plugin;
        int code;
        std::string log;        // exact log pane
        const char* message;    // on stderr
    } cases[] = {
        {STUB_PLUGIN_REFUSE, 5, "stub: initPlugin\nstub: destroyed\n", "the plug-in refused to run"},
        {STUB_PLUGIN_THROWS, 6, "stub: initPlugin\nstub: execute\nstub: destroyed\n", "stub failure"},
        {STUB_PLUGIN_BAD_POI, 6, "stub: initPlugin\nstub: execute\nstub: destroyed\n",
         "labels.poi:10: the value of \"NameOfPOI:\" must be enclosed in double quotes"},
        {STUB_PLUGIN_NO_FACTORY, 4, "", "does not export createPlugin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plugin);
        const Result result = run({"--plugin", c.plugin, path("labels.nii"), path("grid.obj")});
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.log, c.log);
        EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
    }
}

TEST_F(HostRunTest, HelpPrintsEveryOptionAndTheExitCodes) {
    const Result result = run({"--help"});
    EXPECT_EQ(result.code, 0);
    for (const char* option : {"--labels", "--voi-file", "--from", "--to", "--no-overlap", "--largest-patch",
                               "--fill-holes", "--smooth", "--plugin", "--export-label-gii", "--export-annot",
                               "--export-rois-gii", "--report", "--structure", "--out-dir"}) {
        EXPECT_NE(result.log.find(option), std::string::npos) << option;
    }
    EXPECT_NE(result.log.find("7 an export failed"), std::string::npos);
}

}  // namespace
}  // namespace zevkalon::testing

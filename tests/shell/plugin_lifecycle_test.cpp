// The plug-in as the host drives it: entry points, start-up checks, closing
// lines and the log stream's unload lines, through a fake host module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_host/plugin_harness.h"

using fakehost::FakeHostModule;
using fakehost::PluginHarness;
using Texts = std::vector<std::string>;

namespace {

const Texts kOpeningLines = {" ", "Plugin>  Running Tessarin Plugin...", "Plugin>"};
const Texts kClosingLines = {"Plugin>  Tessarin Plugin finished!", " "};
const char* const kVersionMessage = "Can not execute this plugin - Zevkalon version 2.2 or higher required.";
const char* const kDocumentCountMessage =
    "2 Documents should be open: \n\n 1. A VMR with VOIs loaded. \n 2. A corresponding SRF.";

Texts concat(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One refused or accepted start-up: initPlugin's result, the message boxes,
// and the log pane including the closing lines of the destructor.
struct StartUp {
    bool accepted;
    Texts messages;
    Texts log;
};

// The shell's part of a run only: execute belongs to the conversion tests.
StartUp startUp(PluginHarness& harness, std::size_t host = 0) {
    harness.createPlugin();
    const bool accepted = harness.initPlugin();
    harness.destroyPlugin();
    return {accepted, harness.host(host).textsOf("zkMessageBox"), harness.host(host).textsOf("zkLogText")};
}

}  // namespace

TEST(PluginEntryPoints, GettersReturnTheSameStaticTextsWithoutCallingTheHost) {
    PluginHarness harness;
    const std::vector<std::pair<const char*, std::string>> expected = {
        {"getPluginName", "Tessarin"},
        {"getPluginDescription", "Creates a POI from a VOI"},
        {"getAuthor", "<i>RK</i>"},
        {"getHelpFile", "HelpFolder/index.html"},
        {"getGUIScript", "Tessarin.js"},
        {"getPluginVersion", "3.5"}};
    std::vector<const char*> before;
    for (const auto& [getter, text] : expected) {
        before.push_back(harness.pluginText(getter));
        EXPECT_EQ(before.back(), text) << getter;
    }
    EXPECT_TRUE(startUp(harness).accepted);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(harness.pluginText(expected[i].first), before[i]) << "same pointer after initPlugin";
    }
    harness.clearCalls();
    for (const auto& entry : expected) harness.pluginText(entry.first);
    EXPECT_TRUE(harness.host().calls.empty());
}

TEST(PluginEntryPoints, CreatingAndDeletingWithoutInitCallsNothing) {
    PluginHarness harness;
    harness.createPlugin();
    harness.destroyPlugin();
    harness.unloadPlugin();
    // Never bound: the closing banner and the unload lines have nowhere to go.
    EXPECT_TRUE(harness.host().calls.empty()) << harness.host().callStrings().front();
}

TEST(PluginStartUp, AcceptsAValidWorkspaceWithTheExactCallSequence) {
    PluginHarness harness;
    harness.createPlugin();
    EXPECT_TRUE(harness.initPlugin());
    EXPECT_EQ(harness.host().callStrings(),
              (Texts{"zkGetVersionOfZevkalon()", "zkShowLogTab()", "zkLogText( )",
                     "zkLogText(Plugin>  Running Tessarin Plugin...)", "zkLogText(Plugin>)",
                     "zkGetNumberOfDocsInWorkspace()", "zkGetDocumentType(0)", "zkSetAsCurrentDocument(0)",
                     "zkGetVOIs()", "zkGetDocumentType(1)"}));
    harness.clearCalls();
    harness.destroyPlugin();
    EXPECT_EQ(harness.host().textsOf("zkLogText"), kClosingLines);
    EXPECT_EQ(harness.host().calls.size(), 2u);
}

TEST(PluginStartUp, VersionComponentsCompareAsNumbers) {
    const struct {
        std::int32_t major, minor, third;
        bool accepted;
    } cases[] = {{2, 2, 0, true},  {2, 1, 9, false},  {1, 9, 9, false}, {2, 3, 0, true},
                 {2, 10, 0, true}, {3, 0, 0, true},   {2, 1, 99, false}, {2, 2, -1, false}};
    for (const auto& c : cases) {
        PluginHarness harness;
        harness.scene().version[0] = c.major;
        harness.scene().version[1] = c.minor;
        harness.scene().version[2] = c.third;
        const StartUp result = startUp(harness);
        const std::string label = std::to_string(c.major) + "." + std::to_string(c.minor) + "." +
                                  std::to_string(c.third);
        EXPECT_EQ(result.accepted, c.accepted) << label;
        if (c.accepted) {
            EXPECT_TRUE(result.messages.empty()) << label;
            EXPECT_EQ(result.log, concat(kOpeningLines, kClosingLines)) << label;
        } else {
            EXPECT_EQ(result.messages, Texts{kVersionMessage}) << label;
            // Refused before the log tab: only the closing lines reach the log.
            EXPECT_EQ(result.log, kClosingLines) << label;
            EXPECT_EQ(harness.host().count("zkShowLogTab"), 0u) << label;
            EXPECT_EQ(harness.host().count("zkGetNumberOfDocsInWorkspace"), 0u) << label;
        }
    }
}

TEST(PluginStartUp, EachFailedCheckShowsExactlyItsOwnMessage) {
    const int VMR = ZK_DOCUMENT_TYPE_VMR, SRF = ZK_DOCUMENT_TYPE_SRF;
    const struct {
        const char* label;
        std::vector<std::int32_t> documents;
        std::int32_t getVOIsResult;
        const char* message;
    } cases[] = {
        {"one document", {VMR}, 1, kDocumentCountMessage},
        {"three documents", {VMR, SRF, SRF}, 1, kDocumentCountMessage},
        {"three documents of any kind", {SRF, SRF, SRF}, 0, kDocumentCountMessage},
        {"no documents", {}, 1, kDocumentCountMessage},
        {"SRF first, VMR second", {SRF, VMR}, 1, "The first document should be a VMR document."},
        {"VMR without VOIs", {VMR, SRF}, 0, "There are no VOIs loaded on the VMR!"},
        {"VMR without VOIs, second not an SRF", {VMR, VMR}, 0, "There are no VOIs loaded on the VMR!"},
        {"zkGetVOIs result 2 is not 1", {VMR, SRF}, 2, "There are no VOIs loaded on the VMR!"},
        {"two VMRs", {VMR, VMR}, 1, "The second document should be a SRF document."},
    };
    for (const auto& c : cases) {
        PluginHarness harness;
        harness.scene().documentTypes = c.documents;
        harness.scene().getVOIsResult = c.getVOIsResult;
        const StartUp result = startUp(harness);
        EXPECT_FALSE(result.accepted) << c.label;
        EXPECT_EQ(result.messages, Texts{c.message}) << c.label;
        EXPECT_EQ(result.log, concat(kOpeningLines, kClosingLines)) << c.label;
    }
}

TEST(PluginStartUp, ARefusedRunLeavesTheFirstDocumentCurrentOnceTheChecksReachedIt) {
    PluginHarness harness;
    harness.scene().documentTypes = {ZK_DOCUMENT_TYPE_VMR, ZK_DOCUMENT_TYPE_VMR};
    harness.scene().currentDocument = 1;
    EXPECT_FALSE(startUp(harness).accepted);
    EXPECT_EQ(harness.scene().currentDocument, 0);

    PluginHarness earlyFailure;
    earlyFailure.scene().documentTypes = {ZK_DOCUMENT_TYPE_SRF, ZK_DOCUMENT_TYPE_VMR};
    earlyFailure.scene().currentDocument = 1;
    EXPECT_FALSE(startUp(earlyFailure).accepted);
    EXPECT_EQ(earlyFailure.scene().currentDocument, 1);
    EXPECT_EQ(earlyFailure.host().count("zkSetAsCurrentDocument"), 0u);
}

TEST(PluginStartUp, BindingFailuresAreSilentAndSkipEveryClosingLine) {
    for (const auto& hosts : {std::vector<FakeHostModule>{}, {FakeHostModule::ZevkalonWithoutVersion}}) {
        PluginHarness harness(hosts);
        harness.createPlugin();
        EXPECT_FALSE(harness.initPlugin());
        harness.destroyPlugin();
        harness.unloadPlugin();  // pluginLog goes too: nothing to say, nowhere to say it
        if (!hosts.empty()) {
            EXPECT_TRUE(harness.host().calls.empty()) << harness.host().callStrings().front();
        }
    }
}

TEST(PluginStartUp, AHostWithOnlyTheVersionFunctionIsRefusedWithoutACrash) {
    PluginHarness harness({FakeHostModule::ZevkalonVersionOnly});
    EXPECT_FALSE(startUp(harness).accepted);
    harness.unloadPlugin();
    // The version was read; every later call had no entry to go through.
    EXPECT_EQ(harness.host().callStrings(), Texts{"zkGetVersionOfZevkalon()"});
}

TEST(PluginLog, UnloadDeliversTheCollectedTextThenTheClosingLine) {
    PluginHarness harness;
    EXPECT_TRUE(startUp(harness).accepted);
    harness.clearCalls();
    harness.unloadPlugin();
    EXPECT_EQ(harness.host().textsOf("zkLogText"), (Texts{"", "Destructor of ZKRLog never called"}));
    EXPECT_EQ(harness.host().calls.size(), 2u);
}

TEST(PluginLog, ARefusedRunStillGetsTheUnloadLinesOnceBound) {
    PluginHarness harness;
    harness.scene().version[0] = 1;
    EXPECT_FALSE(startUp(harness).accepted);
    harness.clearCalls();
    harness.unloadPlugin();
    EXPECT_EQ(harness.host().textsOf("zkLogText"), (Texts{"", "Destructor of ZKRLog never called"}));
}

TEST(PluginBinding, BindsToTheHostModuleThatIsLoaded) {
    // Only "Zevkar.exe": the same calls go to it.
    {
        PluginHarness harness({FakeHostModule::Zevkar});
        const StartUp result = startUp(harness);
        EXPECT_TRUE(result.accepted);
        EXPECT_EQ(result.log, concat(kOpeningLines, kClosingLines));
    }
    // Both: "Zevkalon.exe" wins, whichever was loaded first.
    {
        PluginHarness harness({FakeHostModule::Zevkar, FakeHostModule::Zevkalon});
        const StartUp result = startUp(harness, 1);
        EXPECT_TRUE(result.accepted);
        EXPECT_TRUE(harness.host(0).calls.empty());
        EXPECT_EQ(result.log, concat(kOpeningLines, kClosingLines));
    }
}

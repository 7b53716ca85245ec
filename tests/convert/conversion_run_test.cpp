// Whole conversion runs through the fake host, driven as the host drives the
// plug-in: createPlugin, initPlugin, execute, delete.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "tests/convert/run_reference.h"
#include "tests/fake_host/plugin_harness.h"
#include "tests/poi/scratch_folder.h"

namespace tessarin {
namespace {

using fakehost::PluginHarness;
using fakehost::Scene;
using testing::ScratchFolder;
using Texts = std::vector<std::string>;
using Cells = std::vector<std::pair<int, int>>;

// The real host's module is its executable: it outlives the plug-in. Keep
// the fake one loaded for the whole process as well, since a plug-in module
// that used thread-local storage with destructors cannot be unloaded by
// dlclose and calls its host once more when the process ends (pluginLog's
// closing lines).
class HostOutlivesPlugin : public ::testing::Environment {
public:
    void SetUp() override {
        handle_ = ::dlopen(fakehost::modulePath(fakehost::FakeHostModule::Zevkalon).c_str(), RTLD_LAZY | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
    }

private:
    void* handle_ = nullptr;  // deliberately never closed
};
const auto* const kHostOutlivesPlugin = ::testing::AddGlobalTestEnvironment(new HostOutlivesPlugin);

// What one execute did, seen from the host.
struct Outcome {
    bool executed = false;
    Texts log;       // zkLogText texts during execute
    Texts messages;  // zkMessageBox texts during execute
    Texts loads;     // zkLoadPOIs paths
    Texts calls;     // every host call during execute, as "name(arguments)"
};

Outcome runPlugin(const Scene& scene) {
    PluginHarness harness;
    harness.scene() = scene;
    harness.createPlugin();
    EXPECT_TRUE(harness.initPlugin());
    harness.clearCalls();
    Outcome outcome;
    outcome.executed = harness.execute();
    const fakehost::FakeHost& host = harness.host();
    outcome.log = host.textsOf("zkLogText");
    outcome.messages = host.textsOf("zkMessageBox");
    outcome.loads = host.textsOf("zkLoadPOIs");
    outcome.calls = host.callStrings();
    harness.destroyPlugin();
    return outcome;
}

// An 8 x 8 grid with four VOIs:
//   V1 (orange): a 4 x 4 block at (3..6, 3..6) with a one-vertex hole at
//       (4, 4), plus a small patch (1, 0), (2, 0) holding its lowest vertex;
//   MT (blue): (6..7, 3..4), sharing (6, 3) and (6, 4) with V1;
//   Far (black): voxels outside the volume only, so it reaches no vertex;
//   Pair: two vertices (0, 7), (1, 7).
Scene sceneA(const ScratchFolder& folder) {
    Scene scene = testing::gridScene(8, 8);
    Cells v1 = {{1, 0}, {2, 0}};
    for (int j = 3; j <= 6; ++j)
        for (int i = 3; i <= 6; ++i)
            if (!(i == 4 && j == 4)) v1.push_back({i, j});
    testing::addVOI(scene, "V1", 16744448, v1);
    testing::addVOI(scene, "MT", 255, {{6, 3}, {7, 3}, {6, 4}, {7, 4}});
    testing::addVOI(scene, "Far", 0, {{9, 9}, {-1, 2}});
    testing::addVOI(scene, "Pair", 0x102030, {{0, 7}, {1, 7}});
    scene.voisFileName = folder.file("rois.voi");
    scene.meshFileName = "/data/s01/s01_LH_WM.srf";
    return scene;
}

// A scene of random blobs on a 10 x 9 grid, reproducible from seed.
Scene generatedScene(const ScratchFolder& folder, std::uint32_t seed) {
    Scene scene = testing::gridScene(10, 9);
    auto next = [&seed](int bound) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(bound));
    };
    for (int k = 0; k < 4; ++k) {
        Cells cells;
        const int blobs = 1 + next(3);
        for (int b = 0; b < blobs; ++b) {
            const int ci = next(10), cj = next(9), radius = next(3);
            for (int j = cj - radius; j <= cj + radius; ++j)
                for (int i = ci - radius; i <= ci + radius; ++i)
                    if (next(5) != 0) cells.push_back({i, j});  // ragged, with holes, some outside
        }
        testing::addVOI(scene, "Blob " + std::to_string(k), next(1 << 24), cells);
    }
    scene.voisFileName = folder.file("blobs.voi");
    return scene;
}

void expectRunAsReference(const Scene& scene, const std::string& what) {
    const testing::ExpectedRun expected = testing::expectedRun(scene);
    std::remove(expected.poiPath.c_str());
    const Outcome outcome = runPlugin(scene);
    EXPECT_TRUE(outcome.executed) << what;
    EXPECT_EQ(outcome.log, expected.log) << what;
    EXPECT_EQ(outcome.messages, Texts{}) << what;
    EXPECT_EQ(outcome.loads, Texts{expected.poiPath}) << what;
    EXPECT_EQ(testing::readFile(expected.poiPath), expected.poiText) << what;
}

TEST(ConversionRun, EveryOptionCombinationMatchesTheReference) {
    ScratchFolder folder;
    for (unsigned combination = 0; combination < 16; ++combination) {
        Scene scene = sceneA(folder);
        testing::setOptions(scene, combination, 1 + static_cast<int>(combination % 3));
        expectRunAsReference(scene, "scene A, options " + std::to_string(combination));
        for (std::uint32_t seed : {7u, 1234u}) {
            Scene generated = generatedScene(folder, seed + combination);
            testing::setOptions(generated, combination, 1 + static_cast<int>(seed % 2));
            expectRunAsReference(generated, "seed " + std::to_string(seed) + ", options " +
                                                 std::to_string(combination));
        }
    }
}

// The plain run of scene A written out by hand, so that the reference is not
// the only judge of the texts.
TEST(ConversionRun, PlainRunLogsAndWritesExactly) {
    ScratchFolder folder;
    Scene scene = sceneA(folder);
    testing::setOptions(scene, 0);
    const Outcome outcome = runPlugin(scene);
    const std::string path = folder.file("rois.poi");
    EXPECT_TRUE(outcome.executed);
    EXPECT_EQ(outcome.log, (Texts{"Plugin>  Starting conversion of 4 VOIs in " + folder.file("rois.voi"),
                                  "Plugin>  Looking from -0.3 to 0.25", "Plugin>  Options chosen: ",
                                  "Plugin>  Converted voi \"V1\" of 17 voxels to 17 poi vertices",
                                  "Plugin>  Converted voi \"MT\" of 4 voxels to 4 poi vertices",
                                  "Plugin>  Converted voi \"Far\" of 2 voxels to 0 poi vertices",
                                  "Plugin>  Converted voi \"Pair\" of 2 voxels to 2 poi vertices",
                                  "\nPlugin>  POI saved as \"" + path + "\""}));
    EXPECT_EQ(testing::readFile(path),
              "FileVersion:      2\n\nFromMeshFile:     \"/data/s01/s01_LH_WM.srf\"\n\nNrOfMeshVertices: 64\n\n\n"
              "NrOfPOIs:         4\n\n"
              "NameOfPOI:        \"V1\"\nInfoTextFile:     \"\"\nColorOfPOI:       255 128 0\n"
              "LabelVertex:      1\nNrOfVertices:     17\n1\n2\n27\n28\n29\n30\n35\n37\n38\n43\n44\n45\n46\n51\n52\n"
              "53\n54\n\n"
              "NameOfPOI:        \"MT\"\nInfoTextFile:     \"\"\nColorOfPOI:       0 0 255\n"
              "LabelVertex:      30\nNrOfVertices:     4\n30\n31\n38\n39\n\n"
              "NameOfPOI:        \"Far (empty)\"\nInfoTextFile:     \"\"\nColorOfPOI:       0 0 0\n"
              "LabelVertex:      0\nNrOfVertices:     0\n\n"
              "NameOfPOI:        \"Pair\"\nInfoTextFile:     \"\"\nColorOfPOI:       16 32 48\n"
              "LabelVertex:      56\nNrOfVertices:     2\n56\n57\n\n"
              "\nNrOfPOIMTCs: 0\n");
    EXPECT_EQ(outcome.loads, Texts{path});
}

// Facts of the stages on scene A that hold whatever the reference says.
TEST(ConversionRun, StagesOnSceneA) {
    ScratchFolder folder;
    Scene scene = sceneA(folder);
    testing::setOptions(scene, 1 | 2 | 4 | 8, 1);
    const Outcome outcome = runPlugin(scene);
    const std::string text = testing::readFile(folder.file("rois.poi"));
    EXPECT_EQ(outcome.log[2], "Plugin>  Options chosen:  <No overlap>   <Largest Patch>   <Fill Holes>   "
                              "<Edge Smoothing>  ");
    // Largest patch drops V1's small patch with vertex 1, its label vertex,
    // which stays; MT and Pair (two vertices) get no line, Far no line at all.
    EXPECT_EQ(outcome.log[7], "\nPlugin>  Only keeping the biggest surface patch");
    EXPECT_EQ(outcome.log[8].rfind("Plugin>  POI V1 had 2 patches, surface change ", 0), 0u) << outcome.log[8];
    EXPECT_EQ(outcome.log[9].rfind("Plugin>  POI MT had 1 patches", 0), 0u) << outcome.log[9];
    EXPECT_EQ(outcome.log[10], "\nPlugin>  Filling holes in patches");
    // The hole (4, 4) = vertex 36 closes: 15 kept vertices + 1.
    EXPECT_EQ(outcome.log[11], "Plugin>  POI nr of vertices V1: 15 -> 16");
    EXPECT_EQ(outcome.log[12], "Plugin>  POI nr of vertices MT: 4 -> 4");
    EXPECT_EQ(outcome.log[13], "\nPlugin>  Smooth patch edges by growing and shrinking 1 steps");
    const std::size_t removing = 13 + 4;  // V1, MT, Pair smoothed; Far is empty
    EXPECT_EQ(outcome.log[removing].rfind("\nPlugin>  Removing ", 0), 0u) << outcome.log[removing];
    EXPECT_EQ(outcome.log[removing + 3].rfind("Plugin>  POI nr of vertices Far (empty): 0 -> 0 -> 0", 0), 0u);
    EXPECT_NE(text.find("NameOfPOI:        \"V1\"\nInfoTextFile:     \"\"\nColorOfPOI:       255 128 0\n"
                        "LabelVertex:      1\n"),
              std::string::npos);
    const std::size_t v1 = text.find("NrOfVertices:", text.find("\"V1\""));
    const std::size_t mt = text.find("NameOfPOI:        \"MT\"");
    EXPECT_EQ(text.substr(v1, mt - v1).find("\n1\n"), std::string::npos) << "vertex 1 left V1";
}

TEST(ConversionRun, HostCallOrder) {
    ScratchFolder folder;
    Scene scene = testing::gridScene(4, 4);
    testing::addVOI(scene, "A", 1, {{0, 0}});
    testing::addVOI(scene, "B", 2, {{1, 1}});
    scene.voisFileName = folder.file("two.voi");
    testing::setOptions(scene, 0);
    const Outcome outcome = runPlugin(scene);
    Texts withoutLog;
    for (const std::string& call : outcome.calls)
        withoutLog.push_back(call.rfind("zkLogText(", 0) == 0 ? "zkLogText" : call);
    EXPECT_EQ(withoutLog, (Texts{"zkGetFloatParameter(From)", "zkGetFloatParameter(To)",
                                 "zkGetIntParameter(NoOverlap)", "zkGetIntParameter(LargestPatch)",
                                 "zkGetIntParameter(FillHoles)", "zkGetIntParameter(NrSmooth)",
                                 "zkSetAsCurrentDocument(1)", "zkGetCurrentSRF()", "zkSetAsCurrentDocument(0)",
                                 "zkGetMainHeaderOfCurrentVMR()", "zkGetVOIs()", "zkLogText", "zkLogText",
                                 "zkLogText", "zkGetVOI(1)", "zkGetVOI(0)", "zkGetVOI(0)", "zkLogText",
                                 "zkGetVOI(1)", "zkLogText", "zkLogText",
                                 "zkLoadPOIs(" + folder.file("two.poi") + ")"}));
}

TEST(ConversionRun, ZeroVOIs) {
    ScratchFolder folder;
    Scene scene = testing::gridScene(3, 3);
    scene.voisFileName = folder.file("none.voi");
    testing::setOptions(scene, 15, 2);
    const Outcome outcome = runPlugin(scene);
    EXPECT_TRUE(outcome.executed);
    EXPECT_EQ(outcome.log,
              (Texts{"Plugin>  Starting conversion of 0 VOIs in " + folder.file("none.voi"),
                     "Plugin>  Looking from -0.3 to 0.25",
                     "Plugin>  Options chosen:  <No overlap>   <Largest Patch>   <Fill Holes>   <Edge Smoothing>  ",
                     "\nPlugin>  Only keeping the biggest surface patch", "\nPlugin>  Filling holes in patches",
                     "\nPlugin>  Smooth patch edges by growing and shrinking 2 steps",
                     "\nPlugin>  Removing 0 overlapping vertices, and start redistributing them.",
                     "\nPlugin>  POI saved as \"" + folder.file("none.poi") + "\""}));
    for (const std::string& call : outcome.calls) EXPECT_EQ(call.find("zkGetVOI("), std::string::npos);
    EXPECT_EQ(testing::readFile(folder.file("none.poi")),
              "FileVersion:      2\n\nFromMeshFile:     \"/tmp/tessarin-fake/brain.srf\"\n\nNrOfMeshVertices: 9\n\n\n"
              "NrOfPOIs:         0\n\n\nNrOfPOIMTCs: 0\n");
    EXPECT_EQ(outcome.loads, Texts{folder.file("none.poi")});
}

TEST(ConversionRun, OutputPathFollowsTheVOIFile) {
    ScratchFolder folder;
    ASSERT_EQ(::mkdir(folder.file("study.v2").c_str(), 0755), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.file("rois.voi"), folder.file("rois.poi")},
        {folder.file("rois"), folder.file("rois.poi")},
        {folder.file("study.v2/rois"), folder.file("study.poi")},
        {folder.file("a.b.voi"), folder.file("a.b.poi")}};
    for (const auto& [voiFile, poiFile] : cases) {
        Scene scene = testing::gridScene(3, 3);
        testing::addVOI(scene, "A", 0, {{1, 1}});
        scene.voisFileName = voiFile;
        const Outcome outcome = runPlugin(scene);
        EXPECT_EQ(outcome.loads, Texts{poiFile});
        EXPECT_EQ(outcome.log.back(), "\nPlugin>  POI saved as \"" + poiFile + "\"");
        EXPECT_TRUE(testing::fileExists(poiFile)) << poiFile;
    }
}

// A VOI name and a VOI file path as wide as the host's fields allow reach
// the log lines and the file in full.
TEST(ConversionRun, FullWidthNamesAndPathsAreNotCut) {
    ScratchFolder folder;
    std::string sub = folder.file(std::string(120, 's'));
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::string voiFile = sub + "/" + std::string(263 - sub.size() - 5, 'f') + ".voi";
    ASSERT_EQ(voiFile.size(), 263u);
    const std::string name(255, 'N');
    Scene scene = testing::gridScene(6, 6);
    testing::addVOI(scene, name, 0, {{1, 1}, {2, 1}, {1, 2}});
    scene.voisFileName = voiFile;
    testing::setOptions(scene, 2 | 4);
    const Outcome outcome = runPlugin(scene);
    const std::string poiFile = voiFile.substr(0, voiFile.size() - 4) + ".poi";
    EXPECT_TRUE(outcome.executed);
    EXPECT_EQ(outcome.log.front(), "Plugin>  Starting conversion of 1 VOIs in " + voiFile);
    EXPECT_EQ(outcome.log[3], "Plugin>  Converted voi \"" + name + "\" of 3 voxels to 3 poi vertices");
    EXPECT_EQ(outcome.log[5].rfind("Plugin>  POI " + name + " had 1 patches", 0), 0u);
    EXPECT_EQ(outcome.log[7], "Plugin>  POI nr of vertices " + name + ": 3 -> 3");
    EXPECT_EQ(outcome.log.back(), "\nPlugin>  POI saved as \"" + poiFile + "\"");
    EXPECT_NE(testing::readFile(poiFile).find("NameOfPOI:        \"" + name + "\"\n"), std::string::npos);
}

// Every error that ends a run: one message box with its text, false, no
// saved line, no load request, no file, and an existing file left alone.
void expectFailedRun(const Outcome& outcome, const std::string& message) {
    EXPECT_FALSE(outcome.executed);
    EXPECT_EQ(outcome.messages, Texts{message});
    EXPECT_EQ(outcome.loads, Texts{});
    for (const std::string& line : outcome.log) EXPECT_EQ(line.find("POI saved as"), std::string::npos);
}

TEST(ConversionRunFailure, SaveIntoAMissingFolder) {
    ScratchFolder folder;
    Scene scene = sceneA(folder);
    testing::setOptions(scene, 15);
    scene.voisFileName = folder.file("missing/rois.voi");
    const Outcome outcome = runPlugin(scene);
    expectFailedRun(outcome, "Cannot Create file: " + folder.file("missing/rois.poi"));
    EXPECT_EQ(folder.entries(), Texts{});
}

TEST(ConversionRunFailure, TargetThatCannotBeReplacedIsKept) {
    ScratchFolder folder;
    ASSERT_EQ(::mkdir(folder.file("rois.poi").c_str(), 0755), 0);
    testing::writeFile(folder.file("rois.poi/keep"), "kept");
    const Outcome outcome = runPlugin(sceneA(folder));
    expectFailedRun(outcome, "Cannot Create file: " + folder.file("rois.poi"));
    EXPECT_EQ(folder.entries(), Texts{"rois.poi"});
    EXPECT_EQ(testing::readFile(folder.file("rois.poi/keep")), "kept");
}

// The run in a child process, which reports what the host saw on stderr.
void runInChild(const Scene& scene) {
    const Outcome outcome = runPlugin(scene);
    // A file size limit set for the run must not cut this report short:
    // the death test reads it from a file too.
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::cerr << "executed=" << outcome.executed << " loads=" << outcome.loads.size() << " boxes=[";
    for (const std::string& message : outcome.messages) std::cerr << message << ";";
    std::cerr << "] saved=" << (outcome.log.back().find("POI saved as") != std::string::npos) << "\n";
    std::_Exit(0);
}

TEST(ConversionRunFailure, UnwritableFolderKeepsTheExistingFile) {
    ScratchFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    ASSERT_EQ(::mkdir(folder.file("locked").c_str(), 0755), 0);
    const std::string old = "FileVersion:      2\n\nold\n";
    testing::writeFile(folder.file("locked/rois.poi"), old);
    ::chmod(folder.file("locked/rois.poi").c_str(), 0666);
    ASSERT_EQ(::chmod(folder.file("locked").c_str(), 0555), 0);
    Scene scene = sceneA(folder);
    scene.voisFileName = folder.file("locked/rois.voi");
    EXPECT_EXIT(
        {
            // Root ignores folder permissions; the host normally runs as a user.
            if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(3);
            runInChild(scene);
        },
        ::testing::ExitedWithCode(0),
        "executed=0 loads=0 boxes=\\[Cannot Create file: .*/locked/rois.poi;\\] saved=0");
    EXPECT_EQ(testing::readFile(folder.file("locked/rois.poi")), old);
    EXPECT_EQ(folder.entries("locked"), Texts{"rois.poi"});
}

TEST(ConversionRunFailure, FailedWriteKeepsTheExistingFile) {
    ScratchFolder folder;
    const std::string old = "FileVersion:      2\n\nthe previous conversion\n";
    testing::writeFile(folder.file("rois.poi"), old);
    const Scene scene = sceneA(folder);
    EXPECT_EXIT(
        {
            // A disk that fills up after 100 bytes of the new file (the
            // soft limit only, which the report lifts again).
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
            limit.rlim_cur = 100;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
            runInChild(scene);
        },
        ::testing::ExitedWithCode(0),
        "executed=0 loads=0 boxes=\\[Cannot (Write|Close) file: .*/rois.poi;\\] saved=0");
    EXPECT_EQ(testing::readFile(folder.file("rois.poi")), old);
    EXPECT_EQ(folder.entries(), Texts{"rois.poi"});
}

TEST(ConversionRunFailure, RefusedVolumeEndsTheRunWithOneMessage) {
    ScratchFolder folder;
    Scene scene = sceneA(folder);
    scene.dimX = scene.dimY = scene.dimZ = 2147483647;  // too large to address
    const Outcome outcome = runPlugin(scene);
    EXPECT_FALSE(outcome.executed);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_FALSE(outcome.messages[0].empty());
    EXPECT_EQ(outcome.loads, Texts{});
    EXPECT_EQ(outcome.log.size(), 3u);  // the three opening lines of the run only
    EXPECT_EQ(folder.entries(), Texts{});
}

// execute without a bound host: every forwarder is missing, the message box
// too, so nothing reaches the host, and above all no exception does. In a
// fresh process (the death test re-runs the binary): a plug-in module that
// ran before may still be loaded with its table bound.
TEST(ConversionRunFailure, MissingHostFunctionsNeverEscape) {
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            PluginHarness harness;
            harness.createPlugin();
            bool executed = true;
            try {
                executed = harness.execute();
            } catch (...) {
                std::cerr << "exception escaped";
                std::_Exit(1);
            }
            std::cerr << "executed=" << executed << " calls=" << harness.host().calls.size();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "executed=0 calls=0");
    GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace
}  // namespace tessarin

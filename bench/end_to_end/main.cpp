// End-to-end benchmark: the whole conversion through the plug-in's C ABI on
// a brain-sized scene, phase by phase, against the literal reference path.
//
//   zevkalon [--plugin FILE] [--literal-limit SECONDS] [--no-literal]
//            [--edge N] [--brain VOLUME SURFACE] [--from F] [--to T]
//            [--smooth N] [--stages largest,fill,smooth,nooverlap]
//            [--random-rows] [--save-scene FILE] [--repeat N] [--keep]
//
// --stages names the option stages that run (default all four);
// --random-rows replaces every neighbour row with random vertices (counts
// kept): rows that no mesh has, the hardest input for the vertex-set operations.
// --save-scene writes the scene for the Windows host (windows_main.cpp).
//
// The scene is made in code (--edge sets its size) or read from a label
// volume and a surface with zevkalon's readers (--brain).
// This program is the host: it is named zevkalon so that the plug-in binds
// to its exported host functions. Phase times come from the arrival times of
// the plug-in's log entries, in CPU time of the plug-in's thread (so other
// work on the machine does not inflate them); the literal path runs each phase in a child
// process on the same input and is stopped at the limit (default 600 s).
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/end_to_end/bench_host.h"
#include "bench/end_to_end/brain_files.h"
#include "bench/end_to_end/brain_scene.h"
#include "bench/end_to_end/conversion_pipeline.h"
#include "bench/end_to_end/option_value.h"
#include "bench/end_to_end/scene_file.h"
#include "bench/end_to_end/time_limited.h"
#include "geometry/patch_connectivity.h"
#include "shell/plugin_interface.h"

namespace tessarin::bench {
namespace {

struct Arguments {
    std::string plugin = TESSARIN_PLUGIN_PATH;
    double literalLimit = 600.0;
    bool literal = true;
    int edgePoints = 206;
    std::string brainVolume, brainSurface;
    float from = -1.0f, to = 3.0f;
    int smoothSteps = 2;
    bool stages[4] = {true, true, true, true};  // largest, fill, smooth, nooverlap
    bool randomRows = false;
    std::string saveScene;
    int repeat = 1;
    bool keep = false;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&] { return tessarin::bench::optionValue(argc, argv, i); };
        if (option == "--plugin") {
            arguments.plugin = value();
        } else if (option == "--literal-limit") {
            arguments.literalLimit = std::atof(value().c_str());
        } else if (option == "--no-literal") {
            arguments.literal = false;
        } else if (option == "--edge") {
            arguments.edgePoints = std::atoi(value().c_str());
        } else if (option == "--brain") {
            arguments.brainVolume = value();
            arguments.brainSurface = value();
        } else if (option == "--from") {
            arguments.from = std::strtof(value().c_str(), nullptr);
        } else if (option == "--to") {
            arguments.to = std::strtof(value().c_str(), nullptr);
        } else if (option == "--smooth") {
            arguments.smoothSteps = std::atoi(value().c_str());
        } else if (option == "--stages") {
            const std::string list = "," + value() + ",";
            const char* names[4] = {",largest,", ",fill,", ",smooth,", ",nooverlap,"};
            for (int k = 0; k < 4; ++k) arguments.stages[k] = list.find(names[k]) != std::string::npos;
        } else if (option == "--random-rows") {
            arguments.randomRows = true;
        } else if (option == "--save-scene") {
            arguments.saveScene = value();
        } else if (option == "--repeat") {
            arguments.repeat = std::atoi(value().c_str());
        } else if (option == "--keep") {
            arguments.keep = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--plugin FILE] [--literal-limit SECONDS] [--no-literal] [--edge N] "
                         "[--brain VOLUME SURFACE] [--from F] [--to T] [--smooth N] [--stages largest,fill,smooth,nooverlap] "
                         "[--random-rows] [--save-scene FILE] [--repeat N] [--keep]\n",
                         argv[0]);
            std::exit(2);
        }
    }
    if (arguments.edgePoints < 3 || arguments.smoothSteps < 1 || arguments.literalLimit <= 0.0 || arguments.repeat < 1) {
        std::fprintf(stderr, "--edge must be at least 3, --smooth and --repeat at least 1, --literal-limit above 0\n");
        std::exit(2);
    }
    return arguments;
}

// The peak resident memory since the last resetPeakResident() (or the
// start), from the kernel's high-water mark VmHWM.
double peakResidentMB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long kilobytes = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kilobytes;
            break;
        }
        status.ignore(1 << 20, '\n');
    }
    return static_cast<double>(kilobytes) / 1024.0;
}

void resetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

double currentResidentMB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool sameRecords(const POIFile& a, const POIFile& b) {
    if (a.POIs.size() != b.POIs.size()) return false;
    for (std::size_t i = 0; i < a.POIs.size(); ++i) {
        if (a.POIs[i].Vertices != b.POIs[i].Vertices || a.POIs[i].NrOfVertices != b.POIs[i].NrOfVertices) return false;
    }
    return true;
}

bool stageRuns(Phase phase, const RunOptions& options) {
    switch (phase) {
        case Phase::LargestPatch: return options.largestPatch;
        case Phase::FillHoles: return options.fillHoles;
        case Phase::Smoothing: return options.smoothSteps > 0;
        case Phase::NoOverlap: return options.noOverlap;
        default: return true;
    }
}

struct SceneStats {
    std::size_t mappedVertices = 0, emptyPOIs = 0, multiPatchPOIs = 0, overlapVertices = 0;
};

int run(const Arguments& arguments) {
    std::printf("Tessarin end-to-end benchmark (single thread, one process)\n");
    const Clock::time_point buildStart = Clock::now();
    BrainScene scene;
    if (arguments.brainVolume.empty()) {
        scene = makeBrainScene(arguments.edgePoints);
    } else {
        try {
            scene = loadBrainScene(arguments.brainVolume, arguments.brainSurface);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "cannot read the brain: %s\n", error.what());
            return 1;
        }
        std::printf("brain: %s, %s\n", arguments.brainVolume.c_str(), arguments.brainSurface.c_str());
    }
    std::printf("scene: %d vertices, %d triangles, volume %d x %d x %d, %zu VOIs with %zu voxels (built in %.2f s)\n",
                scene.mesh.nrOfVertices(), scene.mesh.nrOfTriangles(), scene.dims[0], scene.dims[1], scene.dims[2],
                scene.vois.size(), scene.totalVoxels(), secondsBetween(buildStart, Clock::now()));

    char folderTemplate[] = "/tmp/tessarin-bench-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = folderTemplate;
    if (arguments.randomRows) {
        std::mt19937 rng(52);
        std::uniform_int_distribution<std::int32_t> any(0, scene.mesh.nrOfVertices() - 1);
        for (auto& row : scene.mesh.neighbours) {
            for (std::int32_t& w : row) w = any(rng);
        }
        std::printf("neighbour rows replaced by random vertices\n");
    }
    if (!arguments.saveScene.empty()) saveScene(scene, arguments.saveScene);
    RunOptions options;
    options.from = arguments.from;
    options.to = arguments.to;
    options.largestPatch = arguments.stages[0];
    options.fillHoles = arguments.stages[1];
    options.smoothSteps = arguments.stages[2] ? arguments.smoothSteps : 0;
    options.noOverlap = arguments.stages[3];
    HostState host;
    host.scene = &scene;
    host.voiFileName = folder + "/brain.voi";
    host.meshFileName = folder + "/brain.srf";
    host.floatParameters = {{"From", options.from}, {"To", options.to}};
    host.intParameters = {{"NoOverlap", options.noOverlap},
                           {"LargestPatch", options.largestPatch},
                           {"FillHoles", options.fillHoles},
                           {"NrSmooth", options.smoothSteps}};
    std::printf("settings: From %g, To %g, NoOverlap %d, LargestPatch %d, FillHoles %d, NrSmooth %d\n", options.from,
                options.to, options.noOverlap, options.largestPatch, options.fillHoles, options.smoothSteps);
    const std::string poiPath = folder + "/brain.poi";

    // ---- The plug-in, through its C ABI, as the host drives it.
    setHostState(&host);
    // From here the peak is the plug-in's: the kernel's high-water mark of
    // the process is reset (the scene's loading may have passed it).
    resetPeakResident();
    const double residentBefore = currentResidentMB();
    void* module = dlopen(arguments.plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load the plug-in %s: %s\n", arguments.plugin.c_str(), dlerror());
        return 1;
    }
    auto create = reinterpret_cast<CreatePluginFn>(dlsym(module, "createPlugin"));
    if (create == nullptr) {
        std::fprintf(stderr, "the plug-in exports no createPlugin\n");
        return 1;
    }
    // Each run as the host makes it; the best time of each phase over the
    // runs is reported, which shields the figures from other work on the machine.
    PluginTimes plugin_times;
    double whole = 0.0;
    for (int run = 0; run < arguments.repeat; ++run) {
        host.log.clear();
        host.loadRequests.clear();
        ZKRPluginInterface* plugin = create();
        if (plugin == nullptr || !plugin->initPlugin()) {
            std::fprintf(stderr, "the plug-in did not start: %s\n", host.messages.empty() ? "" : host.messages.back().c_str());
            return 1;
        }
        const Clock::time_point executeStart = Clock::now();
        const bool executed = plugin->execute();
        const Clock::time_point executeEnd = Clock::now();
        delete plugin;
        if (!executed || !host.messages.empty() || host.loadRequests.size() != 1) {
            std::fprintf(stderr, "the run failed: %s\n", host.messages.empty() ? "" : host.messages.back().c_str());
            return 1;
        }
        const PluginTimes times = phaseTimes(host.log);
        if (!times.complete) {
            std::fprintf(stderr, "the plug-in's log lacks the expected lines\n");
            return 1;
        }
        const double seconds = secondsBetween(executeStart, executeEnd);
        if (run == 0 || seconds < whole) whole = seconds;
        keepBest(plugin_times, times, run == 0);
    }
    const double peak = peakResidentMB();
    dlclose(module);
    setHostState(nullptr);
    const std::string pluginText = readFile(poiPath);

    // ---- The same run replayed in-process with the library's operations,
    // giving every literal phase its input; it must write what the plug-in wrote.
    const SurfaceMesh mesh = scene.mesh.view();
    const std::vector<VertexList> mapped = mapScene(libraryOps(), scene, options);
    std::vector<POIFile> before(kPhaseCount), after(kPhaseCount);
    after[static_cast<int>(Phase::Records)] = buildRecords(scene, mapped, host.meshFileName);
    SceneStats stats;
    for (const VertexList& list : mapped) {
        stats.mappedVertices += list.size();
        stats.emptyPOIs += list.empty() ? 1 : 0;
        if (list.size() > 2 && splitIntoPatches(list, mesh).size() > 1) ++stats.multiPatchPOIs;
    }
    POIFile current = after[static_cast<int>(Phase::Records)];
    for (Phase phase : {Phase::LargestPatch, Phase::FillHoles, Phase::Smoothing, Phase::NoOverlap}) {
        if (!stageRuns(phase, options)) continue;
        before[static_cast<int>(phase)] = current;
        if (phase == Phase::NoOverlap) stats.overlapVertices = libraryOps().findOverlapVertices(current).size();
        runStage(phase, libraryOps(), current, mesh, options);
        after[static_cast<int>(phase)] = current;
    }
    current.FileName = poiPath;
    std::ostringstream replayText;
    current.writeTo(replayText);
    const bool replayMatches = replayText.str() == pluginText;
    std::printf("POIs: %zu mapped vertices in all, %zu empty, %zu with several patches, %zu shared vertices before "
                "the no-overlap stage; POI file %zu bytes\n",
                stats.mappedVertices, stats.emptyPOIs, stats.multiPatchPOIs, stats.overlapVertices, pluginText.size());
    std::printf("in-process replay writes the plug-in's file byte for byte: %s\n", replayMatches ? "yes" : "NO");

    // ---- The literal path, one child process per phase.
    LimitedResult literal[kPhaseCount];
    bool literalRan[kPhaseCount] = {};
    if (arguments.literal) {
        std::printf("literal path (each phase stopped after %.0f s):", arguments.literalLimit);
        std::fflush(stdout);
        literal[static_cast<int>(Phase::Mapping)] = runWithTimeLimit(
            [&](double& seconds) {
                const Clock::time_point start = Clock::now();
                const std::vector<VertexList> lists = mapScene(literalOps(), scene, options);
                seconds = secondsBetween(start, Clock::now());
                return lists == mapped;
            },
            arguments.literalLimit);
        literalRan[static_cast<int>(Phase::Mapping)] = true;
        std::printf(" mapping");
        std::fflush(stdout);
        for (Phase phase : {Phase::LargestPatch, Phase::FillHoles, Phase::Smoothing, Phase::NoOverlap}) {
            if (!stageRuns(phase, options)) continue;
            const int p = static_cast<int>(phase);
            literal[p] = runWithTimeLimit(
                [&](double& seconds) {
                    POIFile file = before[p];
                    const Clock::time_point start = Clock::now();
                    runStage(phase, literalOps(), file, mesh, options);
                    seconds = secondsBetween(start, Clock::now());
                    return sameRecords(file, after[p]);
                },
                arguments.literalLimit);
            literalRan[p] = true;
            std::printf(", %s", phaseName(phase));
            std::fflush(stdout);
        }
        literal[static_cast<int>(Phase::Writing)] = runWithTimeLimit(
            [&](double& seconds) {
                const std::string path = folder + "/literal.poi";
                const Clock::time_point start = Clock::now();
                const bool written = writeLiteral(current, path);
                seconds = secondsBetween(start, Clock::now());
                return written && readFile(path) == pluginText;
            },
            arguments.literalLimit);
        literalRan[static_cast<int>(Phase::Writing)] = true;
        std::printf(", writing\n");
    }

    // ---- The table.
    std::printf("\n%-15s %12s %14s %10s %8s\n", "phase", "plug-in s", "literal s", "speed-up", "same");
    for (int p = 0; p < kPhaseCount; ++p) {
        if (!plugin_times.ran[p]) continue;
        std::printf("%-15s %12.4f", phaseName(static_cast<Phase>(p)), plugin_times.phase[p]);
        if (!literalRan[p]) {
            std::printf(" %14s %10s %8s\n", "-", "-", "-");
            continue;
        }
        const LimitedResult& l = literal[p];
        const double ratio = plugin_times.phase[p] > 0.0 ? l.seconds / plugin_times.phase[p] : 0.0;
        if (l.crashed) {
            std::printf(" %14s %10s %8s\n", "crashed", "-", "-");
        } else if (!l.finished) {
            char bound[32], times[32];
            std::snprintf(bound, sizeof bound, "> %.0f", l.seconds);
            std::snprintf(times, sizeof times, "> %.0fx", ratio);
            std::printf(" %14s %10s %8s\n", bound, times, "-");
        } else {
            std::printf(" %14.4f %9.1fx %8s\n", l.seconds, ratio, l.matches ? "yes" : "NO");
        }
    }
    std::printf("%-15s %12.4f   (execute, from the call to its return)\n", "whole run", whole);
    std::printf("\npeak resident memory while the plug-in ran: %.1f MB (process; %.1f MB resident before it was loaded)\n",
                peak, residentBefore);
    const double mapping = plugin_times.phase[static_cast<int>(Phase::Mapping)];
    const double added = peak - residentBefore;
    std::printf("goals: whole run at most 0.15 s: %s; mapping at most 0.06 s: %s; memory the run adds at most 40 MB "
                "(%.1f MB): %s\n",
                whole <= 0.15 ? "met" : "MISSED", mapping <= 0.06 ? "met" : "MISSED", added,
                added <= 40.0 ? "met" : "MISSED");

    if (!arguments.keep) {
        std::remove(poiPath.c_str());
        std::remove((folder + "/literal.poi").c_str());
        rmdir(folder.c_str());
    } else {
        std::printf("output kept in %s\n", folder.c_str());
    }
    return replayMatches ? 0 : 1;
}

}  // namespace
}  // namespace tessarin::bench

int main(int argc, char** argv) { return tessarin::bench::run(tessarin::bench::parseArguments(argc, argv)); }

// The benchmark's Windows host: runs Tessarin.dll on a scene that the Linux
// benchmark saved (--save-scene), calling it as a host built with the
// Microsoft compiler does (through the object's table, from C), and prints
// the best time of each phase over the runs, for comparison with the Linux
// build on the same input.
//
//   Zevkalon.exe SCENE [--plugin FILE] [--repeat N] [--from F] [--to T] [--smooth N]
//
// It is named Zevkalon.exe so that the plug-in binds to its host functions.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/end_to_end/bench_host.h"
#include "bench/end_to_end/option_value.h"
#include "bench/end_to_end/phase_times.h"
#include "bench/end_to_end/scene_file.h"
#include "host/runtime/msvc_plugin_calls.h"

namespace tessarin::bench {
namespace {

struct Arguments {
    std::string scene;
    std::string plugin = "Tessarin.dll";
    int repeat = 5;
    float from = -1.0f, to = 3.0f;
    int smoothSteps = 2;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&] { return tessarin::bench::optionValue(argc, argv, i); };
        if (option == "--plugin") {
            arguments.plugin = value();
        } else if (option == "--repeat") {
            arguments.repeat = std::atoi(value().c_str());
        } else if (option == "--from") {
            arguments.from = std::strtof(value().c_str(), nullptr);
        } else if (option == "--to") {
            arguments.to = std::strtof(value().c_str(), nullptr);
        } else if (option == "--smooth") {
            arguments.smoothSteps = std::atoi(value().c_str());
        } else if (arguments.scene.empty() && option[0] != '-') {
            arguments.scene = option;
        } else {
            std::fprintf(stderr, "usage: Zevkalon.exe SCENE [--plugin FILE] [--repeat N] [--from F] [--to T] [--smooth N]\n");
            std::exit(2);
        }
    }
    if (arguments.scene.empty() || arguments.repeat < 1) {
        std::fprintf(stderr, "a scene file and --repeat of at least 1 are needed\n");
        std::exit(2);
    }
    return arguments;
}

int run(const Arguments& arguments) {
    const BrainScene scene = loadScene(arguments.scene);
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        std::fprintf(stderr, "no folder for temporary files\n");
        return 1;
    }
    HostState host;
    host.scene = &scene;
    host.voiFileName = std::string(folder) + "tessarin_bench.voi";
    host.meshFileName = std::string(folder) + "tessarin_bench.srf";
    host.floatParameters = {{"From", arguments.from}, {"To", arguments.to}};
    host.intParameters = {{"NoOverlap", 1}, {"LargestPatch", 1}, {"FillHoles", 1}, {"NrSmooth", arguments.smoothSteps}};
    setHostState(&host);

    HMODULE module = LoadLibraryA(arguments.plugin.c_str());
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load the plug-in %s\n", arguments.plugin.c_str());
        return 1;
    }
    using CreatePlugin = MsvcPluginObject* (*)();
    const auto create = reinterpret_cast<CreatePlugin>(reinterpret_cast<void*>(GetProcAddress(module, "createPlugin")));
    if (create == nullptr) {
        std::fprintf(stderr, "the plug-in exports no createPlugin\n");
        return 1;
    }
    PluginTimes best;
    double whole = 0.0;
    for (int run = 0; run < arguments.repeat; ++run) {
        host.log.clear();
        host.loadRequests.clear();
        MsvcPluginObject* plugin = create();
        if (plugin == nullptr || !msvcCallInitPlugin(plugin)) {
            std::fprintf(stderr, "the plug-in did not start\n");
            return 1;
        }
        const Clock::time_point start = Clock::now();
        const bool executed = msvcCallExecute(plugin);
        const Clock::time_point end = Clock::now();
        msvcDelete(plugin);
        const PluginTimes times = phaseTimes(host.log);
        if (!executed || !host.messages.empty() || !times.complete) {
            std::fprintf(stderr, "the run failed: %s\n", host.messages.empty() ? "" : host.messages.back().c_str());
            return 1;
        }
        const double seconds = secondsBetween(start, end);
        if (run == 0 || seconds < whole) whole = seconds;
        keepBest(best, times, run == 0);
    }
    setHostState(nullptr);
    std::printf("Tessarin.dll under this host, best of %d runs (wall clock)\n", arguments.repeat);
    for (int p = 0; p < kPhaseCount; ++p) {
        if (best.ran[p]) std::printf("%-15s %12.4f\n", phaseName(static_cast<Phase>(p)), best.phase[p]);
    }
    std::printf("%-15s %12.4f\n", "whole run", whole);
    std::remove((std::string(folder) + "tessarin_bench.poi").c_str());
    return 0;
}

}  // namespace
}  // namespace tessarin::bench

int main(int argc, char** argv) {
    try {
        return tessarin::bench::run(tessarin::bench::parseArguments(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

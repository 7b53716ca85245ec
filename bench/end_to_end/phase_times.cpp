#include "bench/end_to_end/phase_times.h"

#include <string>
#include <utility>

namespace tessarin::bench {

namespace {
bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
}  // namespace

const char* phaseName(Phase phase) {
    switch (phase) {
        case Phase::Mapping: return "mapping";
        case Phase::Records: return "records";
        case Phase::LargestPatch: return "largest patch";
        case Phase::FillHoles: return "fill holes";
        case Phase::Smoothing: return "smoothing";
        case Phase::NoOverlap: return "no overlap";
        case Phase::Writing: return "writing";
    }
    return "?";
}

double secondsBetween(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

PluginTimes phaseTimes(const std::vector<LogEntry>& log) {
    PluginTimes times;
    int options = -1, firstConverted = -1, lastConverted = -1, saved = -1;
    int stageStart[4] = {-1, -1, -1, -1};
    const char* headers[4] = {"\nPlugin>  Only keeping the biggest surface patch", "\nPlugin>  Filling holes in patches",
                              "\nPlugin>  Smooth patch edges by growing and shrinking ", "\nPlugin>  Removing "};
    for (int i = 0; i < static_cast<int>(log.size()); ++i) {
        const std::string& text = log[static_cast<std::size_t>(i)].text;
        if (startsWith(text, "Plugin>  Options chosen: ")) options = i;
        if (startsWith(text, "Plugin>  Converted voi ")) {
            if (firstConverted < 0) firstConverted = i;
            lastConverted = i;
        }
        for (int s = 0; s < 4; ++s) {
            if (startsWith(text, headers[s]) && stageStart[s] < 0) stageStart[s] = i;
        }
        if (startsWith(text, "\nPlugin>  POI saved as ")) saved = i;
    }
    if (options < 0 || firstConverted < 0 || saved < 0) return times;
    // End entry of every phase that ran, in order.
    std::vector<std::pair<int, int>> ends;  // (phase, index of its last entry)
    ends.push_back({static_cast<int>(Phase::Mapping), firstConverted});
    ends.push_back({static_cast<int>(Phase::Records), lastConverted});
    std::vector<int> starts;
    for (int s = 0; s < 4; ++s) {
        if (stageStart[s] >= 0) starts.push_back(s);
    }
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const int next = k + 1 < starts.size() ? stageStart[starts[k + 1]] : saved;
        ends.push_back({static_cast<int>(Phase::LargestPatch) + starts[k], next - 1});
    }
    ends.push_back({static_cast<int>(Phase::Writing), saved});
    int previous = options;
    for (const auto& [phase, end] : ends) {
        times.phase[phase] = secondsBetween(log[static_cast<std::size_t>(previous)].at, log[static_cast<std::size_t>(end)].at);
        times.ran[phase] = true;
        previous = end;
    }
    times.complete = true;
    return times;
}

void keepBest(PluginTimes& best, const PluginTimes& run, bool first) {
    for (int p = 0; p < kPhaseCount; ++p) {
        if (first || run.phase[p] < best.phase[p]) best.phase[p] = run.phase[p];
        best.ran[p] = run.ran[p];
    }
    best.complete = run.complete;
}

}  // namespace tessarin::bench

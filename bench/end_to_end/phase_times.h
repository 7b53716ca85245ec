// The plug-in's time for each phase of a run, read off the arrival times of
// its log entries.
#pragma once

#include <vector>

#include "bench/end_to_end/bench_host.h"

namespace tessarin::bench {

// The phases in run order, as the table prints them.
enum class Phase { Mapping, Records, LargestPatch, FillHoles, Smoothing, NoOverlap, Writing };
constexpr int kPhaseCount = 7;
const char* phaseName(Phase phase);

double secondsBetween(Clock::time_point a, Clock::time_point b);

// A phase ends with its last log entry and starts where the previous phase
// ended (the mapping starts at the options line and ends at the first
// "Converted voi" line).
struct PluginTimes {
    bool complete = false;  // false: the log lacks the lines that mark the phases
    double phase[kPhaseCount] = {};
    bool ran[kPhaseCount] = {};
};
PluginTimes phaseTimes(const std::vector<LogEntry>& log);

// Keeps the best time of each phase of several runs in best.
void keepBest(PluginTimes& best, const PluginTimes& run, bool first);

}  // namespace tessarin::bench

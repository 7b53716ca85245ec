// Where the time of a run goes: per-phase wall-clock times, printed on
// standard error when the environment variable ZEVKALON_TIMINGS is set (to
// anything but "0"). Benchmark scripts read them; without the variable
// nothing is measured or printed, so the outputs stay as they are.
#pragma once

#include <chrono>
#include <iosfwd>

namespace zevkalon {

// Starts the clock of the whole run and reads ZEVKALON_TIMINGS; main calls
// it first.
void startPhaseTimings();

// Times one phase from construction to destruction. Phases may nest: a
// phase's own time excludes the phases timed inside it (the plug-in's
// execute excludes the host functions it calls, such as reading back the
// POI file). A phase timed several times adds up.
class PhaseTimer {
public:
    explicit PhaseTimer(const char* phase);
    ~PhaseTimer();
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    const char* phase_;
    PhaseTimer* outer_;
    std::chrono::steady_clock::time_point start_;
    double inner_ = 0.0;  // seconds spent in nested phases
};

// Runs step as one phase and returns what it returns.
template <typename Step>
auto timed(const char* phase, Step step) {
    const PhaseTimer timer(phase);
    return step();
}

// Notes, when timings are on, the resident memory of the process at this
// moment and its peak so far (e.g. just before the plug-in runs, to tell
// the host's memory from the plug-in's).
void noteMemory(const char* moment);

// Prints, when timings are on, one line per phase in the order they first
// ran ("zevkalon: time: read surface: 0.0412 s"), then the host's part (the
// whole run without the plug-in's execute), the whole run since
// startPhaseTimings, and the peak resident memory of the process.
void printPhaseTimings(std::ostream& out);

}  // namespace zevkalon

#include "host/phase_timings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace zevkalon {

namespace {

// The plug-in's own phase: everything else of the run is the host's part.
constexpr const char* kExecutePhase = "execute";

using Clock = std::chrono::steady_clock;

struct PhaseTotal {
    std::string phase;
    double seconds;
};

struct TimingState {
    bool on = false;
    Clock::time_point start = Clock::now();
    std::vector<PhaseTotal> totals;
    PhaseTimer* innermost = nullptr;
    std::string memory;  // the lines of noteMemory
};

TimingState& state() {
    static TimingState timings;
    return timings;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void add(const char* phase, double seconds) {
    for (PhaseTotal& total : state().totals) {
        if (total.phase == phase) {
            total.seconds += seconds;
            return;
        }
    }
    state().totals.push_back({phase, seconds});
}

std::string line(const std::string& what, double seconds) {
    char number[32];
    std::snprintf(number, sizeof number, "%.4f", seconds);
    return "zevkalon: time: " + what + ": " + number + " s\n";
}

#if !defined(_WIN32)
// Megabytes, rounded.
long megabytes(long kilobytes) { return (kilobytes + 512) / 1024; }

// The peak resident memory so far, in kB.
long peakKilobytes() {
    rusage usage {};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : -1;
}

// The resident memory now, in kB ("VmRSS:" of /proc/self/status).
long residentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    long kilobytes = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld", &kilobytes) == 1) break;
    }
    std::fclose(status);
    return kilobytes;
}
#endif

}  // namespace

void startPhaseTimings() {
    const char* setting = std::getenv("ZEVKALON_TIMINGS");
    state().on = setting != nullptr && *setting != '\0' && std::strcmp(setting, "0") != 0;
    state().start = Clock::now();
}

PhaseTimer::PhaseTimer(const char* phase) : phase_(phase), outer_(nullptr) {
    if (!state().on) return;
    outer_ = state().innermost;
    state().innermost = this;
    start_ = Clock::now();
}

PhaseTimer::~PhaseTimer() {
    if (!state().on || state().innermost != this) return;
    const double seconds = secondsSince(start_);
    add(phase_, seconds - inner_);
    if (outer_ != nullptr) outer_->inner_ += seconds;
    state().innermost = outer_;
}

void noteMemory(const char* moment) {
#if !defined(_WIN32)
    if (!state().on) return;
    state().memory += "zevkalon: memory " + std::string(moment) + ": resident " +
                      std::to_string(megabytes(residentKilobytes())) + " MB, peak so far " +
                      std::to_string(megabytes(peakKilobytes())) + " MB\n";
#else
    (void)moment;
#endif
}

void printPhaseTimings(std::ostream& out) {
    if (!state().on) return;
    const double whole = secondsSince(state().start);
    double execute = 0.0;
    std::string text;
    for (const PhaseTotal& total : state().totals) {
        text += line(total.phase, total.seconds);
        if (total.phase == kExecutePhase) execute = total.seconds;
    }
    text += line("host (all but execute)", whole - execute);
    text += line("whole run", whole);
    text += state().memory;
#if !defined(_WIN32)
    text += "zevkalon: peak resident memory: " + std::to_string(megabytes(peakKilobytes())) + " MB\n";
#endif
    out << text << std::flush;
}

}  // namespace zevkalon

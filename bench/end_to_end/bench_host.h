// The benchmark program plays the host: it exports the fourteen host
// functions (the executable is named "zevkalon" so the plug-in binds to it)
// and answers them from one scene, stamping every log entry with the time
// at which it arrived.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "bench/end_to_end/brain_scene.h"

namespace tessarin::bench {

// The CPU time of the calling thread: the figures then hold on a machine
// that is busy with other work too (the plug-in runs on one thread). On
// Windows, the wall clock (see bench_host.cpp).
struct Clock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<Clock>;
    static constexpr bool is_steady = true;
    static time_point now() noexcept;
};

struct LogEntry {
    Clock::time_point at;
    std::string text;
};

// What the host answers and what it saw. Only one is active at a time.
struct HostState {
    const BrainScene* scene = nullptr;
    std::string voiFileName;   // where the plug-in puts the POI file (".poi" beside it)
    std::string meshFileName;
    std::map<std::string, float> floatParameters;
    std::map<std::string, int> intParameters;

    std::vector<LogEntry> log;
    std::vector<std::string> messages;
    std::vector<std::string> loadRequests;
};

// Makes state the one the exported functions answer from (null: none).
// Precondition: state and its scene outlive every plug-in call.
void setHostState(HostState* state);

}  // namespace tessarin::bench

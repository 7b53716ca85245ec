// Running one measurement in a child process with a time limit, so that a
// literal phase that would run for hours is stopped and reported as a lower
// bound instead of holding up the benchmark.
#pragma once

#include <functional>

namespace tessarin::bench {

struct LimitedResult {
    bool finished = false;  // false: stopped at the limit (or the child died)
    bool crashed = false;   // the child ended without reporting
    double seconds = 0.0;   // measured time, or the limit when stopped
    bool matches = false;   // what work reported: its result equals the expected one
};

// Forks; the child runs work, which measures its own time into seconds and
// returns whether its result matched. The parent waits at most limitSeconds
// and kills the child after that. The child starts as a copy of the parent,
// so work reads the parent's data as it was at the call.
LimitedResult runWithTimeLimit(const std::function<bool(double& seconds)>& work, double limitSeconds);

}  // namespace tessarin::bench

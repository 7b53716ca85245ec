// The host version test of the start-up checks.
#include "shell/host_functions.h"

bool versionAtLeast(std::int32_t major, std::int32_t minor, std::int32_t third, std::int32_t reqMajor,
                    std::int32_t reqMinor, std::int32_t reqThird) {
    // Numbers, not texts: 2.10 is newer than 2.2.
    if (major != reqMajor) return major > reqMajor;
    if (minor != reqMinor) return minor > reqMinor;
    return third >= reqThird;
}

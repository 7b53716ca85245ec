// Starting the zevkalon executable under conditions a shell cannot set up
// portably for one command: a limit on the size of the files it writes
// (a full disk) or a root process that permission bits do bind.
#pragma once

#include <string>
#include <vector>

namespace zevkalon::robustness {

struct ProcessLimits {
    // RLIMIT_FSIZE for zevkalon, in bytes; 0 means none. SIGXFSZ is ignored,
    // so a write past the limit fails with EFBIG as on a full disk instead of
    // killing the process. Standard output and error are pipes, never limited.
    long long maxFileBytes = 0;
    // Drop the capabilities that let root ignore file permission bits
    // (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER) before starting.
    bool withoutPermissionOverride = false;
    // SIGALRM ends zevkalon after this many seconds (0: never), so that a
    // run that would hang fails instead.
    unsigned maxSeconds = 0;
};

struct ProcessResult {
    int exitCode = -1;     // -1 when it did not exit normally
    int signal = 0;        // the signal that ended it, 0 when it exited
    std::string log;       // standard output: the log pane
    std::string messages;  // standard error
    std::string setupError;  // why the limits could not be applied (then nothing ran)
};

// Runs zevkalon with arguments, waiting for it to end.
ProcessResult runZevkalon(const std::vector<std::string>& arguments, const ProcessLimits& limits = {});

// True when this process runs with the power to ignore permission bits
// (root with CAP_DAC_OVERRIDE): chmod alone then makes nothing read-only.
bool permissionBitsAreIgnored();

// True when a child can be started as root without CAP_DAC_OVERRIDE
// (the capability bounding set can be lowered here).
bool canDropPermissionOverride();

}  // namespace zevkalon::robustness

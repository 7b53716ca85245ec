// The one exception type of the host: a message for the user and an exit status.
#pragma once

#include <stdexcept>
#include <string>

#include "host/exit_codes.h"

namespace zevkalon {

// Thrown by every reader and check that refuses an input. The message is
// complete and names the file and the problem; main prints it after
// "zevkalon: " and exits with code().
class HostError : public std::runtime_error {
public:
    HostError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

// Shorthand for the commonest case: a refused input file.
inline HostError badInput(const std::string& message) { return HostError(kExitBadInput, message); }

}  // namespace zevkalon

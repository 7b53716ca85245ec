// Catching what a C library prints on stderr, to put it into our own message.
#pragma once

#include <functional>
#include <string>

namespace zevkalon {

// Runs call with the process's standard error sent to a temporary file and
// returns what was written there, without the trailing line end; standard
// error is restored afterwards, also when call throws. Where that cannot be
// arranged (no temporary file, or Windows), call runs with stderr as it is
// and the result is empty.
std::string captureStderr(const std::function<void()>& call);

}  // namespace zevkalon

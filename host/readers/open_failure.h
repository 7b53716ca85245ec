// The message for an input file that cannot be opened, with the reason the
// system gives ("No such file or directory", "Permission denied"), so that
// a user can tell a wrong path from a locked file.
#pragma once

#include <string>

namespace zevkalon {

// "<path>: cannot open the <what>: <reason>". Call right after the failed
// open; the reason is asked of the system afresh.
std::string cannotOpen(const std::string& path, const std::string& what);

}  // namespace zevkalon

#include "host/readers/open_failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zevkalon {

std::string cannotOpen(const std::string& path, const std::string& what) {
    // A stream's failed open does not promise to leave errno set, so the
    // reason comes from one more attempt through the C library, which does.
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const int reason = errno;
    if (file != nullptr) std::fclose(file);
    std::string message = path + ": cannot open the " + what;
    if (file == nullptr && reason != 0) message += std::string(": ") + std::strerror(reason);
    return message;
}

}  // namespace zevkalon

#include "host/readers/captured_stderr.h"

#include <cstdio>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace zevkalon {

std::string captureStderr(const std::function<void()>& call) {
#if defined(_WIN32)
    call();
    return std::string();
#else
    std::FILE* capture = std::tmpfile();
    std::fflush(stderr);
    const int saved = capture == nullptr ? -1 : dup(STDERR_FILENO);
    if (saved < 0) {
        if (capture != nullptr) std::fclose(capture);
        call();
        return std::string();
    }
    dup2(fileno(capture), STDERR_FILENO);
    struct Restore {
        int saved;
        ~Restore() {
            std::fflush(stderr);
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    };
    {
        Restore restore{saved};
        try {
            call();
        } catch (...) {
            std::fclose(capture);
            throw;
        }
    }
    std::string text;
    std::rewind(capture);
    char buffer[512];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, got);
    std::fclose(capture);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
#endif
}

}  // namespace zevkalon

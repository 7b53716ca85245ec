#include "bench/end_to_end/time_limited.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace tessarin::bench {

namespace {

struct Report {
    double seconds;
    int matches;
};

bool readAll(int fd, void* data, std::size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got <= 0) return false;
        bytes += got, size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

LimitedResult runWithTimeLimit(const std::function<bool(double& seconds)>& work, double limitSeconds) {
    LimitedResult result;
    int channel[2];
    if (::pipe(channel) != 0) {
        result.crashed = true;
        return result;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        Report report{0.0, 0};
        report.matches = work(report.seconds) ? 1 : 0;
        const ssize_t written = ::write(channel[1], &report, sizeof report);
        ::_exit(written == static_cast<ssize_t>(sizeof report) ? 0 : 1);
    }
    ::close(channel[1]);
    if (child < 0) {
        ::close(channel[0]);
        result.crashed = true;
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    pollfd wait{channel[0], POLLIN, 0};
    int ready = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready != 0) break;
    }
    Report report{0.0, 0};
    if (ready > 0 && readAll(channel[0], &report, sizeof report)) {
        result.finished = true;
        result.seconds = report.seconds;
        result.matches = report.matches != 0;
    } else if (ready > 0) {
        result.crashed = true;
    } else {
        ::kill(child, SIGKILL);
        result.seconds = limitSeconds;
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

}  // namespace tessarin::bench

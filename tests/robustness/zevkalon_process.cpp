#include "tests/robustness/zevkalon_process.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zevkalon::robustness {

namespace {

constexpr int kOverrideCapabilities[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

// Lowers the bounding set (so exec cannot give the capabilities back to
// root) and the current sets. Returns an error text, empty on success.
std::string dropPermissionOverride() {
    for (int capability : kOverrideCapabilities) {
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) return std::string("PR_CAPBSET_DROP: ") + std::strerror(errno);
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return std::string("capget: ") + std::strerror(errno);
    for (int capability : kOverrideCapabilities) {
        const unsigned bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
        data[capability / 32].inheritable &= ~bit;
    }
    if (syscall(SYS_capset, &header, data) != 0) return std::string("capset: ") + std::strerror(errno);
    return std::string();
}

// Reads both pipes until both are closed, so neither can fill up and stall the child.
void drain(int out, int err, std::string& log, std::string& messages) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* targets[2] = {&log, &messages};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProcessResult runZevkalon(const std::vector<std::string>& arguments, const ProcessLimits& limits) {
    ProcessResult result;
    int out[2], err[2], setup[2];
    if (pipe(out) != 0 || pipe(err) != 0 || pipe2(setup, O_CLOEXEC) != 0) {
        result.setupError = "pipe failed";
        return result;
    }
    std::vector<std::string> argv_storage;
    argv_storage.push_back(ZEVKALON_PATH);
    argv_storage.insert(argv_storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argv_storage) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls from here on; a setup failure is
        // reported through the setup pipe, which closes on a successful exec.
        auto fail = [&](const char* text) {
            const ssize_t ignored = write(setup[1], text, std::strlen(text));
            (void)ignored;
            _exit(127);
        };
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]), close(out[1]), close(err[0]), close(err[1]), close(setup[0]);
        if (limits.maxFileBytes > 0) {
            signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec
            rlimit limit{static_cast<rlim_t>(limits.maxFileBytes), static_cast<rlim_t>(limits.maxFileBytes)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) fail("setrlimit(RLIMIT_FSIZE) failed");
        }
        if (limits.withoutPermissionOverride) {
            const std::string error = dropPermissionOverride();
            if (!error.empty()) fail(error.c_str());
        }
        if (limits.maxSeconds > 0) alarm(limits.maxSeconds);  // the timer survives exec
        execv(argv[0], argv.data());
        fail("exec failed");
    }
    close(out[1]), close(err[1]), close(setup[1]);
    if (child < 0) {
        close(out[0]), close(err[0]), close(setup[0]);
        result.setupError = "fork failed";
        return result;
    }
    drain(out[0], err[0], result.log, result.messages);
    char buffer[256];
    const ssize_t got = read(setup[0], buffer, sizeof buffer);
    if (got > 0) result.setupError.assign(buffer, static_cast<std::size_t>(got));
    close(setup[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

bool permissionBitsAreIgnored() {
    if (geteuid() != 0) return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return true;
    return (data[CAP_DAC_OVERRIDE / 32].effective & (1u << (CAP_DAC_OVERRIDE % 32))) != 0;
}

bool canDropPermissionOverride() {
    const pid_t child = fork();
    if (child == 0) _exit(dropPermissionOverride().empty() ? 0 : 1);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace zevkalon::robustness

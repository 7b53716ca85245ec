#include "host/exports/headless_browser.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)

namespace zevkalon {

struct HeadlessBrowser::Process {};

std::string findChromium() { return ""; }
bool isExecutableFile(const std::string&) { return false; }
std::string fileUrl(const std::string& path, const std::string& fragment) {
    return "file:///" + path + (fragment.empty() ? "" : "#" + fragment);
}

HeadlessBrowser::HeadlessBrowser(const std::string&, int, int, double) {
    throw BrowserStartError("the Windows build of zevkalon cannot drive a browser");
}
HeadlessBrowser::~HeadlessBrowser() = default;
void HeadlessBrowser::navigate(const std::string&) {}
std::string HeadlessBrowser::evaluate(const std::string&) { return ""; }
std::string HeadlessBrowser::waitForPageState() { return ""; }
std::string HeadlessBrowser::screenshotPng(int, int, int, int) { return ""; }
void HeadlessBrowser::drag(int, int, int, int, int) {}
void HeadlessBrowser::click(int, int) {}

}  // namespace zevkalon

#else

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "host/exports/base64.h"

extern char** environ;

namespace zevkalon {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string findChromium() {
    if (const char* chosen = std::getenv("ZEVKALON_CHROMIUM")) return chosen;
    const char* path = std::getenv("PATH");
    std::vector<std::string> folders;
    std::istringstream list(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(list, folder, ':');) folders.push_back(folder.empty() ? "." : folder);
    for (const char* name : {"chromium", "chromium-browser", "google-chrome", "google-chrome-stable"}) {
        for (const std::string& folder : folders) {
            const std::string candidate = folder + "/" + name;
            if (isExecutableFile(candidate)) return candidate;
        }
    }
    return "";
}

std::string fileUrl(const std::string& path, const std::string& fragment) {
    std::string absolute = path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) {
        absolute = resolved;
    } else if (!path.empty() && path[0] != '/') {
        absolute = std::filesystem::absolute(path).string();
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : absolute) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("-._~/", c) != nullptr) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 15];
        }
    }
    return fragment.empty() ? url : url + "#" + fragment;
}

// What an exceptionDetails object of the protocol says.
std::string exceptionText(const json& details) {
    const json exception = details.value("exception", json::object());
    const std::string description = exception.value("description", "");
    return description.empty() ? details.value("text", "an exception") : description;
}

struct HeadlessBrowser::Process {
    pid_t pid = -1;
    int toBrowser = -1;    // Chromium reads DevTools commands from its fd 3
    int fromBrowser = -1;  // and writes answers and events, each ended by a NUL, to its fd 4
    std::string folder;    // the profile and Chromium's own output
    std::string received;
    std::string sessionId;
    long nextId = 1;
    double timeoutSeconds = 60.0;
    std::string exception;  // the first uncaught exception the page reported

    std::string logTail() const {
        std::ifstream log(folder + "/chromium.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) {
            if (!line.empty()) lines.push_back(line);
        }
        std::string tail;
        for (std::size_t i = lines.size() > 3 ? lines.size() - 3 : 0; i < lines.size(); ++i) tail += "\n  " + lines[i];
        return tail.empty() ? "" : "; Chromium said:" + tail;
    }

    Clock::time_point deadlineFromNow() const {
        return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    }

    [[noreturn]] void fail(const std::string& what) const { throw BrowserError(what + logTail()); }

    void send(const json& message) const {
        std::string text = message.dump();
        text += '\0';
        std::size_t sent = 0;
        while (sent < text.size()) {
            const ssize_t n = write(toBrowser, text.data() + sent, text.size() - sent);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) fail("Chromium stopped reading its DevTools pipe");
            sent += static_cast<std::size_t>(n);
        }
    }

    // The next message from Chromium, waiting until deadline.
    json receive(Clock::time_point deadline) {
        for (;;) {
            const std::size_t end = received.find('\0');
            if (end != std::string::npos) {
                json message = json::parse(received.substr(0, end), nullptr, false);
                received.erase(0, end + 1);
                if (message.is_discarded()) fail("Chromium sent a DevTools message that is not JSON");
                return message;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) fail("Chromium did not answer within " + std::to_string(static_cast<int>(timeoutSeconds)) + " s");
            pollfd ready{fromBrowser, POLLIN, 0};
            const int polled = poll(&ready, 1, static_cast<int>(left));
            if (polled < 0 && errno == EINTR) continue;
            if (polled <= 0) continue;
            char buffer[65536];
            const ssize_t n = read(fromBrowser, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) fail("Chromium ended unexpectedly");
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }

    void note(const json& event) {
        const std::string method = event.value("method", "");
        if (method == "Runtime.exceptionThrown" && exception.empty()) {
            exception = exceptionText(event.value("params", json::object()).value("exceptionDetails", json::object()));
        } else if (method == "Inspector.targetCrashed" || method == "Target.targetCrashed") {
            fail("the page crashed in Chromium");
        }
    }

    // Sends a command (to the page's session unless onBrowser) and returns
    // its result; a protocol error is thrown as BrowserError.
    json call(const std::string& method, const json& params = json::object(), bool onBrowser = false) {
        const long id = nextId++;
        json message = {{"id", id}, {"method", method}, {"params", params}};
        if (!onBrowser && !sessionId.empty()) message["sessionId"] = sessionId;
        send(message);
        const Clock::time_point deadline = deadlineFromNow();
        for (;;) {
            json answer = receive(deadline);
            if (!answer.contains("id")) {
                note(answer);
                continue;
            }
            if (answer["id"] != id) continue;
            if (answer.contains("error")) {
                throw BrowserError("Chromium refused " + method + ": " + answer["error"].value("message", "unknown error"));
            }
            return answer.value("result", json::object());
        }
    }

    void start(const std::string& executable, int width, int height) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zevkalon-browser-XXXXXX";
        std::vector<char> name(base.begin(), base.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr) throw BrowserError("cannot make a temporary folder for Chromium's profile");
        folder = name.data();

        // Pipe ends well above 4, so that moving them to 3 and 4 in the
        // child never lands on themselves (which would keep close-on-exec).
        int commands[2], answers[2];
        if (pipe(commands) != 0) throw BrowserError("cannot make a pipe for Chromium");
        if (pipe(answers) != 0) {
            close(commands[0]), close(commands[1]);
            throw BrowserError("cannot make a pipe for Chromium");
        }
        int ends[4];
        for (int k = 0; k < 4; ++k) {
            const int fd = k < 2 ? commands[k] : answers[k - 2];
            ends[k] = fcntl(fd, F_DUPFD_CLOEXEC, 10);
            close(fd);
        }
        toBrowser = ends[1];
        fromBrowser = ends[2];

        std::vector<std::string> arguments = {
            executable,
            "--headless",
            "--remote-debugging-pipe",
            "--user-data-dir=" + folder + "/profile",
            // WebGL2 on the CPU: ANGLE's SwiftShader (--use-gl=swiftshader would give no WebGL2).
            "--use-angle=swiftshader",
            "--enable-unsafe-swiftshader",
            "--force-color-profile=srgb",
            "--force-device-scale-factor=1",
            "--window-size=" + std::to_string(width) + "," + std::to_string(height),
            "--hide-scrollbars",
            "--mute-audio",
            // Nothing but the page itself: no update checks, sync or other
            // background requests.
            "--no-first-run",
            "--no-default-browser-check",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--disable-quic",
            "--disable-extensions",
            "--disable-default-apps",
            "--disable-dev-shm-usage",
        };
        // Chromium refuses to run as root inside its sandbox.
        if (geteuid() == 0) arguments.push_back("--no-sandbox");
        arguments.push_back("about:blank");
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const std::string log = folder + "/chromium.log";
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_adddup2(&actions, ends[0], 3);
        posix_spawn_file_actions_adddup2(&actions, ends[3], 4);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // Its own process group, so that the browser's helper processes can
        // be ended together; default signal handling, whatever zevkalon's.
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
        const int spawned = posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(ends[0]);
        close(ends[3]);
        if (spawned != 0) {
            pid = -1;
            throw BrowserError("cannot start " + executable + ": " + std::strerror(spawned));
        }

        const std::string targetId = call("Target.createTarget", {{"url", "about:blank"}}, true).value("targetId", "");
        sessionId = call("Target.attachToTarget", {{"targetId", targetId}, {"flatten", true}}, true).value("sessionId", "");
        if (sessionId.empty()) fail("Chromium opened no page to draw in");
        call("Emulation.setDeviceMetricsOverride",
             {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", false}});
        call("Runtime.enable");
    }

    void stop() {
        if (pid > 0) {
            try {
                if (toBrowser >= 0) send({{"id", nextId++}, {"method", "Browser.close"}, {"params", json::object()}});
            } catch (const BrowserError&) {
            }
            int status = 0;
            bool ended = false;
            for (int wait = 0; wait < 100 && !ended; ++wait) {
                ended = waitpid(pid, &status, WNOHANG) == pid;
                if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            // Whatever of the group is left (helpers, or the browser itself
            // when it did not close) is ours alone.
            kill(-pid, SIGKILL);
            if (!ended) waitpid(pid, &status, 0);
            pid = -1;
        }
        for (int* fd : {&toBrowser, &fromBrowser}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
};

HeadlessBrowser::HeadlessBrowser(const std::string& executable, int width, int height, double timeoutSeconds)
    : process_(std::make_unique<Process>()) {
    // A write to a browser that has died must fail, not end zevkalon.
    std::signal(SIGPIPE, SIG_IGN);
    process_->timeoutSeconds = timeoutSeconds;
    try {
        process_->start(executable, width, height);
    } catch (const BrowserError& error) {
        process_->stop();
        throw BrowserStartError(error.what());
    }
}

HeadlessBrowser::~HeadlessBrowser() { process_->stop(); }

void HeadlessBrowser::navigate(const std::string& url) {
    process_->exception.clear();
    const json result = process_->call("Page.navigate", {{"url", url}});
    if (result.contains("errorText")) throw BrowserError("Chromium cannot open " + url + ": " + result.value("errorText", ""));
}

std::string HeadlessBrowser::evaluate(const std::string& expression) {
    const json result = process_->call(
        "Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}});
    if (result.contains("exceptionDetails")) {
        throw BrowserError("the page's script failed: " + exceptionText(result["exceptionDetails"]));
    }
    const json value = result.value("result", json::object()).value("value", json());
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string HeadlessBrowser::waitForPageState() {
    static const char kState[] =
        "(() => { const root = document.documentElement; const state = (root && root.dataset.state) || '';"
        " return state === 'error' ? 'error: ' + (root.dataset.error || 'no detail') : state; })()";
    const Clock::time_point deadline = process_->deadlineFromNow();
    while (Clock::now() < deadline) {
        std::string state;
        try {
            state = evaluate(kState);
        } catch (const BrowserError&) {
            // The document may be between the old page and the new one.
        }
        if (!state.empty() && state != "loading") {
            if (state.compare(0, 5, "error") == 0 && !process_->exception.empty()) state += " (" + process_->exception + ")";
            return state;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    process_->fail("the page did not finish loading within " + std::to_string(static_cast<int>(process_->timeoutSeconds)) +
                   " s" + (process_->exception.empty() ? "" : " (its script failed: " + process_->exception + ")"));
}

std::string HeadlessBrowser::screenshotPng(int x, int y, int width, int height) {
    json params = {{"format", "png"}};
    if (width > 0) params["clip"] = {{"x", x}, {"y", y}, {"width", width}, {"height", height}, {"scale", 1}};
    return base64Decode(process_->call("Page.captureScreenshot", params).value("data", ""));
}

void HeadlessBrowser::drag(int x0, int y0, int x1, int y1, int steps) {
    const auto mouse = [&](const char* type, double x, double y, int buttons) {
        process_->call("Input.dispatchMouseEvent", {{"type", type}, {"x", x}, {"y", y}, {"button", "left"},
                                                    {"buttons", buttons}, {"clickCount", 1}});
    };
    mouse("mouseMoved", x0, y0, 0);
    mouse("mousePressed", x0, y0, 1);
    for (int k = 1; k <= steps; ++k) {
        mouse("mouseMoved", x0 + (x1 - x0) * k / static_cast<double>(steps), y0 + (y1 - y0) * k / static_cast<double>(steps), 1);
    }
    mouse("mouseReleased", x1, y1, 0);
}

void HeadlessBrowser::click(int x, int y) { drag(x, y, x, y, 0); }

}  // namespace zevkalon

#endif

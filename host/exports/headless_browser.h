// Headless Chromium, driven over the DevTools protocol on a pipe: no port is
// opened and nothing leaves the machine.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace zevkalon {

// What went wrong with the browser; the message is complete.
class BrowserError : public std::runtime_error {
public:
    explicit BrowserError(const std::string& message) : std::runtime_error(message) {}
};

// Chromium could not be started, or did not answer when it was.
class BrowserStartError : public BrowserError {
public:
    explicit BrowserStartError(const std::string& message) : BrowserError(message) {}
};

// The Chromium to use: the environment variable ZEVKALON_CHROMIUM when it is
// set (even to a file that does not exist, so a wrong setting is reported,
// not worked around), else the first of chromium, chromium-browser,
// google-chrome and google-chrome-stable found on PATH. Empty when there is
// none, and always in the Windows build, which cannot drive a browser.
std::string findChromium();

// True when path names a file that may be executed.
bool isExecutableFile(const std::string& path);

// The file: URL of a local file (made absolute, characters outside the
// unreserved set and "/" percent-encoded), plus fragment when it is not
// empty (e.g. "snapshot" gives "...#snapshot").
std::string fileUrl(const std::string& path, const std::string& fragment = "");

// One Chromium process with one page. Chromium runs headless with WebGL2 on
// the CPU (ANGLE's SwiftShader), a fresh profile in a temporary folder, no
// background networking, sRGB colours and a device scale of 1, so a page
// renders the same on every machine, with or without a GPU.
class HeadlessBrowser {
public:
    // Starts executable with a page of width x height CSS pixels. Every call
    // (and the start) gives up after timeoutSeconds without an answer.
    // Throws BrowserStartError when Chromium cannot be started or does not
    // answer.
    HeadlessBrowser(const std::string& executable, int width, int height, double timeoutSeconds = 60.0);
    // Closes the browser (ending its process group if it does not close in
    // time) and removes the profile folder.
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // Loads url and waits until it is committed. Throws BrowserError when
    // the page cannot be loaded.
    void navigate(const std::string& url);

    // Evaluates a JavaScript expression in the page, waits for it when it is
    // a promise, and returns its value, which must be a string (other types
    // come back as their JSON text). Throws BrowserError with the script's
    // exception when it throws.
    std::string evaluate(const std::string& expression);

    // Waits until the page's <html data-state> is no longer "loading" (nor
    // absent), polling every 50 ms, and returns it; when it is "error", the
    // page's data-error is appended after a colon. Throws BrowserError after
    // timeoutSeconds.
    std::string waitForPageState();

    // The page as shown, as PNG bytes; only the rectangle at (x, y) of
    // width x height CSS pixels when width is not 0.
    std::string screenshotPng(int x = 0, int y = 0, int width = 0, int height = 0);

    // A left-button drag from (x0, y0) to (x1, y1) in CSS pixels, in steps.
    void drag(int x0, int y0, int x1, int y1, int steps = 8);
    // A left click at (x, y).
    void click(int x, int y);

private:
    struct Process;
    std::unique_ptr<Process> process_;
};

}  // namespace zevkalon

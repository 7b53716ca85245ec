#include "host/exports/snapshot.h"

#include "host/exports/base64.h"
#include "host/exports/headless_browser.h"

namespace zevkalon {

std::string renderSnapshot(const std::string& chromium, const std::string& pageFile, double timeoutSeconds) {
    HeadlessBrowser browser(chromium, kSnapshotViewWidth, kSnapshotViewHeight, timeoutSeconds);
    browser.navigate(fileUrl(pageFile, "snapshot"));
    const std::string state = browser.waitForPageState();
    if (state != "ready") throw BrowserError("the viewer page did not draw: " + state);
    const std::string url = browser.evaluate("zevkalonSnapshot()");
    const std::string prefix = "data:image/png;base64,";
    if (url.compare(0, prefix.size(), prefix) != 0) throw BrowserError("the viewer page gave no PNG picture");
    return base64Decode(url.substr(prefix.size()));
}

}  // namespace zevkalon

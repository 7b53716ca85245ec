#include "host/exports/viewer_outputs.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>

#include "host/exports/headless_browser.h"
#include "host/exports/output_file.h"
#include "host/exports/snapshot.h"
#include "host/host_error.h"
#include "host/runtime/plugin_module.h"

namespace zevkalon {

namespace {

const char kSetUpHint[] =
    " (the build copies it there from viewer/node_modules: run scripts/setup.sh, or npm ci in viewer/, then build)";

HostError unavailable(const std::string& message) { return HostError(kExitViewerUnavailable, message); }

std::string readWhole(const std::string& path, const std::string& what) {
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) throw unavailable("cannot read " + what + " " + path);
    if (text.empty()) throw unavailable(what + " " + path + " is missing or empty" + kSetUpHint);
    return text;
}

// A fresh folder for the page that a snapshot without --view draws from;
// removed with everything in it when this ends.
class TemporaryFolder {
public:
    TemporaryFolder() {
        static std::atomic<int> counter{0};
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                base / ("zevkalon-view-" + std::to_string(stamp) + "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
        }
        if (path_.empty()) throw HostError(kExitExportFailed, "--snapshot: cannot make a temporary folder for the page");
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::string niivueBundlePath() { return executableDirectory() + "niivue.umd.js"; }
std::string niivueNoticesPath() { return executableDirectory() + "niivue-notices.txt"; }

std::string checkViewerRequest(const ViewerRequest& request) {
    if (!request.wanted()) return "";
    const std::string option = request.pagePath.empty() ? "--snapshot" : "--view";
    for (const std::string& path : {niivueBundlePath(), niivueNoticesPath()}) {
        std::ifstream file(path, std::ios::binary);
        if (!file || file.peek() == std::ifstream::traits_type::eof()) {
            throw unavailable(option + " needs NiiVue, but " + path + " is missing" + kSetUpHint);
        }
    }
    if (request.snapshotPath.empty()) return "";
    const std::string chromium = findChromium();
    if (chromium.empty()) {
        throw unavailable("--snapshot needs Chromium, and none was found (no chromium, chromium-browser or google-chrome "
                          "on PATH; install Debian's chromium, or set ZEVKALON_CHROMIUM to its path)");
    }
    if (!isExecutableFile(chromium)) throw unavailable("--snapshot: Chromium " + chromium + " is not an executable file");
    return chromium;
}

void writeViewerOutputs(const ViewerRequest& request, const ViewerContent& content, std::ostream& messages) {
    if (!request.wanted()) return;
    const std::string chromium = checkViewerRequest(request);
    const std::string bundle = readWhole(niivueBundlePath(), "the NiiVue bundle");
    if (bundle.find("NVMesh") == std::string::npos) throw unavailable(niivueBundlePath() + " is not NiiVue's bundle" + kSetUpHint);
    const std::string notices = readWhole(niivueNoticesPath(), "NiiVue's notices");
    const auto writePage = [&](std::ostream& out) { writeViewerPage(out, content, bundle, notices); };

    std::string pageFile = request.pagePath;
    if (!request.pagePath.empty()) {
        writeOutputFile(request.pagePath, "--view", writePage);
        messages << "zevkalon: wrote the viewer page " << request.pagePath << " (open it in a web browser)\n";
    }
    if (request.snapshotPath.empty()) return;

    std::unique_ptr<TemporaryFolder> folder;
    if (pageFile.empty()) {
        folder = std::make_unique<TemporaryFolder>();
        pageFile = folder->path() + "/view.html";
        std::ofstream out(pageFile, std::ios::binary);
        writePage(out);
        out.close();
        if (!out) throw HostError(kExitExportFailed, "--snapshot: cannot write the temporary page " + pageFile);
    }
    std::string png;
    try {
        png = renderSnapshot(chromium, pageFile);
    } catch (const BrowserStartError& error) {
        throw unavailable(std::string("--snapshot: ") + error.what());
    } catch (const BrowserError& error) {
        throw HostError(kExitExportFailed, std::string("--snapshot: ") + error.what());
    }
    writeOutputFile(request.snapshotPath, "--snapshot", [&](std::ostream& out) { out << png; });
    messages << "zevkalon: wrote the snapshot " << request.snapshotPath << " (" << 2 * kSnapshotViewWidth << " x "
             << 2 * kSnapshotViewHeight << ": the surface from the left, the right, above and below)\n";
}

}  // namespace zevkalon

// The start-up checks that initPlugin runs, in their fixed order.
//
// Kept apart from the exported class: mingw exports the type information of
// every exception type that a translation unit with an exported class
// catches, which would put std::exception into the plug-in's export table.
#include "shell/startup_checks.h"

#include <cstdint>

#include "shell/host_api.h"
#include "shell/host_functions.h"

namespace {

// The oldest host version whose records and calls the plug-in relies on.
constexpr std::int32_t kRequiredMajor = 2;
constexpr std::int32_t kRequiredMinor = 2;
constexpr std::int32_t kRequiredThird = 0;
// A VMR with its VOIs, and the SRF of the same brain.
constexpr std::int32_t kRequiredDocuments = 2;

// Shows one message box and refuses the run.
bool refuse(const char* message) {
    zkMessageBox(message);
    return false;
}

bool runStartupChecks() {
    if (!bindHostFunctions()) return false;  // silent: nothing can be called

    std::int32_t major = 0, minor = 0, third = 0;
    zkGetVersionOfZevkalon(&major, &minor, &third);
    if (!versionAtLeast(major, minor, third, kRequiredMajor, kRequiredMinor, kRequiredThird)) {
        return refuse("Can not execute this plugin - Zevkalon version 2.2 or higher required.");
    }

    zkShowLogTab();
    zkLogText(" ");
    zkLogText("Plugin>  Running Tessarin Plugin...");
    zkLogText("Plugin>");

    if (zkGetNumberOfDocsInWorkspace() != kRequiredDocuments) {
        return refuse(
            "2 Documents should be open: \n\n 1. A VMR with VOIs loaded. \n 2. A corresponding SRF.");
    }
    if (zkGetDocumentType(0) != ZK_DOCUMENT_TYPE_VMR) {
        return refuse("The first document should be a VMR document.");
    }
    // The VOIs belong to the current VMR; the first document stays current
    // even when a later check fails.
    zkSetAsCurrentDocument(0);
    VOIsInfo vois{};
    if (zkGetVOIs(&vois) != 1) return refuse("There are no VOIs loaded on the VMR!");
    if (zkGetDocumentType(1) != ZK_DOCUMENT_TYPE_SRF) {
        return refuse("The second document should be a SRF document.");
    }
    return true;
}

// A host that lacks a function the checks need cannot run the plug-in. Say
// so through whatever the host still offers, and never let it unwind into
// the host.
void reportMissingFunction(const MissingHostFunction& missing) noexcept {
    try {
        zkMessageBox(missing.what());
        return;
    } catch (...) {
    }
    try {
        zkLogText(missing.what());
    } catch (...) {
    }
}

}  // namespace

bool runStartupChecksSafely() noexcept {
    try {
        return runStartupChecks();
    } catch (const MissingHostFunction& missing) {
        reportMissingFunction(missing);
    } catch (...) {
    }
    return false;
}

// --view and --snapshot: the viewer page and its picture, made after the run.
#pragma once

#include <iosfwd>
#include <string>

#include "host/exports/viewer_page.h"

namespace zevkalon {

struct ViewerRequest {
    std::string pagePath;      // --view: the page, empty for none
    std::string snapshotPath;  // --snapshot: the PNG, empty for none

    bool wanted() const { return !pagePath.empty() || !snapshotPath.empty(); }
};

// NiiVue's bundle and its third-party notices, which the build places beside
// zevkalon (niivue.umd.js, niivue-notices.txt).
std::string niivueBundlePath();
std::string niivueNoticesPath();

// Checks before the run that what the request needs is there: the bundle and
// its notices, and for a snapshot Chromium (findChromium). Throws
// HostError(kExitViewerUnavailable) naming what is missing and how to get it.
// Returns the Chromium to use (empty without a snapshot).
std::string checkViewerRequest(const ViewerRequest& request);

// Writes the page (atomically, see writeOutputFile) and the snapshot, which
// Chromium draws from the written page, or from a temporary copy without
// --view. Reports each file written on messages. Throws HostError:
// kExitViewerUnavailable when the bundle cannot be read or Chromium cannot
// be started, kExitExportFailed when a file cannot be written or the page
// fails to draw.
void writeViewerOutputs(const ViewerRequest& request, const ViewerContent& content, std::ostream& messages);

}  // namespace zevkalon

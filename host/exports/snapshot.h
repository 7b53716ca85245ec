// The snapshot: a PNG of the viewer page, drawn by headless Chromium.
#pragma once

#include <string>

namespace zevkalon {

// The snapshot holds four views two by two, each this many pixels: the
// surface seen from the left and from the right (for one hemisphere its
// lateral and medial sides), then from above and from below. POIs are drawn
// flat, each pixel of a POI exactly the POI's colour (antialiasing off);
// vertices of several POIs in the page's overlap colour; the bare surface
// lit grey; the background in the page's background colour (ViewerColours).
constexpr int kSnapshotViewWidth = 480;
constexpr int kSnapshotViewHeight = 360;

// Opens the viewer page pageFile in chromium, waits until it has drawn the
// surface and returns the PNG bytes of its snapshot (zevkalonSnapshot()).
// Throws BrowserError when Chromium fails, the page reports an error, or
// anything takes longer than timeoutSeconds.
std::string renderSnapshot(const std::string& chromium, const std::string& pageFile, double timeoutSeconds = 120.0);

}  // namespace zevkalon

// The fixed parts of the viewer page: its style sheet, its controls and its
// script (the variable parts are written by viewer_page.cpp).
#pragma once

namespace zevkalon {

extern const char* const kViewerStyle;     // CSS
extern const char* const kViewerControls;  // HTML: the buttons above the POI list
// The page's JavaScript. It reads the elements #surface-gifti and #poi-data,
// draws them with the global niivue (the bundle runs first), wires the
// panel, defines zevkalonSnapshot() and reports through <html data-state>.
extern const char* const kViewerScript;

}  // namespace zevkalon

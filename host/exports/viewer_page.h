// The viewer page: one self-contained HTML file that shows the surface with
// the loaded POIs in NiiVue, offline, from a double-click.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "poi/poi_file.h"

namespace zevkalon {

// The surface as the page draws it, in whatever coordinates it comes (the
// page shows no axes or distances, only the shape).
struct ViewerSurface {
    std::vector<float> positions;         // x, y, z per vertex
    std::vector<std::int32_t> triangles;  // three vertex indices per triangle
};

using Colour = std::array<int, 3>;  // red, green, blue, 0 to 255

// The colours that the page keeps apart from the POIs: its background, the
// overlap (vertices that several shown POIs hold) and the bare surface. The
// background and the overlap are never the colour of a POI, nor each other,
// so a program can tell them apart in the snapshot; the surface is lit grey
// and so never one exact colour.
struct ViewerColours {
    Colour background;  // black, or the first free one of a fixed list
    Colour overlap;     // white, or the first free one of the same list
    Colour surface;     // grey, shaded
};
ViewerColours viewerColours(const tessarin::POIFile& pois);

// Everything the page shows besides NiiVue.
struct ViewerContent {
    std::string title;           // e.g. the POI file's name
    ViewerSurface surface;
    tessarin::POIFile pois;      // the POIs as loaded: names, colours, vertices
    // The "Run" table: From, To, the options, the input and output files.
    std::vector<std::pair<std::string, std::string>> run;
};

// The number of vertices that two or more POIs hold.
std::int64_t overlapCount(const tessarin::POIFile& pois, std::int64_t nrOfVertices);

// Text that goes verbatim into an inline <script>: every "</script" becomes
// "<\/script" (the element would end there), "<!--" becomes "<\!--", and
// every "://" becomes ":\/\/", so that the page holds no web address at all.
// The escapes mean the same characters in JavaScript strings, template
// literals, regular expressions and comments.
std::string inlineScriptText(const std::string& script);

// Writes the page: the panel (a swatch, the name and the vertex count of each
// POI, empty POIs marked, the overlap, the run's table, the third-party
// notices), the surface as base64 GIFTI, the POI vertices as JSON, then
// niivueScript and the page's own script, all inline. The page works from a
// file: URL without any network; it sets <html data-state> to "ready" once
// the surface is drawn, or to "error" with data-error saying why. Its
// fragment "#snapshot" hides the panel, and its function zevkalonSnapshot()
// returns the PNG data URL of the snapshot (see snapshot.h).
void writeViewerPage(std::ostream& out, const ViewerContent& content, const std::string& niivueScript,
                     const std::string& notices);

}  // namespace zevkalon

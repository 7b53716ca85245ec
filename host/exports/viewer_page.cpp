#include "host/exports/viewer_page.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <sstream>

#include "host/exports/base64.h"
#include "host/exports/gifti_writer.h"
#include "host/exports/viewer_assets.h"
#include "host/exports/xml_text.h"

namespace zevkalon {

namespace {

Colour poiColour(const tessarin::POIRecord& poi) {
    Colour colour{};
    for (int c = 0; c < 3; ++c) colour[c] = std::clamp(poi.ColorOfPOI[c], 0, 255);
    return colour;
}

std::string hex(const Colour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour[0], colour[1], colour[2]);
    return text;
}

std::string json(const Colour& colour) {
    return "[" + std::to_string(colour[0]) + "," + std::to_string(colour[1]) + "," + std::to_string(colour[2]) + "]";
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The user's text for the page: XML-safe, and with "://" written as a
// character reference, so that not even a name holds a web address.
std::string pageText(const std::string& text) {
    std::string safe = xmlText(text);
    replaceAll(safe, "://", "&#58;//");
    return safe;
}

std::string surfaceGiftiBase64(const ViewerSurface& surface) {
    gifti::Document document;
    gifti::DataArray points;
    points.intent = "NIFTI_INTENT_POINTSET";
    points.rows = static_cast<std::int64_t>(surface.positions.size() / 3);
    points.columns = 3;
    points.floats = surface.positions;
    gifti::DataArray triangles;
    triangles.intent = "NIFTI_INTENT_TRIANGLE";
    triangles.rows = static_cast<std::int64_t>(surface.triangles.size() / 3);
    triangles.columns = 3;
    triangles.ints = surface.triangles;
    document.arrays.push_back(std::move(points));
    document.arrays.push_back(std::move(triangles));
    std::ostringstream text;
    gifti::writeGifti(text, document);
    return base64Encode(text.str());
}

void writePoiList(std::ostream& out, const ViewerContent& content, const ViewerColours& colours) {
    out << "<ul id=\"pois\">\n";
    for (std::size_t p = 0; p < content.pois.POIs.size(); ++p) {
        const tessarin::POIRecord& poi = content.pois.POIs[p];
        const bool empty = poi.Vertices.empty();
        out << "<li data-poi=\"" << p << "\"" << (empty ? " class=\"empty\" title=\"no vertex\"" : "")
            << "><label><input type=\"checkbox\"" << (empty ? " disabled" : " checked") << "><span class=\"swatch\" style=\"background:"
            << hex(poiColour(poi)) << "\"></span><span class=\"name\">" << pageText(poi.NameOfPOI)
            << "</span><span class=\"count\">" << (empty ? "empty" : std::to_string(poi.Vertices.size())) << "</span></label></li>\n";
    }
    const std::int64_t overlap = overlapCount(content.pois, static_cast<std::int64_t>(content.surface.positions.size() / 3));
    out << "<li class=\"overlap" << (overlap == 0 ? " empty" : "")
        << "\" title=\"vertices that two or more of the shown POIs hold\"><label><input type=\"checkbox\" id=\"overlap-shown\""
        << (overlap == 0 ? " disabled" : " checked") << "><span class=\"swatch\" style=\"background:" << hex(colours.overlap)
        << "\"></span><span class=\"name\">Overlap (in several POIs)</span><span class=\"count\">"
        << (overlap == 0 ? "none" : std::to_string(overlap)) << "</span></label></li>\n</ul>\n";
}

void writeRunTable(std::ostream& out, const ViewerContent& content) {
    out << "<table id=\"run\">\n";
    for (const auto& [label, value] : content.run) {
        out << "<tr><th>" << pageText(label) << "</th><td>" << pageText(value) << "</td></tr>\n";
    }
    out << "<tr><th>Surface</th><td>" << content.surface.positions.size() / 3 << " vertices, "
        << content.surface.triangles.size() / 3 << " triangles</td></tr>\n</table>\n";
}

void writePoiData(std::ostream& out, const ViewerContent& content, const ViewerColours& colours) {
    out << "{\"background\":" << json(colours.background) << ",\"overlapColour\":" << json(colours.overlap)
        << ",\"surfaceColour\":" << json(colours.surface) << ",\n\"colours\":[";
    for (std::size_t p = 0; p < content.pois.POIs.size(); ++p) out << (p ? "," : "") << json(poiColour(content.pois.POIs[p]));
    out << "],\n\"vertices\":[";
    for (std::size_t p = 0; p < content.pois.POIs.size(); ++p) {
        out << (p ? ",\n[" : "[");
        const std::vector<std::int32_t>& vertices = content.pois.POIs[p].Vertices;
        for (std::size_t i = 0; i < vertices.size(); ++i) out << (i ? "," : "") << vertices[i];
        out << "]";
    }
    out << "]}";
}

}  // namespace

ViewerColours viewerColours(const tessarin::POIFile& pois) {
    std::set<Colour> used;
    for (const tessarin::POIRecord& poi : pois.POIs) used.insert(poiColour(poi));
    // Plain colours first; past them, every colour in turn (there are more
    // colours than POIs can ever be).
    const Colour preferred[] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 255}, {0, 255, 255}, {32, 32, 32}, {224, 224, 224}};
    std::vector<Colour> free;
    for (const Colour& colour : preferred) {
        if (used.count(colour) == 0) free.push_back(colour);
    }
    for (int value = 0; free.size() < 2; ++value) {
        const Colour colour = {value >> 16 & 255, value >> 8 & 255, value & 255};
        if (used.count(colour) == 0 && std::find(free.begin(), free.end(), colour) == free.end()) free.push_back(colour);
    }
    return {free[0], free[1], {170, 170, 170}};
}

std::int64_t overlapCount(const tessarin::POIFile& pois, std::int64_t nrOfVertices) {
    std::vector<std::uint8_t> holders(static_cast<std::size_t>(std::max<std::int64_t>(nrOfVertices, 0)), 0);
    std::int64_t count = 0;
    for (const tessarin::POIRecord& poi : pois.POIs) {
        // A vertex listed twice in one POI is still held by one POI.
        std::vector<std::int32_t> vertices = poi.Vertices;
        std::sort(vertices.begin(), vertices.end());
        vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
        for (std::int32_t vertex : vertices) {
            if (vertex < 0 || vertex >= nrOfVertices) continue;
            std::uint8_t& seen = holders[static_cast<std::size_t>(vertex)];
            if (seen == 1) ++count;
            if (seen < 2) ++seen;
        }
    }
    return count;
}

std::string inlineScriptText(const std::string& script) {
    std::string text = script;
    replaceAll(text, "</script", "<\\/script");
    replaceAll(text, "</SCRIPT", "<\\/SCRIPT");
    replaceAll(text, "<!--", "<\\!--");
    replaceAll(text, "://", ":\\/\\/");
    return text;
}

void writeViewerPage(std::ostream& out, const ViewerContent& content, const std::string& niivueScript,
                     const std::string& notices) {
    const ViewerColours colours = viewerColours(content.pois);
    out << "<!DOCTYPE html>\n<html lang=\"en\" data-state=\"loading\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"generator\" content=\"zevkalon\">\n<title>" << pageText(content.title) << "</title>\n<style>\n"
        << kViewerStyle << "</style>\n</head>\n<body>\n"
        << "<main id=\"view\"><canvas id=\"surface\"></canvas><p id=\"error\" hidden></p></main>\n"
        << "<aside id=\"panel\">\n<h1>" << pageText(content.title) << "</h1>\n" << kViewerControls;
    writePoiList(out, content, colours);
    out << "<h2>Run</h2>\n";
    writeRunTable(out, content);
    out << "<details id=\"notices\"><summary>Drawn with NiiVue: third-party notices</summary><pre>" << pageText(notices)
        << "</pre></details>\n</aside>\n";
    out << "<script type=\"text/plain\" id=\"surface-gifti\">" << surfaceGiftiBase64(content.surface) << "</script>\n";
    out << "<script type=\"application/json\" id=\"poi-data\">";
    writePoiData(out, content, colours);
    out << "</script>\n<script>\n" << inlineScriptText(niivueScript) << "\n</script>\n<script>\n" << kViewerScript
        << "</script>\n</body>\n</html>\n";
}

}  // namespace zevkalon

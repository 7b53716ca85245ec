// The viewer page as text: self-contained, the user's names escaped, the
// POIs and the overlap listed; the colours it keeps apart from the POIs.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "host/exports/base64.h"
#include "host/exports/viewer_page.h"

namespace zevkalon {
namespace {

tessarin::POIRecord poi(const std::string& name, Colour colour, std::vector<std::int32_t> vertices) {
    tessarin::POIRecord record;
    record.NameOfPOI = name;
    for (int c = 0; c < 3; ++c) record.ColorOfPOI[c] = colour[c];
    record.Vertices = std::move(vertices);
    record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
    return record;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(Base64, DecodeInvertsEncodeAndRefusesOtherText) {
    for (const std::string bytes : {"", "f", "fo", "foo", "foob", "\xff\xfe"}) {
        EXPECT_EQ(base64Decode(base64Encode(bytes)), bytes);
    }
    EXPECT_THROW(base64Decode("Zm9v\nYg=="), std::invalid_argument);
    EXPECT_THROW(base64Decode("Zm9vY"), std::invalid_argument);
}

TEST(ViewerPage, HoldsEverythingInlineWithNoWebAddressAndEscapesNames) {
    ViewerContent content;
    content.title = "rois.poi";
    content.surface.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    content.surface.triangles = {0, 1, 2, 1, 3, 2};
    content.pois.POIs = {poi("<b>\"V1\" & MT</b>", {255, 0, 0}, {0, 1}), poi("Deep (empty)", {0, 0, 255}, {}),
                         poi("Rim", {0, 255, 0}, {1, 2, 2})};
    content.run = {{"Surface", "https://example.org/lh.white.gii"}};
    // A stand-in for the bundle, with what would break an inline script.
    const std::string bundle = "var niivue = {home: 'https://niivue.example'}; // </script><!--";
    std::ostringstream out;
    writeViewerPage(out, content, bundle, "notice text");
    const std::string page = out.str();

    EXPECT_FALSE(std::regex_search(page, std::regex("https?://"))) << "a web address in the page";
    // Four script elements, each closed once: the GIFTI, the POI data, the bundle, the page's own.
    EXPECT_EQ(occurrences(page, "<script"), 4u);
    EXPECT_EQ(occurrences(page, "</script>"), 4u);
    EXPECT_NE(page.find("&lt;b&gt;&quot;V1&quot; &amp; MT&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<b>\"V1\""), std::string::npos);
    EXPECT_NE(page.find("<span class=\"name\">Deep (empty)</span><span class=\"count\">empty</span>"), std::string::npos);
    // Vertex 1 is in two POIs; vertex 2 twice in one is not an overlap.
    EXPECT_NE(page.find("Overlap (in several POIs)</span><span class=\"count\">1</span>"), std::string::npos);
    EXPECT_NE(page.find("\"vertices\":[[0,1],\n[],\n[1,2,2]]"), std::string::npos);

    const std::string open = "<script type=\"text/plain\" id=\"surface-gifti\">";
    const std::size_t start = page.find(open) + open.size();
    const std::string gifti = base64Decode(page.substr(start, page.find("</script>", start) - start));
    EXPECT_NE(gifti.find("NIFTI_INTENT_POINTSET"), std::string::npos);
    EXPECT_NE(gifti.find("NIFTI_INTENT_TRIANGLE"), std::string::npos);
}

TEST(ViewerPage, BackgroundAndOverlapColoursAreNoPoisColours) {
    tessarin::POIFile pois;
    EXPECT_EQ(viewerColours(pois).background, (Colour{0, 0, 0}));
    EXPECT_EQ(viewerColours(pois).overlap, (Colour{255, 255, 255}));
    pois.POIs = {poi("black", {0, 0, 0}, {0}), poi("white", {255, 255, 255}, {1}), poi("magenta", {255, 0, 255}, {2})};
    const ViewerColours colours = viewerColours(pois);
    for (const tessarin::POIRecord& record : pois.POIs) {
        const Colour colour = {record.ColorOfPOI[0], record.ColorOfPOI[1], record.ColorOfPOI[2]};
        EXPECT_NE(colours.background, colour) << record.NameOfPOI;
        EXPECT_NE(colours.overlap, colour) << record.NameOfPOI;
    }
    EXPECT_NE(colours.background, colours.overlap);
}

}  // namespace
}  // namespace zevkalon

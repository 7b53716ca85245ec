// --view and --snapshot end to end: the page in a real headless Chromium,
// the snapshot of a real brain read pixel by pixel, and the refusals when
// NiiVue or Chromium is missing.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "host/exports/headless_browser.h"
#include "host/readers/poi_reader.h"
#include "tests/host/host_fixture.h"
#include "tests/host/python_check.h"

namespace zevkalon::testing {
namespace {

const std::string kZevkalonFolder = std::filesystem::path(ZEVKALON_PATH).parent_path().string();

// Counts of exact colours in a PNG: per colour given as 0xRRGGBB, the pixels
// of that colour in each of the picture's four quarters (row by row), after
// the lines "mesh N F" (the number and the share of pixels that are not
// black, the background) and "pois F" (the share of those that are exactly
// one of the colours).
const char kColourCounts[] = R"py(
import sys
import numpy as np
from PIL import Image
pixels = np.asarray(Image.open(sys.argv[1]).convert("RGB")).astype(np.int64)
code = pixels[..., 0] << 16 | pixels[..., 1] << 8 | pixels[..., 2]
colours = [int(c, 16) for c in sys.argv[2:]]
mesh = code != 0
print("mesh", int(mesh.sum()), mesh.mean())
print("pois", np.isin(code[mesh], colours).mean() if mesh.any() else 0.0)
h, w = code.shape
quarters = [code[:h // 2, :w // 2], code[:h // 2, w // 2:], code[h // 2:, :w // 2], code[h // 2:, w // 2:]]
for c in colours:
    print("%06x" % c, *[int((q == c).sum()) for q in quarters])
)py";

struct ColourCounts {
    long meshPixels = 0;
    double mesh = 0, pois = 0;
    std::map<int, std::array<int, 4>> quarters;  // by 0xRRGGBB
    int total(int colour) const {
        const auto& q = quarters.at(colour);
        return q[0] + q[1] + q[2] + q[3];
    }
};

int code(const int rgb[3]) { return rgb[0] << 16 | rgb[1] << 8 | rgb[2]; }

ColourCounts countColours(const std::string& png, const std::vector<int>& colours) {
    std::vector<std::string> arguments = {png};
    for (int colour : colours) {
        char text[8];
        std::snprintf(text, sizeof text, "%06x", colour);
        arguments.push_back(text);
    }
    const PythonResult result = runPython(kColourCounts, arguments);
    EXPECT_EQ(result.status, 0) << result.output;
    ColourCounts counts;
    std::istringstream lines(result.output);
    std::string word;
    lines >> word >> counts.meshPixels >> counts.mesh >> word >> counts.pois;
    for (std::string colour; lines >> colour;) {
        auto& q = counts.quarters[std::stoi(colour, nullptr, 16)];
        lines >> q[0] >> q[1] >> q[2] >> q[3];
    }
    return counts;
}

class ViewerTest : public HostRunTest {
protected:
    void SetUp() override {
        HostRunTest::SetUp();
        if (!std::filesystem::exists(kZevkalonFolder + "/niivue.umd.js")) {
            GTEST_SKIP() << "NiiVue is not installed beside zevkalon (run scripts/setup.sh, or npm ci in viewer/)";
        }
        chromium_ = findChromium();
        if (chromium_.empty()) GTEST_SKIP() << "Chromium is not installed (Debian package chromium)";
        static const bool haveImaging = runPython("import numpy, PIL\n").status == 0;
        if (!haveImaging) GTEST_SKIP() << "Python's imaging modules are missing (python3-pil, python3-numpy)";
    }
    std::string chromium_;
};

TEST_F(ViewerTest, DemoPageDrawsOfflineAndAnswersClicksAndDrags) {
    const Result result = run({"demo", "--out-dir", dir_, "--view", path("demo.html")});
    ASSERT_EQ(result.code, 0) << result.messages;
    const std::string page = readText(path("demo.html"));
    EXPECT_FALSE(std::regex_search(page, std::regex("https?://"))) << "the page names a web address";
    const tessarin::POIFile pois = readPOIFile(path("tessarin_demo.poi"));
    const tessarin::POIRecord& ring = pois.POIs[3];
    ASSERT_EQ(ring.NameOfPOI, "Ring with holes");

    HeadlessBrowser browser(chromium_, 1000, 600);
    browser.navigate(fileUrl(path("demo.html")));
    ASSERT_EQ(browser.waitForPageState(), "ready");
    const auto centre = [&](const std::string& selector) {
        std::istringstream xy(browser.evaluate("(() => { const r = document.querySelector('" + selector +
                                               "').getBoundingClientRect(); return (r.x + r.width / 2) + ' ' + "
                                               "(r.y + r.height / 2); })()"));
        double x = 0, y = 0;
        xy >> x >> y;
        return std::pair<int, int>(static_cast<int>(x), static_cast<int>(y));
    };
    // The view is what lies left of the 320-pixel panel.
    const auto view = [&] { return browser.screenshotPng(0, 0, 680, 600); };
    const std::string first = view();
    EXPECT_EQ(view(), first) << "the view changes by itself";

    const auto flat = centre("#flat");
    browser.click(flat.first, flat.second);
    const std::string shot = path("view.png");
    const int green = code(ring.ColorOfPOI);
    writeText(shot, view());
    EXPECT_GT(countColours(shot, {green}).total(green), 100) << "flat: the ring in its exact colour";
    const auto row = centre("#pois li[data-poi=\"3\"] .name");
    browser.click(row.first, row.second);
    const std::string hidden = view();
    writeText(shot, hidden);
    EXPECT_EQ(countColours(shot, {green}).total(green), 0) << "a click on its row hides the ring";

    browser.drag(340, 300, 460, 330);
    EXPECT_NE(view(), hidden) << "a drag does not rotate the view";
}

// The real brain of scripts/real_brain.py (about 48,000 vertices, 116 AAL
// labels), each label in a colour of its own, so every POI can be found by
// its colour; overlap is left on, so vertices of several POIs are there too.
TEST_F(ViewerTest, SnapshotOfARealBrainShowsEachPoiInItsExactColour) {
    if (!haveNibabel()) GTEST_SKIP() << kNoNibabel;
    if (!std::filesystem::exists("/usr/share/mricron/templates/ch2bet.nii.gz")) {
        GTEST_SKIP() << "the Colin27 template is missing (Debian package mricron-data)";
    }
    // Colours 40..219 per channel, distinct (13 v mod 180 is), never black or white.
    const PythonResult made = runPython(R"py(
import subprocess, sys
script, out = sys.argv[1:3]
subprocess.run([sys.executable, script, out, "--voxel-size", "2.6"], check=True, stdout=subprocess.DEVNULL)
with open(out + "/unique.txt", "w") as table:
    for line in open(out + "/aal_lut.txt"):
        if line[:1].isdigit():
            v, name = int(line.split()[0]), line.split()[1]
            table.write("%d %s %d %d %d 0\n" % (v, name, 40 + v * 37 % 180, 40 + v * 71 % 180, 40 + v * 13 % 180))
)py",
                                        {TESSARIN_SOURCE_DIR "/scripts/real_brain.py", dir_});
    ASSERT_EQ(made.status, 0) << made.output;
    const Result result = run({"--labels", path("unique.txt"), path("aal.nii.gz"), path("white.surf.gii"), "--snapshot",
                               path("brain.png")});
    ASSERT_EQ(result.code, 0) << result.messages;

    const tessarin::POIFile pois = readPOIFile(path("aal.poi"));
    std::vector<int> colours;
    std::map<std::string, int> byName;
    for (const tessarin::POIRecord& poi : pois.POIs) {
        colours.push_back(code(poi.ColorOfPOI));
        byName[poi.NameOfPOI] = colours.back();
    }
    ASSERT_EQ(std::set<int>(colours.begin(), colours.end()).size(), 116u);
    const int overlap = 0xffffff;
    colours.push_back(overlap);
    const ColourCounts counts = countColours(path("brain.png"), colours);
    EXPECT_GT(counts.mesh, 0.10) << "the brain covers too little of the picture";
    // Only the bare surface is shaded, and it shows little between the POIs.
    EXPECT_GT(counts.pois, 0.9) << "too few of the brain's pixels are exactly a POI's or the overlap's colour";
    const double overlapShare = counts.total(overlap) / static_cast<double>(counts.meshPixels);
    EXPECT_GT(overlapShare, 0.01) << "no vertex of several POIs shows as overlap";
    EXPECT_GT(counts.pois - overlapShare, 0.6) << "too few of the brain's pixels are exactly a POI's colour";
    // Lateral regions, each in the view from its own side (top left: from
    // the left; top right: from the right) and hardly in the other, and the
    // top of the brain in the view from above (bottom left).
    for (const char* side : {"L", "R"}) {
        for (const std::string region : {"Temporal_Mid_", "Temporal_Sup_", "Occipital_Mid_", "Frontal_Mid_"}) {
            const auto& q = counts.quarters.at(byName.at(region + side));
            const int own = q[side[0] == 'L' ? 0 : 1], other = q[side[0] == 'L' ? 1 : 0];
            EXPECT_GT(own, 200) << region + side;
            EXPECT_GT(own, 20 * other) << region + side << " is seen from the wrong side";
        }
        EXPECT_GT(counts.quarters.at(byName.at(std::string("Precentral_") + side))[2], 200) << side;
    }
    int empty = 0;
    for (const tessarin::POIRecord& poi : pois.POIs) {
        if (!poi.Vertices.empty()) continue;
        ++empty;
        EXPECT_EQ(counts.total(code(poi.ColorOfPOI)), 0) << poi.NameOfPOI << " is empty but drawn";
    }
    EXPECT_GT(empty, 0) << "no empty POI to check";
}

TEST_F(HostRunTest, SnapshotWithoutChromiumSaysSoAndWritesNothing) {
    if (!std::filesystem::exists(kZevkalonFolder + "/niivue.umd.js")) GTEST_SKIP() << "NiiVue is not installed";
    writeGridInputs();
    setenv("ZEVKALON_CHROMIUM", (dir_ + "/no-chromium").c_str(), 1);
    const Result result = run({path("labels.nii"), path("grid.obj"), "--snapshot", path("grid.png")});
    unsetenv("ZEVKALON_CHROMIUM");
    EXPECT_EQ(result.code, 9) << result.messages;
    EXPECT_NE(result.messages.find("Chromium " + dir_ + "/no-chromium is not an executable file"), std::string::npos)
        << result.messages;
    EXPECT_EQ(listFolder(dir_), (std::vector<std::string>{"grid.obj", "labels.nii"}));
}

TEST_F(HostRunTest, ViewWithoutNiivueSaysHowToInstallItAndWritesNothing) {
    writeGridInputs();
    // A zevkalon with nothing beside it, using the real plug-in.
    const std::string copy = path("bin/zevkalon");
    std::filesystem::create_directory(path("bin"));
    std::filesystem::copy_file(ZEVKALON_PATH, copy);
    const std::string command = "'" + copy + "' --plugin '" + kZevkalonFolder + "/Tessarin.so' '" + path("labels.nii") +
                                "' '" + path("grid.obj") + "' --view '" + path("grid.html") + "' 2> '" + dir_ + ".err'";
    const int status = std::system(command.c_str());
    const std::string messages = readText(dir_ + ".err");
    EXPECT_EQ(WEXITSTATUS(status), 9) << messages;
    EXPECT_NE(messages.find("--view needs NiiVue, but " + path("bin/niivue.umd.js") + " is missing"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find("npm ci in viewer/"), std::string::npos) << messages;
    EXPECT_EQ(listFolder(dir_), (std::vector<std::string>{"bin", "grid.obj", "labels.nii"}));
}

}  // namespace
}  // namespace zevkalon::testing

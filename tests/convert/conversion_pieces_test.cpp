#include <gtest/gtest.h>

#include <string>

#include "convert/log_line.h"
#include "convert/output_path.h"
#include "convert/poi_from_voi.h"
#include "convert/voi_colour.h"

namespace tessarin {
namespace {

TEST(VOIColour, EveryPackedColourGivesItsThreeBytes) {
    EXPECT_EQ(decodeVOIColour(16744448).red, 255);
    EXPECT_EQ(decodeVOIColour(16744448).green, 128);
    EXPECT_EQ(decodeVOIColour(16744448).blue, 0);
    for (std::int32_t packed = 0; packed <= 0xFFFFFF; ++packed) {
        const RGB rgb = decodeVOIColour(packed);
        if (rgb.red != (packed >> 16) || rgb.green != ((packed >> 8) & 0xFF) || rgb.blue != (packed & 0xFF)) {
            ADD_FAILURE() << packed << " -> " << rgb.red << ' ' << rgb.green << ' ' << rgb.blue;
            break;
        }
    }
}

TEST(OutputPath, LastDotAnywhereIsReplaced) {
    EXPECT_EQ(replaceExtension("/data/s01/rois.voi", ".poi"), "/data/s01/rois.poi");
    EXPECT_EQ(replaceExtension("/data/s01/rois", ".poi"), "/data/s01/rois.poi");
    EXPECT_EQ(replaceExtension("/data/s01.v2/rois", ".poi"), "/data/s01.poi");
    EXPECT_EQ(replaceExtension("a.b.voi", ".poi"), "a.b.poi");
    EXPECT_EQ(replaceExtension("", ".poi"), ".poi");
    EXPECT_EQ(replaceExtension("rois.", ".poi"), "rois.poi");
}

TEST(LogLine, LongTextsAreFormattedInFull) {
    EXPECT_EQ(formatLogLine("Plugin>  POI %s had %i patches, surface change %.2f -> %.2f mm2 ", "V1", 3, 12.345,
                            0.005),
              "Plugin>  POI V1 had 3 patches, surface change 12.35 -> 0.01 mm2 ");
    // Around and far beyond the 512-byte line buffer.
    for (std::size_t width : {490u, 511u, 512u, 513u, 4000u}) {
        const std::string name(width, 'n');
        const std::string line = formatLogLine("Plugin>  Converted voi \"%s\" of %i voxels", name.c_str(), 7);
        EXPECT_EQ(line, "Plugin>  Converted voi \"" + name + "\" of 7 voxels") << width;
    }
}

TEST(LogLine, HostFieldsAreReadWithinTheirSize) {
    char field[8] = {'a', 'b', '\0', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(hostFieldText(field, sizeof field), "ab");
    char full[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};  // no terminating zero
    EXPECT_EQ(hostFieldText(full, sizeof full), "12345678");
}

TEST(POIFromVOI, NameLabelAndCount) {
    POIRecord poi = poiFromVOI("V1", 16744448, {1021, 1022, 1087});
    EXPECT_EQ(poi.NameOfPOI, "V1");
    EXPECT_EQ(poi.LabelVertex, 1021);
    EXPECT_EQ(poi.NrOfVertices, 3);
    EXPECT_EQ(poi.ColorOfPOI[0], 255);
    EXPECT_EQ(poi.ColorOfPOI[1], 128);
    EXPECT_EQ(poi.ColorOfPOI[2], 0);
    EXPECT_EQ(poi.InfoTextFile, "");

    POIRecord empty = poiFromVOI("MT", 0, {});
    EXPECT_EQ(empty.NameOfPOI, "MT (empty)");
    EXPECT_EQ(empty.LabelVertex, 0);
    EXPECT_EQ(empty.NrOfVertices, 0);
    EXPECT_EQ(empty.ColorOfPOI[0] + empty.ColorOfPOI[1] + empty.ColorOfPOI[2], 0);
}

}  // namespace
}  // namespace tessarin

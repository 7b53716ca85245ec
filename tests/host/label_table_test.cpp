#include "host/readers/label_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/host_error.h"

namespace zevkalon {
namespace {

TEST(LabelTable, ParsesLutLinesSkippingCommentsAndBlanks) {
    std::istringstream in("#No. Label Name:  R G B A\n\n  0  Unknown 0 0 0 0\n17 Left-Hippocampus 220 216 20 0 # hi\r\n"
                          "-4 Negative 1 2 3\n");
    const LabelTable table = parseLabelTable(in, "lut");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table.at(17).name, "Left-Hippocampus");
    EXPECT_EQ(table.at(17).red, 220);
    EXPECT_EQ(table.at(17).green, 216);
    EXPECT_EQ(table.at(17).blue, 20);
    EXPECT_EQ(table.at(-4).blue, 3);
}

TEST(LabelTable, AByteOrderMarkBeforeTheFirstLineIsSkipped) {
    std::istringstream in("\xEF\xBB\xBF" "17 Left-Hippocampus 220 216 20 0\n");
    EXPECT_EQ(parseLabelTable(in, "lut").at(17).name, "Left-Hippocampus");
}

TEST(LabelTable, RefusesMalformedLinesWithTheirNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"1 A 0 0 0 0\n\n2 B 0 0\n", "lut:3: expected \"value name R G B A\", found 4 fields"},
        {"1 A 0 0 0 0 7\n", "lut:1: expected"},
        {"x A 0 0 0 0\n", "lut:1: label value \"x\" is not a whole number"},
        {"1 A 0 -1 0 0\n", "lut:1: colour component \"-1\""},
        {"1 A 0 1.5 0 0\n", "lut:1: colour component \"1.5\""},
        {"1 A 0 0 0 0\n1 B 0 0 0 0\n", "lut:2: label 1 is listed twice"},
        {"3000000000 A 0 0 0 0\n", "lut:1: label value"},
    };
    for (const auto& [text, message] : cases) {
        std::istringstream in(text);
        try {
            parseLabelTable(in, "lut");
            ADD_FAILURE() << "accepted " << text;
        } catch (const HostError& error) {
            EXPECT_EQ(error.code(), kExitBadInput);
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(LabelTable, NamesFromTableElsePaletteAndCutsLongNames) {
    std::vector<VoiData> vois(4);
    vois[0].label = 1, vois[1].label = 13, vois[2].label = 5, vois[3].label = -1;
    LabelTable table;
    table[5] = {"V5", 1, 2, 3};
    std::ostringstream warnings;
    nameVOIs(vois, &table, warnings);
    EXPECT_EQ(vois[0].name, "Label 1");
    EXPECT_EQ(vois[0].color, defaultPalette()[0]);
    EXPECT_EQ(vois[1].color, defaultPalette()[0]);  // the palette repeats every 12 labels
    EXPECT_EQ(vois[2].name, "V5");
    EXPECT_EQ(vois[2].color, 1 * 65536 + 2 * 256 + 3);
    EXPECT_EQ(vois[3].name, "Label -1");
    EXPECT_EQ(vois[3].color, defaultPalette()[10]);
    EXPECT_EQ(warnings.str(), "");

    std::vector<VoiData> longOne(1);
    longOne[0].label = 2;
    table[2] = {std::string(300, 'n'), 0, 0, 0};
    nameVOIs(longOne, &table, warnings);
    EXPECT_EQ(longOne[0].name, std::string(255, 'n'));
    EXPECT_NE(warnings.str().find("label 2"), std::string::npos);
    // No table at all: every VOI from the palette.
    nameVOIs(longOne, nullptr, warnings);
    EXPECT_EQ(longOne[0].name, "Label 2");
}

}  // namespace
}  // namespace zevkalon

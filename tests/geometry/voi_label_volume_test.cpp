// The shared label volume that stands in for one mask per VOI.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "geometry/voi_label_volume.h"

namespace tessarin {
namespace {

std::vector<std::int32_t> members(const VoiLabelVolume& volume, std::int32_t x, std::int32_t y, std::int32_t z) {
    const std::uint32_t label = volume.label(x, y, z);
    return {volume.membersBegin(label), volume.membersEnd(label)};
}

TEST(VoiLabelVolume, CellsKnowEveryVoiTheyBelongTo) {
    VoiLabelVolume volume(3, 2, 2);
    volume.beginVoi(2);
    volume.mark(0, 0, 0), volume.mark(1, 0, 0), volume.mark(2, 1, 1);
    volume.beginVoi(1);
    volume.mark(1, 0, 0), volume.mark(1, 0, 0), volume.mark(2, 1, 1), volume.mark(-1, 0, 0), volume.mark(0, 2, 0),
        volume.mark(0, 0, 2), volume.mark(std::numeric_limits<std::int64_t>::min(), 0, 0);
    volume.beginVoi(0);
    volume.mark(2, 1, 1), volume.mark(0, 1, 0);
    EXPECT_EQ(members(volume, 0, 0, 0), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(members(volume, 1, 0, 0), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(members(volume, 2, 1, 1), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(members(volume, 0, 1, 0), (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(members(volume, 1, 1, 1).empty());
    EXPECT_EQ(volume.label(1, 1, 1), 0u);
    // Cells that gained the same VOIs share a label: the empty set, {2},
    // {1, 2}, {0, 1, 2} and {0}.
    EXPECT_EQ(volume.setCount(), 5u);
}

// More distinct overlaps than 16 bits can name: 17 VOIs, each cell in the
// VOIs of the bits of its index.
TEST(VoiLabelVolume, WidensWhenOverlapsOutgrowSixteenBits) {
    VoiLabelVolume volume(64, 64, 32);
    for (std::int32_t k = 16; k >= 0; --k) {
        volume.beginVoi(k);
        for (std::int32_t cell = 0; cell < 64 * 64 * 32; ++cell) {
            if (cell & (1 << k)) volume.mark(cell % 64, cell / 64 % 64, cell / 4096);
        }
    }
    ASSERT_EQ(volume.labels8(), nullptr);
    ASSERT_EQ(volume.labels16(), nullptr);
    ASSERT_NE(volume.labels32(), nullptr);
    for (std::int32_t cell = 0; cell < 64 * 64 * 32; ++cell) {
        std::vector<std::int32_t> expected;
        for (std::int32_t k = 0; k < 17; ++k) {
            if (cell & (1 << k)) expected.push_back(k);
        }
        ASSERT_EQ(members(volume, cell % 64, cell / 64 % 64, cell / 4096), expected) << cell;
    }
}

TEST(VoiLabelVolume, EmptyAndUnaddressableSizes) {
    const VoiLabelVolume none(5, 0, 5);
    EXPECT_TRUE(none.hasNoVoxels());
    EXPECT_EQ(none.sizeX(), 0);
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    EXPECT_THROW(VoiLabelVolume(big, big, big), std::length_error);
    EXPECT_THROW(VoiLabelVolume(big, big, 2), std::length_error);
}

}  // namespace
}  // namespace tessarin

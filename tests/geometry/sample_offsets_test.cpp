// Running-sum sample distances and their look-ups.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "geometry/sample_offsets.h"
#include "tests/support/reference_mapping.h"

namespace tessarin {
namespace {

TEST(SampleOffsets, OffsetListsOfTheUsualRanges) {
    // 0 and +-0.1 .. +-0.9: the tenth sum, 1.0000001, lies beyond 1.
    auto offsets = testing::referenceOffsets(-1, 1, 0.1f);
    EXPECT_EQ(offsets.size(), 19u);
    OffsetSequence sequence(0.1f);
    const std::vector<float> tenths = sequence.distancesUpTo(1.0);
    ASSERT_EQ(tenths.size(), 9u);
    float tenth = tenths.back();
    ASSERT_TRUE(sequence.next(tenth));
    EXPECT_EQ(tenth, 1.0000001f);

    // 0, 30 positive (the last 2.9999993, not 3) and 9 negative offsets.
    offsets = testing::referenceOffsets(-1, 3, 0.1f);
    EXPECT_EQ(offsets.size(), 40u);
    EXPECT_EQ(std::count_if(offsets.begin(), offsets.end(), [](float s) { return s > 0; }), 30);
    EXPECT_EQ(*std::max_element(offsets.begin(), offsets.end()), 2.9999993f);
    EXPECT_EQ(sequence.distancesUpTo(3.0).back(), 2.9999993f);

    // One side only, or offset 0 alone.
    offsets = testing::referenceOffsets(1, 3, 0.1f);
    EXPECT_EQ(offsets.size(), 31u);
    EXPECT_EQ(std::count_if(offsets.begin(), offsets.end(), [](float s) { return s < 0; }), 0);
    offsets = testing::referenceOffsets(-3, -1, 0.1f);
    EXPECT_EQ(offsets.size(), 31u);
    EXPECT_EQ(std::count_if(offsets.begin(), offsets.end(), [](float s) { return s > 0; }), 0);
    EXPECT_EQ(testing::referenceOffsets(-0.09f, 0.05f, 0.1f), std::vector<float>{0.0f});
}

TEST(SampleOffsets, LookUpsAgreeWithTheListedSequence) {
    OffsetSequence sequence(0.37f);
    const std::vector<float> all = sequence.distancesUpTo(5000.0);
    std::mt19937 random(5);
    for (int i = 0; i < 2000; ++i) {
        const double value = std::uniform_real_distribution<double>(0.0, 5000.0)(random);
        const auto above = std::lower_bound(all.begin(), all.end(), value,
                                            [](float d, double v) { return static_cast<double>(d) < v; });
        float d = -1;
        ASSERT_TRUE(sequence.firstAtLeast(value, d));
        EXPECT_EQ(d, *above);
        // Exact hits are both the first at least and the last at most.
        ASSERT_TRUE(sequence.firstAtLeast(*above, d));
        EXPECT_EQ(d, *above);
        ASSERT_TRUE(sequence.lastAtMost(*above, d));
        EXPECT_EQ(d, *above);
        if (above != all.begin()) {
            ASSERT_TRUE(sequence.lastAtMost(value, d));
            EXPECT_EQ(d, *(above - 1));
        }
    }
    float d = 0;
    EXPECT_FALSE(sequence.lastAtMost(0.3, d));
    EXPECT_TRUE(sequence.firstAtLeast(-5.0, d));
    EXPECT_EQ(d, 0.37f);
}

// The running sum of 0.1 stops growing at 2^21: that is the last distance,
// and the look-ups end there however far they are asked to reach.
TEST(SampleOffsets, TheSequenceEndsWhereTheSumStopsGrowing) {
    OffsetSequence sequence(0.1f);
    const double inf = std::numeric_limits<double>::infinity();
    float d = 0;
    EXPECT_FALSE(sequence.firstAtLeast(2097152.5, d));
    EXPECT_FALSE(sequence.firstAtLeast(inf, d));
    ASSERT_TRUE(sequence.lastAtMost(inf, d));
    EXPECT_EQ(d, 2097152.0f);
    EXPECT_FALSE(sequence.next(d));
    ASSERT_TRUE(sequence.firstAtLeast(2097151.9, d));
    EXPECT_EQ(d, 2097152.0f);

    for (const float step : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        const OffsetSequence none(step);
        EXPECT_FALSE(none.hasDistances());
        EXPECT_TRUE(none.distancesUpTo(10.0).empty());
    }
}

}  // namespace
}  // namespace tessarin

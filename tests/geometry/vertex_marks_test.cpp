#include <gtest/gtest.h>

#include "geometry/vertex_marks.h"

namespace tessarin {
namespace {

TEST(VertexMarks, ResetForgetsEverythingAndGrowsOnDemand) {
    VertexMarks marks;
    marks.reset(4);
    EXPECT_FALSE(marks.isSet(3));
    marks.set(3, 0);  // a stored 0 still counts as set
    marks.set(1, -7);
    EXPECT_TRUE(marks.isSet(3));
    EXPECT_EQ(marks.get(1), -7);
    EXPECT_EQ(marks.get(2), 0);
    marks.reset(10);
    for (VertexIndex v = 0; v < 10; ++v) EXPECT_FALSE(marks.isSet(v)) << v;
    marks.set(9, 5);
    marks.reset(2);  // smaller mesh: the larger array serves it
    EXPECT_FALSE(marks.isSet(1));
    EXPECT_EQ(marks.get(1), 0);
}

TEST(ScratchMarks, NestedLeasesAreDistinctAndComeBackCleared) {
    VertexMarks* outerAddress = nullptr;
    {
        ScratchMarks outer(8);
        outerAddress = &*outer;
        outer->set(2, 1);
        {
            ScratchMarks inner(8);
            EXPECT_NE(&*inner, outerAddress);
            EXPECT_FALSE(inner->isSet(2));
            inner->set(5, 1);
        }
        EXPECT_TRUE(outer->isSet(2));
        EXPECT_FALSE(outer->isSet(5));
    }
    ScratchMarks again(16);
    for (VertexIndex v = 0; v < 16; ++v) EXPECT_FALSE(again->isSet(v)) << v;
}

}  // namespace
}  // namespace tessarin

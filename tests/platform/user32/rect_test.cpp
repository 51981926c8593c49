// Rectangle helpers: right and bottom edges are outside.
#include "platform/user32.h"

#include <gtest/gtest.h>

TEST(Rectangles, PointsOnTheRightAndBottomEdgesAreOutside)
{
    RECT r{0, 0, 800, 600};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT{799, 599}));
    EXPECT_FALSE(PtInRect(&r, POINT{800, 10}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 600}));
    EXPECT_FALSE(PtInRect(&r, POINT{-1, 10}));
}

TEST(Rectangles, IntersectionAndUnionHandleEmptyResults)
{
    RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, out{1, 2, 3, 4};
    EXPECT_FALSE(IntersectRect(&out, &a, &b)); // touching edges do not overlap
    EXPECT_TRUE(IsRectEmpty(&out));
    RECT c{5, 5, 15, 15};
    ASSERT_TRUE(IntersectRect(&out, &a, &c));
    RECT expected{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&out, &expected));

    RECT empty{3, 3, 3, 9};
    ASSERT_TRUE(UnionRect(&out, &empty, &c));
    EXPECT_TRUE(EqualRect(&out, &c));
    ASSERT_TRUE(UnionRect(&out, &a, &c));
    RECT whole{0, 0, 15, 15};
    EXPECT_TRUE(EqualRect(&out, &whole));
    EXPECT_FALSE(UnionRect(&out, &empty, &empty));
}

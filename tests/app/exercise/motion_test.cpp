// The exit test and the position over time.
#include "app/exercise/motion.h"

#include <gtest/gtest.h>

#include <limits>

using exercise::HasLeftScreen;

TEST(Motion, AnEdgeTouchingTheScreenBorderHasNotLeft)
{
    // Right edge exactly at x = 0, left edge exactly at x = 800, and the same
    // for top and bottom.
    EXPECT_FALSE(HasLeftScreen(-100.0f, 300.0f, 100, 92, 800, 600));
    EXPECT_FALSE(HasLeftScreen(800.0f, 300.0f, 100, 92, 800, 600));
    EXPECT_FALSE(HasLeftScreen(300.0f, -92.0f, 100, 92, 800, 600));
    EXPECT_FALSE(HasLeftScreen(300.0f, 600.0f, 100, 92, 800, 600));
}

TEST(Motion, PastTheBorderItHasLeft)
{
    EXPECT_TRUE(HasLeftScreen(-100.5f, 300.0f, 100, 92, 800, 600));
    EXPECT_TRUE(HasLeftScreen(800.25f, 300.0f, 100, 92, 800, 600));
    EXPECT_TRUE(HasLeftScreen(300.0f, -92.5f, 100, 92, 800, 600));
    EXPECT_TRUE(HasLeftScreen(300.0f, 600.5f, 100, 92, 800, 600));
}

TEST(Motion, TruncationTowardZeroSaturates)
{
    EXPECT_EQ(-3, exercise::TruncToInt(-3.9f));
    EXPECT_EQ(3, exercise::TruncToInt(3.9f));
    EXPECT_EQ(std::numeric_limits<int>::max(), exercise::TruncToInt(1e20f));
    EXPECT_EQ(std::numeric_limits<int>::min(), exercise::TruncToInt(-1e20f));
    EXPECT_EQ(0, exercise::TruncToInt(std::numeric_limits<float>::quiet_NaN()));
}

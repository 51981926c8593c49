// Size and speed of the bubbles over a run: the ramp from the initial to the
// final values, and settings that must not make a run that never ends.
#include "app/exercise/launch.h"
#include "app/support/app_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

using exercise::Launch;
using exercise::PlanLaunch;
using exercise::Settings;

namespace {

const Settings kDefaults{512, 1, 128, 7, 10};

Launch Plan(const Settings& s, int k, std::vector<int> draws = {})
{
    app_test::ScriptedRandom random(draws);
    return PlanLaunch(s, k, 800, 600, std::ref(random));
}

float PixelsPerSecond(const Launch& l)
{
    return std::sqrt(l.velocityX * l.velocityX + l.velocityY * l.velocityY);
}

} // namespace

TEST(LaunchRamp, TheTenBubblesOfTheDefaultRun)
{
    struct Expected {
        int w, h, speed;
    };
    const Expected expected[10] = {
        {512, 471, 50},  {473, 435, 80},  {435, 400, 110}, {396, 365, 140}, {358, 329, 170},
        {320, 294, 200}, {281, 259, 230}, {243, 223, 260}, {204, 188, 290}, {166, 153, 320}};
    for (int k = 0; k < 10; ++k) {
        // Different draws for each bubble: the speed must not depend on where it starts.
        const Launch l =
            Plan(kDefaults, k, {k * 3000, 32767 - k * 2000, k * 3276, 1000 * k, 20000});
        EXPECT_EQ(expected[k].w, l.width) << "bubble " << k;
        EXPECT_EQ(expected[k].h, l.height) << "bubble " << k;
        EXPECT_NEAR(expected[k].speed, PixelsPerSecond(l), expected[k].speed * 1e-4)
            << "bubble " << k;
    }
}

TEST(LaunchRamp, EqualValuesGiveEqualBubbles)
{
    const Settings same{300, 4, 300, 4, 5};
    for (int k = 0; k < 5; ++k) {
        const Launch l = Plan(same, k, {100, 200, 300, 400, 500});
        EXPECT_EQ(300, l.width);
        EXPECT_EQ(276, l.height);
        EXPECT_NEAR(200.0f, PixelsPerSecond(l), 0.02f);
    }
}

TEST(LaunchRamp, AFinalDiameterAboveTheInitialGrowsTheBubbles)
{
    const Settings growing{100, 10, 500, 1, 4};
    EXPECT_EQ(100, Plan(growing, 0).width);
    EXPECT_EQ(200, Plan(growing, 1).width);
    EXPECT_EQ(400, Plan(growing, 3).width);
    EXPECT_NEAR(500.0f, PixelsPerSecond(Plan(growing, 0, {5, 5, 5, 5, 5})), 0.05f);
    // 10 - 9 * 3 / 4 = 3.25
    EXPECT_NEAR(162.5f, PixelsPerSecond(Plan(growing, 3, {5, 5, 5, 5, 5})), 0.02f);
}

TEST(LaunchRamp, ARunOfOneFliesTheInitialValues)
{
    const Launch l = Plan(Settings{512, 3, 128, 7, 1}, 0, {1, 2, 3, 4, 5});
    EXPECT_EQ(512, l.width);
    EXPECT_NEAR(150.0f, PixelsPerSecond(l), 0.02f);
}

TEST(LaunchRamp, TheDifferenceOfFarApartValuesDoesNotOverflow)
{
    // initial - final overflows int: the ramp is taken in wider arithmetic.
    EXPECT_DOUBLE_EQ(2147483647.0 - 4294967295.0 / 2.0,
                     exercise::Ramp(2147483647, -2147483648, 1, 2));
}

TEST(LaunchRamp, ANegativeCountIsARunOfNone)
{
    // A count typed beyond the int range arrives negative.
    EXPECT_EQ(0, exercise::UsableCount(static_cast<int>(3000000000u)));
    EXPECT_EQ(0, exercise::UsableCount(-1));
    EXPECT_EQ(10, exercise::UsableCount(10));
}

TEST(LaunchRamp, DiametersOutsideTheUsableRangeAreBounded)
{
    const Settings negative{static_cast<int>(3000000000u), 1, -5, 1, 2};
    const Launch small = Plan(negative, 0, {16384, 16384, 0, 16384, 16384});
    EXPECT_EQ(exercise::kMinDiameter, small.width);
    EXPECT_EQ(static_cast<int>(0.92 * exercise::kMinDiameter), small.height);
    // A diameter of 0 still makes a bubble that can be seen and popped.
    const Launch none = Plan(Settings{0, 1, 0, 1, 1}, 0, {16384, 16384, 0, 16384, 16384});
    EXPECT_EQ(exercise::kMinDiameter, none.width);
    EXPECT_GT(none.height, 0);

    const Settings huge{2147483647, 1, 2147483647, 1, 1};
    const Launch big = Plan(huge, 0, {16384, 16384, 3 * 8192, 16384, 16384});
    EXPECT_EQ(exercise::kMaxDiameter, big.width);
    EXPECT_TRUE(std::isfinite(big.velocityX));
    EXPECT_NEAR(50.0f, PixelsPerSecond(big), 0.01f);
}

TEST(LaunchRamp, ASpeedOfNoneStillFliesTowardsTheTarget)
{
    const Launch l = Plan(Settings{200, 0, 200, 0, 1}, 0, {100, 100, 0, 100, 100});
    ASSERT_TRUE(std::isfinite(l.velocityX) && std::isfinite(l.velocityY));
    EXPECT_NEAR(50.0f, PixelsPerSecond(l), 0.01f);
    // Started at the top edge, it heads down towards the middle.
    EXPECT_GT(l.velocityY, 0.0f);
}

// Where bubbles start and where they head: the five draws in their order,
// the four edges, and the target region in the middle of the screen.
#include "app/exercise/launch.h"
#include "app/exercise/motion.h"
#include "app/support/app_fixture.h"
#include "platform/crt.h"

#include <cmath>
#include <gtest/gtest.h>

using exercise::Launch;
using exercise::PlanLaunch;
using exercise::Settings;

namespace {

const Settings kDefaults{512, 1, 128, 7, 10};

Launch Plan(int k, std::vector<int> draws, const Settings& s = kDefaults)
{
    app_test::ScriptedRandom random(draws);
    const Launch l = PlanLaunch(s, k, 800, 600, std::ref(random));
    EXPECT_EQ(5, random.drawn);
    return l;
}

// Side draws that pick each edge: trunc(r * 4).
const int kTopDraw = 0;
const int kLeftDraw = 8192;
const int kBottomDraw = 16384;
const int kRightDraw = 32767;

} // namespace

TEST(LaunchStart, ASeededRunGivesKnownStartsAndTargets)
{
    // The runtime generator seeded with 1 gives 41, 18467, 6334, 26500,
    // 19169, 15724, 11478, 29358, 26962, 24464.
    crt::srand(1);
    const std::function<int()> random = [] { return crt::rand(); };

    const Launch first = PlanLaunch(kDefaults, 0, 800, 600, random);
    EXPECT_EQ(exercise::kTop, first.side);
    EXPECT_EQ(0, first.startX);
    EXPECT_EQ(-470, first.startY);
    EXPECT_FLOAT_EQ(0.3603515625f, first.x);
    EXPECT_FLOAT_EQ(236.61474609375f, first.targetX);
    EXPECT_FLOAT_EQ(81.998291015625f, first.targetY);

    const Launch second = PlanLaunch(kDefaults, 1, 800, 600, random);
    EXPECT_EQ(exercise::kRight, second.side);
    EXPECT_EQ(799, second.startX);
    EXPECT_EQ(57, second.startY);
    EXPECT_FLOAT_EQ(57.79632568359375f, second.y);
    EXPECT_FLOAT_EQ(260.844482421875f, second.targetX);
    EXPECT_FLOAT_EQ(132.31640625f, second.targetY);

    // Five draws each: the third launch starts from the eleventh number.
    crt::srand(1);
    for (int i = 0; i < 10; ++i)
        crt::rand();
    const int eleventh = crt::rand();
    crt::srand(1);
    PlanLaunch(kDefaults, 0, 800, 600, random);
    PlanLaunch(kDefaults, 1, 800, 600, random);
    EXPECT_EQ(eleventh, crt::rand());
}

TEST(LaunchStart, EachEdgeLeavesOneRowOrColumnOnTheScreen)
{
    const Launch top = Plan(0, {16384, 16384, kTopDraw, 0, 0});
    EXPECT_EQ(exercise::kTop, top.side);
    EXPECT_EQ(1 - top.height, top.startY);
    EXPECT_EQ(144, top.startX); // 0.5 * (800 - 512)

    const Launch left = Plan(0, {16384, 16384, kLeftDraw, 0, 0});
    EXPECT_EQ(exercise::kLeft, left.side);
    EXPECT_EQ(1 - left.width, left.startX);
    EXPECT_EQ(64, left.startY); // 0.5 * (600 - 471), truncated

    const Launch bottom = Plan(0, {0, 0, kBottomDraw, 0, 0});
    EXPECT_EQ(exercise::kBottom, bottom.side);
    EXPECT_EQ(599, bottom.startY);

    const Launch right = Plan(0, {0, 0, kRightDraw, 0, 0});
    EXPECT_EQ(exercise::kRight, right.side);
    EXPECT_EQ(799, right.startX);

    for (const Launch* l : {&top, &left, &bottom, &right})
        EXPECT_FALSE(exercise::HasLeftScreen(l->x, l->y, l->width, l->height, 800, 600))
            << "side " << l->side;
}

TEST(LaunchStart, TheDrawsComeInTheOrderStartXStartYSideTargetXTargetY)
{
    // Only one coordinate of the start is replaced by the edge: the other
    // keeps its draw, and the target takes the fourth and fifth draws.
    const Launch l = Plan(0, {32767, 0, kBottomDraw, 16384, 32767});
    EXPECT_NEAR(287.99f, l.x, 0.01f); // 32767/32768 * 288
    EXPECT_EQ(599, l.startY);
    EXPECT_FLOAT_EQ(150.0f + 250 - 256, l.targetX);
    EXPECT_NEAR(200 + 199.99f - 235, l.targetY, 0.01f);
}

TEST(LaunchStart, TheTargetCentresTheBubbleInTheMiddleRegion)
{
    for (int k = 0; k < 10; ++k) {
        for (int draw : {0, 32767}) {
            const Launch l = Plan(k, {draw, draw, draw, draw, draw});
            const float centreX = l.targetX + l.width / 2;
            const float centreY = l.targetY + l.height / 2;
            EXPECT_GE(centreX, 250.0f);
            EXPECT_LT(centreX, 550.0f);
            EXPECT_GE(centreY, 200.0f);
            EXPECT_LT(centreY, 400.0f);
        }
    }
}

TEST(LaunchStart, TheBubbleFliesThroughItsTarget)
{
    const Launch l = Plan(3, {1234, 22222, kLeftDraw, 30000, 500});
    // Travel time from the float start to the target, at the bubble's speed.
    const float dx = l.targetX - l.x;
    const float dy = l.targetY - l.y;
    const float t = std::sqrt(dx * dx + dy * dy) /
                    std::sqrt(l.velocityX * l.velocityX + l.velocityY * l.velocityY);
    exercise::Flight flight{l.startX, l.startY, l.velocityX, l.velocityY};
    // The motion counts from the truncated start: within a pixel of the target.
    EXPECT_NEAR(l.targetX, flight.X(t), 1.0f);
    EXPECT_NEAR(l.targetY, flight.Y(t), 1.0f);
}

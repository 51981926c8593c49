// Scaling the 800 x 600 client area onto a full-screen window.
#include "platform/sdl/letterbox.h"

#include <gtest/gtest.h>

using platform::ClientToOutput;
using platform::ComputeLetterbox;
using platform::Letterbox;
using platform::OutputToClient;

namespace {
void ExpectBox(const Letterbox& b, int x, int y, int w, int h)
{
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.width, w);
    EXPECT_EQ(b.height, h);
}
} // namespace

TEST(Letterbox, ScalesUniformlyAndCentres)
{
    ExpectBox(ComputeLetterbox(800, 600, 800, 600), 0, 0, 800, 600);
    ExpectBox(ComputeLetterbox(1024, 768, 800, 600), 0, 0, 1024, 768);
    ExpectBox(ComputeLetterbox(1920, 1080, 800, 600), 240, 0, 1440, 1080); // bars left and right
    ExpectBox(ComputeLetterbox(1280, 1024, 800, 600), 0, 32, 1280, 960);   // bars above and below
    ExpectBox(ComputeLetterbox(1366, 768, 800, 600), 171, 0, 1024, 768);
    ExpectBox(ComputeLetterbox(640, 480, 800, 600), 0, 0, 640, 480); // scaled down
}

TEST(Letterbox, DegenerateSizesLeaveTheClientUnscaled)
{
    ExpectBox(ComputeLetterbox(0, 0, 800, 600), 0, 0, 800, 600);
    ExpectBox(ComputeLetterbox(-5, 100, 800, 600), 0, 0, 800, 600);
}

TEST(Letterbox, EveryClientPointSurvivesTheWayOutAndBack)
{
    const int outputs[][2] = {{800, 600},  {1024, 768},  {1920, 1080}, {1280, 1024},
                              {1366, 768}, {2560, 1440}, {3840, 2160}};
    for (const auto& o : outputs) {
        Letterbox box = ComputeLetterbox(o[0], o[1], 800, 600);
        for (int x = 0; x < 800; ++x) {
            POINT back = OutputToClient(box, 800, 600,
                                        ClientToOutput(box, 800, 600, POINT{x, 599 - x % 600}));
            ASSERT_EQ(back.x, x) << o[0] << "x" << o[1];
            ASSERT_EQ(back.y, 599 - x % 600) << o[0] << "x" << o[1];
        }
    }
}

TEST(Letterbox, EveryPixelOfTheBoxLandsInsideTheClientAndBordersOutside)
{
    Letterbox box = ComputeLetterbox(1920, 1080, 800, 600);
    for (int px = box.x; px < box.x + box.width; ++px) {
        POINT c = OutputToClient(box, 800, 600, POINT{px, 1079});
        ASSERT_GE(c.x, 0);
        ASSERT_LT(c.x, 800);
        ASSERT_EQ(c.y, 599);
    }
    EXPECT_LT(OutputToClient(box, 800, 600, POINT{box.x - 1, 0}).x, 0);
    EXPECT_GE(OutputToClient(box, 800, 600, POINT{box.x + box.width, 0}).x, 800);
}

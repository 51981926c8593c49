// The texture view's per-pixel hit test: the alpha threshold, the colour's
// alpha, the rotation and the source rectangle, each checked against the
// pixel that the device draws at the same place.
#include "framework/views/IMTextureView.h"
#include "texture_fixture.h"

#include <gtest/gtest.h>

using testing_support::TextureTest;

namespace {

class TextureHit : public TextureTest {};

} // namespace

TEST_F(TextureHit, DefaultThresholdTakesOnlyFullyOpaquePixels)
{
    // One column per alpha: 255, 254, 2, 1, 0.
    const uint32_t alphas[5] = {255, 254, 2, 1, 0};
    MakeTexture(L"alphas", 5, 1, [&](int x, int) { return alphas[x] << 24 | 0xFFFFFF; });
    IMTextureView view;
    view.SetTexture(L"alphas");
    view.SetRect(RECT{0, 0, 5, 1});
    ASSERT_EQ(view.hitThreshold, 255);
    EXPECT_TRUE(view.HitTest(POINT{0, 0}));
    EXPECT_FALSE(view.HitTest(POINT{1, 0}));

    view.hitThreshold = 1;
    EXPECT_TRUE(view.HitTest(POINT{2, 0}));
    EXPECT_TRUE(view.HitTest(POINT{3, 0}));
    EXPECT_FALSE(view.HitTest(POINT{4, 0}));
}

TEST_F(TextureHit, ColourAlphaScalesThePixelAlpha)
{
    const uint32_t alphas[3] = {255, 2, 1};
    MakeTexture(L"alphas", 3, 1, [&](int x, int) { return alphas[x] << 24 | 0xFFFFFF; });
    IMTextureView view;
    view.SetTexture(L"alphas");
    view.SetRect(RECT{0, 0, 3, 1});

    // The instruction's translucent pictures are never hit at 255.
    view.colour = 0xA5FFFFFF;
    EXPECT_FALSE(view.HitTest(POINT{0, 0}));

    // 2 × 128 / 255 = 1 reaches threshold 1; 1 × 128 / 255 = 0 does not.
    view.colour = 0x80FFFFFF;
    view.hitThreshold = 1;
    EXPECT_TRUE(view.HitTest(POINT{0, 0}));
    EXPECT_TRUE(view.HitTest(POINT{1, 0}));
    EXPECT_FALSE(view.HitTest(POINT{2, 0}));
}

TEST_F(TextureHit, RectangleEdgesAndStretching)
{
    // Opaque except a clear right half.
    MakeTexture(L"half", 10, 10, [](int x, int) { return x < 5 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
    IMTextureView view;
    view.SetTexture(L"half");
    view.SetRect(RECT{100, 50, 140, 60});      // four times as wide
    EXPECT_TRUE(view.HitTest(POINT{100, 50})); // left and top inclusive
    EXPECT_TRUE(view.HitTest(POINT{119, 59}));
    EXPECT_FALSE(view.HitTest(POINT{120, 55})); // maps to column 5: clear
    EXPECT_FALSE(view.HitTest(POINT{99, 55}));
    EXPECT_FALSE(view.HitTest(POINT{110, 60})); // bottom exclusive
}

TEST_F(TextureHit, RotatedViewIsHitWhereTheTurnedQuadIsDrawn)
{
    // 40 × 20: clear left half, opaque red right half.
    MakeTexture(L"bar", 40, 20, [](int x, int) { return x < 20 ? 0x000000FFu : 0xFFFF0000u; });
    IMTextureView view;
    view.SetTexture(L"bar");
    view.SetRect(RECT{100, 100, 140, 120});
    view.angle = 1.5707963f;
    const auto frame = DrawAlone({&view});

    // (120, 125) is below the unrotated rectangle, inside the turned quad,
    // over its opaque half.
    EXPECT_TRUE(view.HitTest(POINT{120, 125}));
    EXPECT_EQ(frame.At(120, 125), 0xFFFF0000u);
    // Above the centre lies the clear half: drawn as nothing, not hit.
    EXPECT_FALSE(view.HitTest(POINT{120, 95}));
    EXPECT_EQ(frame.At(120, 95), 0xFF000000u);
    // Inside the unrotated rectangle but outside the turned quad.
    EXPECT_FALSE(view.HitTest(POINT{135, 110}));

    // Unrotated, the same view is hit only in its own rectangle.
    view.angle = 0.0f;
    EXPECT_FALSE(view.HitTest(POINT{120, 125}));
    EXPECT_TRUE(view.HitTest(POINT{130, 110}));
}

TEST_F(TextureHit, SourceOriginPicksThePixelWhereTheQuadShowsIt)
{
    // 64 × 64 in four quadrants; only the top-right one is opaque, and it
    // has a clear hole at columns 40..47, rows 8..15.
    MakeTexture(L"quads", 64, 64, [](int x, int y) {
        const bool hole = x >= 40 && x < 48 && y >= 8 && y < 16;
        return x >= 32 && y < 32 && !hole ? 0xFF00FF00u : 0x00000000u;
    });
    IMTextureView view;
    view.SetTexture(L"quads");
    view.SetSourceRect(RECT{32, 0, 64, 32});
    view.SetRect(RECT{0, 0, 64, 64}); // the quadrant twice its size
    const auto frame = DrawAlone({&view});
    for (const POINT p :
         {POINT{2, 2}, POINT{10, 40}, POINT{60, 60}, POINT{17, 17}, POINT{30, 20}}) {
        const bool drawn = frame.At(p.x, p.y) == 0xFF00FF00u;
        EXPECT_EQ(view.HitTest(p), drawn) << p.x << "," << p.y;
    }
    EXPECT_TRUE(view.HitTest(POINT{2, 2}));
    EXPECT_FALSE(view.HitTest(POINT{17, 17})); // the hole: texel (40, 8)
}

TEST_F(TextureHit, ViewWithoutTextureIsNeverHit)
{
    IMTextureView view;
    view.SetRect(RECT{0, 0, 100, 100});
    view.hitThreshold = 0;
    EXPECT_FALSE(view.HitTest(POINT{5, 5}));
}

TEST_F(TextureHit, DroppedDeviceTextureIsRestoredAndStillHit)
{
    const int id = MakeSolid(L"solid", 4, 4, 0xFFFFFFFF);
    IMTextureView view;
    view.SetTexture(L"solid");
    view.SetRect(RECT{0, 0, 4, 4});
    Manager().DropDeviceTexture(id);
    EXPECT_TRUE(view.HitTest(POINT{1, 1}));
    EXPECT_NE(Manager().GetTextureRecord(id)->texture, nullptr);
}

TEST_F(TextureHit, HugeStretchDoesNotOverflowTheMapping)
{
    MakeTexture(L"half", 4096, 1, [](int x, int) { return x < 2048 ? 0xFFFFFFFFu : 0u; });
    IMTextureView view;
    view.SetTexture(L"half");
    view.SetRect(RECT{0, 0, 2000000, 1});
    EXPECT_TRUE(view.HitTest(POINT{999000, 0}));
    EXPECT_FALSE(view.HitTest(POINT{1001000, 0}));
}

// Which pixels a quad covers: its destination rectangle exactly, shared
// edges drawn once, rotations, and the viewport as the clip rectangle.
// Each test runs on the rectangle path and on the general triangle path.
#include "tests/platform/d3d9/fixture.h"

#include <cmath>

namespace {

using d3d9fixture::Coverage;
using d3d9fixture::CoverageOf;
using d3d9fixture::Frame;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;

uint32_t Round(double v)
{
    return static_cast<uint32_t>(std::floor(v + 0.5));
}

// src × α + dst × (1 − α) on every channel.
uint32_t Over(uint32_t s, uint32_t d)
{
    const uint32_t a = s >> 24;
    uint32_t out = 0;
    for (int i = 0; i < 32; i += 8)
        out |= Round((((s >> i) & 255) * a + ((d >> i) & 255) * (255.0 - a)) / 255.0) << i;
    return out;
}

class Coverage_ : public d3d9fixture::DeviceTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        platform::d3d9test::SetFastPathsEnabled(GetParam());
    }

    // Every pixel inside `r` is `inside`, every other one `outside`.
    void ExpectRect(const Frame& f, RECT r, uint32_t inside, uint32_t outside)
    {
        int wrong = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (f.At(x, y) != (in ? inside : outside) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << f.At(x, y);
            }
        EXPECT_EQ(wrong, 0);
    }
};

using QuadCoverage = Coverage_;

TEST_P(QuadCoverage, CoversExactlyTheDestinationRectangle)
{
    const auto tex = SolidTexture(64, 64, kWhite);
    const RECT cases[] = {
        {10, 20, 13, 25},     // odd sizes
        {100, 100, 164, 132}, // even sizes
        {7, 8, 8, 9},         // one pixel
        {-5, -7, 10, 9},      // partly above and left of the screen
        {790, 590, 830, 641}, // partly below and right
        {0, 0, 800, 600},     // the whole screen
    };
    for (const RECT& r : cases) {
        SCOPED_TRACE(::testing::Message()
                     << r.left << "," << r.top << "-" << r.right << "," << r.bottom);
        Begin();
        ASSERT_EQ(DrawQuad(tex, r), D3D_OK);
        ExpectRect(End(), r, kWhite, kBlack);
    }
}

TEST_P(QuadCoverage, QuadsWhollyOffScreenOrEmptyDrawNothing)
{
    const auto tex = SolidTexture(8, 8, kWhite);
    Begin();
    DrawQuad(tex, {-50, -50, -10, -10});
    DrawQuad(tex, {800, 0, 900, 100});
    DrawQuad(tex, {0, 600, 100, 700});
    DrawQuad(tex, {-1000000, 10, -999000, 20});
    DrawQuad(tex, {30, 30, 30, 40}); // no width
    EXPECT_EQ(CoverageOf(End(), kBlack).count, 0);
}

TEST_P(QuadCoverage, SharedEdgesAreDrawnOnceWithoutGaps)
{
    // Half-transparent quads: a pixel drawn twice would be brighter, a gap black.
    const auto tex = SolidTexture(16, 16, kWhite);
    const uint32_t once = Over(0x80FFFFFF, kBlack);
    Begin();
    // A 2 × 2 block of quads meeting at (40, 37), and a pair stacked below.
    DrawQuad(tex, {20, 20, 40, 37}, 0x80FFFFFF);
    DrawQuad(tex, {40, 20, 61, 37}, 0x80FFFFFF);
    DrawQuad(tex, {20, 37, 40, 50}, 0x80FFFFFF);
    DrawQuad(tex, {40, 37, 61, 50}, 0x80FFFFFF);
    DrawQuad(tex, {20, 50, 61, 51}, 0x80FFFFFF);
    DrawQuad(tex, {20, 51, 61, 60}, 0x80FFFFFF);
    ExpectRect(End(), {20, 20, 61, 60}, once, kBlack);

    // Square quads: their diagonals run through pixel centres.
    Begin();
    DrawQuad(tex, {100, 100, 116, 116}, 0x80FFFFFF);
    DrawQuad(tex, {116, 100, 132, 116}, 0x80FFFFFF);
    DrawQuad(tex, {100, 116, 116, 132}, 0x80FFFFFF);
    DrawQuad(tex, {116, 116, 132, 132}, 0x80FFFFFF);
    ExpectRect(End(), {100, 100, 132, 132}, once, kBlack);
}

TEST_P(QuadCoverage, RotatedHalfTransparentQuadsShareTheirDiagonalOnce)
{
    // The two triangles of a rotated quad meet on a slanted diagonal.
    const auto tex = SolidTexture(16, 16, kWhite);
    Begin();
    DrawQuad(tex, {300, 200, 400, 260}, 0x80FFFFFF, 0.3f);
    const Frame f = End();
    const uint32_t once = Over(0x80FFFFFF, kBlack);
    const Coverage c = CoverageOf(f, kBlack);
    EXPECT_NEAR(c.count, 6000, 120);
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            if (f.At(x, y) != kBlack) {
                ASSERT_EQ(f.At(x, y), once) << x << "," << y;
            }
}

// A 40 × 20 image of four colours: red top-left, green top-right, blue
// bottom-left, white bottom-right, in a 64 × 32 texture.
class RotatedQuad : public Coverage_ {
protected:
    static constexpr uint32_t kQuadrant[2][2] = {{0xFFFF0000, 0xFF00FF00},
                                                 {0xFF0000FF, 0xFFFFFFFF}};

    d3d9fixture::Texture Quadrants(int w, int h)
    {
        std::vector<uint32_t> pixels(w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[y * w + x] = kQuadrant[y >= h / 2][x >= w / 2];
        return MakeTexture(64, 32, pixels, w);
    }

    // Checks each pixel against the texel its centre maps to when the
    // rotation about the centre of `dest` is undone; pixels whose centre
    // lies within `margin` of an edge of the image or of a quadrant are not
    // checked. Returns the number of pixels covered.
    int ExpectRotated(const Frame& f, RECT dest, float angle, double margin = 0.02)
    {
        const double cx = (dest.left + dest.right) * 0.5, cy = (dest.top + dest.bottom) * 0.5;
        const double w = dest.right - dest.left, h = dest.bottom - dest.top;
        const double c = std::cos(double(angle)), s = std::sin(double(angle));
        int covered = 0, wrong = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const double px = x + 0.5 - cx, py = y + 0.5 - cy;
                const double lx = px * c + py * s + w / 2, ly = -px * s + py * c + h / 2;
                const uint32_t got = f.At(x, y);
                if (got != kBlack)
                    ++covered;
                const auto near = [&](double v, double edge) {
                    return std::fabs(v - edge) < margin;
                };
                if (near(lx, 0) || near(lx, w) || near(ly, 0) || near(ly, h) || near(lx, w / 2) ||
                    near(ly, h / 2))
                    continue;
                const bool inside = lx > 0 && lx < w && ly > 0 && ly < h;
                const uint32_t want = inside ? kQuadrant[ly > h / 2][lx > w / 2] : kBlack;
                if (got != want && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << got
                                  << " not " << want;
            }
        EXPECT_EQ(wrong, 0);
        return covered;
    }
};

constexpr uint32_t RotatedQuad::kQuadrant[2][2];

TEST_P(RotatedQuad, QuarterTurnCoversTheTurnedRectangleClockwise)
{
    const auto tex = Quadrants(40, 20);
    const RECT dest = {100, 100, 140, 120};
    Begin();
    ASSERT_EQ(DrawQuad(tex, dest, RECT{0, 0, 40, 20}, kWhite, 1.5707964f), D3D_OK);
    const Frame f = End();
    // Turned about (120, 110): 20 wide, 40 high.
    const Coverage c = CoverageOf(f, kBlack);
    EXPECT_EQ(c.left, 110);
    EXPECT_EQ(c.right, 130);
    EXPECT_EQ(c.top, 90);
    EXPECT_EQ(c.bottom, 130);
    EXPECT_EQ(c.count, 800);
    // Clockwise: the image's top-left corner is now at the top right.
    EXPECT_EQ(f.At(128, 91), kQuadrant[0][0]);
    EXPECT_EQ(f.At(128, 128), kQuadrant[0][1]);
    EXPECT_EQ(f.At(111, 128), kQuadrant[1][1]);
    EXPECT_EQ(f.At(111, 91), kQuadrant[1][0]);
    ExpectRotated(f, dest, 1.5707964f);
}

TEST_P(RotatedQuad, EighthTurnShowsTheImageTurnedAboutItsCentre)
{
    const auto tex = Quadrants(40, 20);
    const RECT dest = {200, 200, 240, 220};
    Begin();
    ASSERT_EQ(DrawQuad(tex, dest, RECT{0, 0, 40, 20}, kWhite, 0.7853982f), D3D_OK);
    const int covered = ExpectRotated(End(), dest, 0.7853982f);
    EXPECT_NEAR(covered, 800, 30);
}

TEST_P(RotatedQuad, AnyAngleKeepsTheImageInPlace)
{
    const auto tex = Quadrants(40, 20);
    const RECT dest = {380, 280, 420, 300};
    for (float angle : {0.3f, 1.0f, 2.5f, 3.1415927f, -0.6f, -2.0f}) {
        SCOPED_TRACE(angle);
        Begin();
        ASSERT_EQ(DrawQuad(tex, dest, RECT{0, 0, 40, 20}, kWhite, angle), D3D_OK);
        EXPECT_NEAR(ExpectRotated(End(), dest, angle), 800, 30);
    }
}

using Viewport = Coverage_;

TEST_P(Viewport, ClipsWhatIsDrawn)
{
    const auto tex = SolidTexture(16, 16, kWhite);
    D3DVIEWPORT9 vp = {50, 60, 100, 80, 0.0f, 1.0f};
    Begin();
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    DrawQuad(tex, {0, 0, 400, 400});
    ExpectRect(End(), {50, 60, 150, 140}, kWhite, kBlack);
}

TEST_P(Viewport, DoesNotMoveTheVertices)
{
    const auto tex = SolidTexture(16, 16, kWhite);
    D3DVIEWPORT9 vp = {50, 60, 100, 80, 0.0f, 1.0f};
    Begin();
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    DrawQuad(tex, {60, 70, 70, 80});
    DrawQuad(tex, {145, 135, 170, 170}); // only its top-left 5 × 5 is inside
    const Frame f = End();
    EXPECT_EQ(CoverageOf(f, kBlack).count, 100 + 25);
    EXPECT_EQ(f.At(60, 70), kWhite);
    EXPECT_EQ(f.At(69, 79), kWhite);
    EXPECT_EQ(f.At(149, 139), kWhite);
    EXPECT_EQ(f.At(150, 139), kBlack);
}

TEST_P(Viewport, ClipsRotatedQuads)
{
    const auto tex = SolidTexture(16, 16, kWhite);
    D3DVIEWPORT9 vp = {200, 200, 50, 40, 0.0f, 1.0f};
    Begin();
    device->SetViewport(&vp);
    DrawQuad(tex, {150, 150, 300, 300}, kWhite, 0.5f);
    ExpectRect(End(), {200, 200, 250, 240}, kWhite, kBlack);
}

TEST_P(Viewport, NarrowsClearToo)
{
    D3DVIEWPORT9 vp = {10, 20, 30, 40, 0.0f, 1.0f};
    Begin();
    device->SetViewport(&vp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kWhite, 1.0f, 0);
    ExpectRect(End(), {10, 20, 40, 60}, kWhite, kBlack);
}

INSTANTIATE_TEST_SUITE_P(Paths, QuadCoverage, ::testing::Values(true, false));
INSTANTIATE_TEST_SUITE_P(Paths, RotatedQuad, ::testing::Values(true, false));
INSTANTIATE_TEST_SUITE_P(Paths, Viewport, ::testing::Values(true, false));

} // namespace

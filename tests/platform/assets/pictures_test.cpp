// The exercise's pictures as embedded in the program: the background, the
// bubble and its burst, the praise cloud, the keyboard page, the mouse
// demonstration and the text view's whitespace symbols.
#include "pictures.h"

#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

using assets_test::Embedded;
using assets_test::Picture;

void ExpectFormat(const Picture& p, int width, int height, int colourType)
{
    ASSERT_TRUE(p.found);
    ASSERT_TRUE(p.decoded) << p.error;
    EXPECT_EQ(p.width, width);
    EXPECT_EQ(p.height, height);
    EXPECT_EQ(p.bitDepth, 8);
    EXPECT_EQ(p.colourType, colourType);
}

int CountAlpha(const Picture& p, int value)
{
    int n = 0;
    for (size_t i = 3; i < p.rgba.size(); i += 4)
        n += p.rgba[i] == value;
    return n;
}

// Where a pixel's centre lies relative to the ellipse inscribed in the picture,
// shrunk by `margin` pixels on each side: < 1 inside, > 1 outside.
double EllipseDistance(const Picture& p, int x, int y, double margin)
{
    double rx = p.width / 2.0 - margin, ry = p.height / 2.0 - margin;
    double u = (x + 0.5 - p.width / 2.0) / rx, v = (y + 0.5 - p.height / 2.0) / ry;
    return std::sqrt(u * u + v * v);
}

// ---------------------------------------------------------------------------

TEST(ExerciseBackground, IsAnOpaqueFullScreenPicture)
{
    ExpectFormat(Embedded("102"), 800, 600, assets_test::kRgb);
}

TEST(Bubble, IsSeeThroughAndHitsExactlyOnItsEllipse)
{
    Picture p = Embedded("103");
    ExpectFormat(p, 511, 470, assets_test::kRgba);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            // Alpha at least 1 on the whole bubble (a margin of 2 pixels
            // allowed at its edge), exactly 0 outside the inscribed ellipse.
            if (EllipseDistance(p, x, y, 2.0) < 1.0) {
                ASSERT_GE(p.Alpha(x, y), 1) << x << "," << y;
            }
            if (EllipseDistance(p, x, y, 0.0) > 1.0) {
                ASSERT_EQ(p.Alpha(x, y), 0) << x << "," << y;
            }
        }
    }
    // Translucent: the scene behind shows through its middle.
    EXPECT_LT(p.Alpha(255, 300), 100);
}

TEST(Bubble, HasAHighlightAndAColouredRim)
{
    Picture p = Embedded("103");
    ASSERT_TRUE(p.decoded);
    int highlight = 0;
    for (int y = 0; y < p.height / 2; ++y)
        for (int x = 0; x < p.width / 2; ++x) {
            const uint8_t* px = p.At(x, y);
            if (px[3] >= 180 && px[0] > 235 && px[1] > 235 && px[2] > 235)
                ++highlight;
        }
    EXPECT_GT(highlight, 200);

    // Round the rim the film shows different colours.
    int minHue = 360, maxHue = 0;
    for (int k = 0; k < 72; ++k) {
        double a = k * 2 * M_PI / 72;
        int x = static_cast<int>(255.5 + 235 * std::cos(a)),
            y = static_cast<int>(235 + 216 * std::sin(a));
        const uint8_t* px = p.At(x, y);
        int r = px[0], g = px[1], b = px[2];
        int mx = std::max({r, g, b}), mn = std::min({r, g, b});
        if (mx - mn < 12)
            continue;
        double hue = mx == r   ? 60.0 * (g - b) / (mx - mn)
                     : mx == g ? 120 + 60.0 * (b - r) / (mx - mn)
                               : 240 + 60.0 * (r - g) / (mx - mn);
        if (hue < 0)
            hue += 360;
        minHue = std::min(minHue, static_cast<int>(hue));
        maxHue = std::max(maxHue, static_cast<int>(hue));
    }
    EXPECT_GT(maxHue - minHue, 90);
}

TEST(BubbleBurst, EveryFrameHasFullyOpaquePixels)
{
    Picture frames[] = {Embedded("108"), Embedded("109"), assets_test::FromSideFile(110)};
    for (const Picture& p : frames) {
        ExpectFormat(p, 511, 470, assets_test::kRgba);
        EXPECT_GT(CountAlpha(p, 255), 50);
        EXPECT_GT(CountAlpha(p, 0), p.width * p.height / 2); // mostly clear: the bubble is gone
    }
    EXPECT_NE(frames[0].rgba, frames[1].rgba);
    EXPECT_NE(frames[1].rgba, frames[2].rgba);
}

TEST(BubbleBurst, StagesThinOutFromRingToLastDroplets)
{
    int clear108 = CountAlpha(Embedded("108"), 0), clear109 = CountAlpha(Embedded("109"), 0),
        clear110 = CountAlpha(assets_test::FromSideFile(110), 0);
    // More and more of the picture is clear as the burst goes on.
    EXPECT_LT(clear108, clear109);
    EXPECT_LT(clear109, clear110);
}

// ---------------------------------------------------------------------------

TEST(PraiseCloud, IsClearOverTheVideoWindowAndSolidAroundIt)
{
    Picture p = Embedded("oblako_png");
    ExpectFormat(p, 506, 350, assets_test::kRgba);
    for (int y = 76; y <= 276; ++y)
        for (int x = 93; x <= 413; ++x)
            ASSERT_EQ(p.Alpha(x, y), 0) << x << "," << y;
    // The ring: opaque cloud on each side of the window.
    EXPECT_EQ(p.Alpha(253, 40), 255);
    EXPECT_EQ(p.Alpha(253, 312), 255);
    EXPECT_EQ(p.Alpha(45, 175), 255);
    EXPECT_EQ(p.Alpha(460, 175), 255);
}

// ---------------------------------------------------------------------------

TEST(KeyboardPage, PicturesHaveTheirSizes)
{
    ExpectFormat(Embedded("KEYSPACE"), 112, 14, assets_test::kRgb);
    Picture keyboard = Embedded("KEYBOARDPIC");
    ASSERT_TRUE(keyboard.decoded);
    EXPECT_EQ(keyboard.width, 524);
    EXPECT_EQ(keyboard.height, 230);
    Picture mouse = Embedded("MOUSE");
    ASSERT_TRUE(mouse.decoded);
    EXPECT_EQ(mouse.width, 246);
    EXPECT_EQ(mouse.height, 246);
}

// Mean difference between the outermost ring of KEYSPACE's pixels and the
// keyboard's pixels under it when KEYSPACE is laid at (ox, oy).
double RimMismatch(const Picture& keyboard, const Picture& space, int ox, int oy)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < space.height; ++y)
        for (int x = 0; x < space.width; ++x) {
            if (x != 0 && y != 0 && x != space.width - 1 && y != space.height - 1)
                continue;
            for (int c = 0; c < 3; ++c)
                sum += std::abs(space.At(x, y)[c] - keyboard.At(ox + x, oy + y)[c]);
            n += 3;
        }
    return sum / n;
}

TEST(KeyboardPage, SpaceBarPictureLinesUpWithTheKeyboardsSpaceBar)
{
    // The page lays KEYSPACE at (237, 502) over the keyboard at (107, 347):
    // at (130, 155) inside the keyboard.
    Picture keyboard = Embedded("KEYBOARDPIC");
    Picture space = Embedded("KEYSPACE");
    ASSERT_TRUE(keyboard.decoded && space.decoded);
    EXPECT_LT(RimMismatch(keyboard, space, 130, 155), 2.0);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) {
                EXPECT_GT(RimMismatch(keyboard, space, 130 + dx, 155 + dy), 6.0);
            }

    // The keyboard's own bar is a plain key face, and the picture lights it up.
    double lit = 0;
    for (int y = 3; y < 11; ++y)
        for (int x = 3; x < 109; ++x) {
            const uint8_t* k = keyboard.At(130 + x, 155 + y);
            const uint8_t* s = space.At(x, y);
            EXPECT_EQ(k[3], 255);
            EXPECT_GT(k[0] + k[1] + k[2], 3 * 200);
            lit += std::abs(k[2] - s[2]); // the highlight is warm: less blue
        }
    EXPECT_GT(lit / (8 * 106), 60.0);
}

// ---------------------------------------------------------------------------

const char* const kMice[] = {"MOUSE_M",     "MOUSE_MB", "MOUSE_MB_PR", "MOUSE_MB_R1",
                             "MOUSE_MB_R2", "MOUSE_ML", "MOUSE_MR"};

TEST(MouseDemonstration, MousePicturesAreRgbaOfOneSize)
{
    for (const char* name : kMice) {
        SCOPED_TRACE(name);
        ExpectFormat(Embedded(name), 46, 79, assets_test::kRgba);
    }
    ExpectFormat(Embedded("CURSOR"), 12, 21, assets_test::kRgba);
}

// How much `a` differs from `b` in the given half of the mouse's front.
double FrontDifference(const Picture& a, const Picture& b, int x0, int x1)
{
    double sum = 0;
    int n = 0;
    for (int y = 5; y < 30; ++y)
        for (int x = x0; x < x1; ++x) {
            for (int c = 0; c < 4; ++c)
                sum += std::abs(a.At(x, y)[c] - b.At(x, y)[c]);
            ++n;
        }
    return sum / n;
}

TEST(MouseDemonstration, PressedButtonShowsOnItsOwnSide)
{
    Picture rest = Embedded("MOUSE_M");
    Picture left = Embedded("MOUSE_ML");
    Picture right = Embedded("MOUSE_MR");
    ASSERT_TRUE(rest.decoded && left.decoded && right.decoded);
    EXPECT_GT(FrontDifference(left, rest, 4, 18), 20.0);
    EXPECT_LT(FrontDifference(left, rest, 28, 42), 1.0);
    EXPECT_GT(FrontDifference(right, rest, 28, 42), 20.0);
    EXPECT_LT(FrontDifference(right, rest, 4, 18), 1.0);
    for (const char* wheel : {"MOUSE_MB", "MOUSE_MB_PR", "MOUSE_MB_R1", "MOUSE_MB_R2"}) {
        SCOPED_TRACE(wheel);
        EXPECT_GT(FrontDifference(Embedded(wheel), rest, 19, 28), 10.0);
    }
    EXPECT_NE(Embedded("MOUSE_MB_R1").rgba, Embedded("MOUSE_MB_R2").rgba);
}

TEST(MouseDemonstration, PointerTipIsTheTopLeftPixel)
{
    Picture p = Embedded("CURSOR");
    ASSERT_TRUE(p.decoded);
    EXPECT_EQ(p.Alpha(0, 0), 255);
    for (int x = 1; x < p.width; ++x)
        EXPECT_EQ(p.Alpha(x, 0), 0);
    // An arrow widening downwards from the tip.
    auto width = [&](int y) {
        int n = 0;
        for (int x = 0; x < p.width; ++x)
            n += p.Alpha(x, y) == 255;
        return n;
    };
    EXPECT_LT(width(2), width(6));
    EXPECT_LT(width(6), width(10));
}

// ---------------------------------------------------------------------------

TEST(WhitespaceSymbols, SpaceIsAnOpaqueDot)
{
    Picture p = Embedded("SYMBOL_SPACE");
    ASSERT_TRUE(p.decoded);
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint8_t* px = p.At(x, y);
            EXPECT_EQ(px[0], 32);
            EXPECT_EQ(px[1], 28);
            EXPECT_EQ(px[2], 25);
            EXPECT_EQ(px[3], 255);
        }
}

TEST(WhitespaceSymbols, LineEndAndTabAreDarkSignsOnClearPixels)
{
    Picture line = Embedded("SYMBOL_LINE");
    ExpectFormat(line, 11, 21, assets_test::kRgba);
    Picture tab = Embedded("SYMBOL_TAB");
    ExpectFormat(tab, 10, 5, assets_test::kRgba);
    for (const Picture* p : {&line, &tab}) {
        int dark = 0;
        for (int y = 0; y < p->height; ++y)
            for (int x = 0; x < p->width; ++x)
                if (p->Alpha(x, y) == 255 && p->At(x, y)[0] < 64)
                    ++dark;
        EXPECT_GT(dark, 8);
        EXPECT_GT(CountAlpha(*p, 0), p->width * p->height / 3);
    }
    // The tab arrow points right: its tip is the middle of the last column,
    // its head is taller than its tail.
    EXPECT_EQ(tab.Alpha(9, 2), 255);
    EXPECT_EQ(tab.Alpha(9, 0), 0);
    EXPECT_EQ(tab.Alpha(0, 0), 0);
    EXPECT_EQ(tab.Alpha(6, 0), 255);
}

TEST(WhitespaceSymbols, EmptyLineFeedIsOneClearWhitePixel)
{
    Picture p = Embedded("SYMBOL_EMPTY");
    ASSERT_TRUE(p.decoded);
    ASSERT_EQ(p.rgba.size(), 4u);
    EXPECT_EQ(p.rgba, (std::vector<uint8_t>{255, 255, 255, 0}));
}

// ---------------------------------------------------------------------------

TEST(EmbeddedPictures, EveryEmbeddedPngDecodes)
{
    int pictures = 0;
    for (const std::string& name : platform::EmbeddedBlobNames()) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(platform::FindEmbeddedBlob(name, &data, &size));
        if (size < 8 || std::memcmp(data, "\x89PNG", 4) != 0)
            continue;
        SCOPED_TRACE(name);
        Picture p = assets_test::Decode(data, size);
        EXPECT_TRUE(p.decoded) << p.error;
        ++pictures;
    }
    // 57 skins, the cloud, the keyboard page's three, eight for the
    // demonstration, four whitespace symbols.
    EXPECT_GE(pictures, 57 + 1 + 3 + 8 + 4);
}

} // namespace

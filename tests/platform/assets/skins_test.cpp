// The skin pictures as embedded in the program: all 57 present with their
// sizes, buttons hit-testable in every state, and the fills the screens
// rely on.
#include "pictures.h"

#include "assets/skins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {

using assets_test::Embedded;
using assets_test::Picture;

const char* const kButtons[] = {"PrintButton",   "SaveAsButton",        "RetryButton",
                                "CloseButton",   "StartPopStartButton", "SubmitButton",
                                "OptionsButton", "CancelButton"};

std::vector<bool> Footprint(const Picture& p)
{
    std::vector<bool> opaque(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            opaque[static_cast<size_t>(y) * p.width + x] = p.Alpha(x, y) == 255;
    return opaque;
}

double RelativeLuminance(const uint8_t* rgb)
{
    auto linear = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
}

double ContrastRatio(const uint8_t* a, const uint8_t* b)
{
    double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    if (la < lb)
        std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

TEST(SkinTable, StartsWithTheBackgroundAndNamesEachSkinOnce)
{
    ASSERT_EQ(assets::kSkinCount, 57u);
    EXPECT_STREQ(assets::kSkins[0].name, "DefaultBackGround");
    EXPECT_STREQ(assets::kSkins[56].name, "SelectionMask");
    std::set<std::string> names;
    for (const assets::SkinImage& skin : assets::kSkins)
        names.insert(skin.name);
    EXPECT_EQ(names.size(), 57u);
}

TEST(SkinPictures, EverySkinIsEmbeddedAsAn8BitPngOfItsSize)
{
    for (const assets::SkinImage& skin : assets::kSkins) {
        SCOPED_TRACE(skin.name);
        Picture p = Embedded(skin.name);
        ASSERT_TRUE(p.found);
        ASSERT_TRUE(p.decoded) << p.error;
        EXPECT_EQ(p.width, skin.width);
        EXPECT_EQ(p.height, skin.height);
        EXPECT_EQ(p.bitDepth, 8);
        EXPECT_TRUE(p.colourType == assets_test::kRgb || p.colourType == assets_test::kRgba);
    }
}

TEST(ButtonPictures, HaveOnlyFullyOpaqueOrFullyClearPixels)
{
    for (const char* base : kButtons) {
        for (const char* suffix : {"", "Nuv", "Klick"}) {
            std::string name = std::string(base) + suffix;
            SCOPED_TRACE(name);
            Picture p = Embedded(name);
            ASSERT_TRUE(p.decoded);
            int other = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    if (p.Alpha(x, y) != 0 && p.Alpha(x, y) != 255)
                        ++other;
            EXPECT_EQ(other, 0);
        }
    }
    Picture exit = Embedded("ExitButton");
    ASSERT_TRUE(exit.decoded);
    for (size_t i = 3; i < exit.rgba.size(); i += 4)
        EXPECT_TRUE(exit.rgba[i] == 0 || exit.rgba[i] == 255);
    EXPECT_EQ(exit.Alpha(10, 10), 255);
}

TEST(ButtonPictures, ThreeStatesShareOneOpaqueFootprint)
{
    for (const char* base : kButtons) {
        SCOPED_TRACE(base);
        Picture normal = Embedded(base);
        Picture hover = Embedded(std::string(base) + "Nuv");
        Picture pressed = Embedded(std::string(base) + "Klick");
        ASSERT_TRUE(normal.decoded && hover.decoded && pressed.decoded);
        std::vector<bool> footprint = Footprint(normal);
        EXPECT_EQ(Footprint(hover), footprint);
        EXPECT_EQ(Footprint(pressed), footprint);
        // The button is clickable nearly everywhere: only its rounded corners are clear.
        size_t opaque = 0;
        for (bool b : footprint)
            opaque += b;
        EXPECT_GT(opaque, footprint.size() * 9 / 10);
        EXPECT_EQ(normal.Alpha(normal.width / 2, normal.height / 2), 255);
        EXPECT_EQ(normal.Alpha(0, 0), 0);
    }
}

TEST(ButtonPictures, HoverAndPressedStatesLookDifferent)
{
    for (const char* base : kButtons) {
        SCOPED_TRACE(base);
        Picture normal = Embedded(base);
        Picture hover = Embedded(std::string(base) + "Nuv");
        Picture pressed = Embedded(std::string(base) + "Klick");
        std::vector<bool> footprint = Footprint(normal);
        EXPECT_GT(assets_test::MeanColourDifference(normal, hover, footprint), 20.0);
        EXPECT_GT(assets_test::MeanColourDifference(normal, pressed, footprint), 20.0);
        EXPECT_GT(assets_test::MeanColourDifference(hover, pressed, footprint), 20.0);
    }
}

TEST(ButtonPictures, CarryADarkCaptionInTheMiddle)
{
    for (const char* base : kButtons) {
        for (const char* suffix : {"", "Nuv", "Klick"}) {
            std::string name = std::string(base) + suffix;
            SCOPED_TRACE(name);
            Picture p = Embedded(name);
            int dark = 0;
            for (int y = p.height / 4; y < p.height * 3 / 4; ++y)
                for (int x = p.width / 6; x < p.width * 5 / 6; ++x)
                    if (RelativeLuminance(p.At(x, y)) < 0.05)
                        ++dark;
            EXPECT_GT(dark, 40);
        }
    }
}

TEST(ScreenPictures, BackgroundIsOpaqueAndClearlyContrastsWithTheText)
{
    Picture p = Embedded("DefaultBackGround");
    ASSERT_TRUE(p.decoded);
    EXPECT_EQ(p.colourType, assets_test::kRgb);
    const uint8_t text[3] = {0x07, 0x21, 0x34};
    double worst = 100;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            worst = std::min(worst, ContrastRatio(p.At(x, y), text));
    EXPECT_GE(worst, 7.0); // dark blue text stays easy to read anywhere on it
}

TEST(ScreenPictures, CaretIsOpaqueBlack)
{
    // The caret, the frames of edit bars and dialogs and the exit dialog's
    // veil are all drawn with it.
    Picture p = Embedded("EditBarKaretka");
    ASSERT_TRUE(p.decoded);
    ASSERT_EQ(p.rgba.size(), 19u * 4);
    for (int y = 0; y < 19; ++y) {
        const uint8_t* px = p.At(0, y);
        EXPECT_EQ(px[0] + px[1] + px[2], 0);
        EXPECT_EQ(px[3], 255);
    }
}

TEST(ScreenPictures, EditFillIsWhiteAndSelectionIsALightHighlight)
{
    Picture fill = Embedded("EditBarBackGround");
    ASSERT_TRUE(fill.decoded);
    EXPECT_EQ(fill.At(0, 0)[0], 255);
    EXPECT_EQ(fill.At(0, 0)[1], 255);
    EXPECT_EQ(fill.At(0, 0)[2], 255);
    EXPECT_EQ(fill.At(0, 0)[3], 255);

    Picture selection = Embedded("SelectionMask");
    ASSERT_TRUE(selection.decoded);
    const uint8_t black[3] = {0, 0, 0};
    EXPECT_EQ(selection.At(0, 0)[3], 255);
    EXPECT_GE(ContrastRatio(selection.At(0, 0), black), 7.0);         // black text readable on it
    EXPECT_GE(ContrastRatio(selection.At(0, 0), fill.At(0, 0)), 1.2); // and it shows on white
}

TEST(ScreenPictures, ScrollBarPartsAreOpaque)
{
    // They are buttons stretched over the bar, hit-tested per pixel.
    for (const char* name :
         {"ScrollSlider", "ScrollBackground", "ScrollButtonUp", "ScrollButtonDown"}) {
        SCOPED_TRACE(name);
        Picture p = Embedded(name);
        ASSERT_TRUE(p.decoded);
        for (size_t i = 3; i < p.rgba.size(); i += 4)
            ASSERT_EQ(p.rgba[i], 255);
    }
}

} // namespace

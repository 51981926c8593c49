// Text metrics and ABC widths of the face standing in for Arial, at the
// heights the screens use. Liberation Sans has Arial's metrics, so expected
// values come from Arial's own numbers: a Windows cell of 2288 units (ascent
// 1854, descent 434) on an em of 2048, and its advance widths.
#include "font.h"
#include "raster.h"

#include "platform/gdi32/face_info.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gdi_test::ScreenFont;

const int kScreenHeights[] = {14, 16, 18, 20, 21, 24, 25};
constexpr double kArialCell = 2288.0;

// Arial's advances in font units, regular and bold.
const struct {
    wchar_t c;
    int regular, bold;
} kArialWidths[] = {{L' ', 569, 569},   {L'a', 1139, 1139}, {L'W', 1933, 1933}, {L'm', 1706, 1821},
                    {L'i', 455, 569},   {L'0', 1139, 1139}, {L'A', 1366, 1479}, {L'@', 2079, 1997},
                    {L'«', 1139, 1139}, {L'»', 1139, 1139}, {L'g', 1139, 1251}};

long Scaled(double units, int cell)
{
    return std::lround(units * cell / kArialCell);
}

} // namespace

TEST(TextMetrics, CellHeightIsTheRequestedHeight)
{
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        for (int h : kScreenHeights) {
            const TEXTMETRICW tm = ScreenFont(L"Arial", h, weight).Metrics();
            EXPECT_EQ(tm.tmHeight, h);
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
            EXPECT_NEAR(tm.tmDescent, h * 434 / kArialCell, 0.5) << h;
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, Scaled(2048, h)) << h; // the em
        }
    }
    const TEXTMETRICW tm = ScreenFont(L"Arial", 16).Metrics(); // as Windows gives it
    EXPECT_EQ(tm.tmAscent, 13);
    EXPECT_EQ(tm.tmDescent, 3);
    EXPECT_EQ(tm.tmInternalLeading, 2);
}

TEST(TextMetrics, NegativeHeightIsTheEmHeight)
{
    const TEXTMETRICW tm = ScreenFont(L"Arial", -16).Metrics();
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_GT(ScreenFont(L"Arial", -16).Advance('m'), ScreenFont(L"Arial", 16).Advance('m'));
}

TEST(TextMetrics, LeadingAndAverageWidthComeFromTheFaceTables)
{
    for (int h : kScreenHeights) {
        ScreenFont font(L"Arial", h);
        platform::gdi::FaceInfo info;
        ASSERT_TRUE(platform::gdi::InspectFace(font.dc, 'a', &info));
        FT_Library library;
        FT_Face face;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, info.path.c_str(), info.index, &face), 0);
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
        ASSERT_TRUE(os2 && hhea);
        const double cell = os2->usWinAscent + os2->usWinDescent;
        const double gap = hhea->Line_Gap - (cell - (hhea->Ascender - hhea->Descender));
        const TEXTMETRICW tm = font.Metrics();
        EXPECT_EQ(tm.tmExternalLeading, std::max(0L, std::lround(gap * h / cell))) << h;
        EXPECT_EQ(tm.tmAveCharWidth, std::lround(os2->xAvgCharWidth * h / cell)) << h;
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
}

TEST(TextMetrics, DescribeTheFace)
{
    const TEXTMETRICW tm = ScreenFont(L"Arial", 18).Metrics();
    EXPECT_EQ(tm.tmWeight, 400);
    EXPECT_EQ(ScreenFont(L"Arial", 18, FW_BOLD).Metrics().tmWeight, 700);
    EXPECT_EQ(tm.tmItalic, 0);
    EXPECT_NE(ScreenFont(L"Arial", 18, FW_NORMAL, true).Metrics().tmItalic, 0);
    EXPECT_EQ(tm.tmCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(ScreenFont(L"Arial", 18, FW_NORMAL, false, 0, DEFAULT_CHARSET).Metrics().tmCharSet,
              RUSSIAN_CHARSET); // the system's code page is 1251
    // A variable-pitch TrueType sans-serif face, as Arial reports itself.
    EXPECT_EQ(tm.tmPitchAndFamily, TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS);
    EXPECT_EQ(tm.tmBreakChar, L' ');
    EXPECT_LE(tm.tmFirstChar, L' ');
    EXPECT_GE(tm.tmLastChar, L'я');
    EXPECT_GE(tm.tmMaxCharWidth, ScreenFont(L"Arial", 18).Advance('W'));
}

TEST(TextMetrics, WidthIsTheAverageCharacterWidth)
{
    ScreenFont narrow(L"Arial", 16, FW_NORMAL, false, 5), wide(L"Arial", 16, FW_NORMAL, false, 20);
    EXPECT_EQ(narrow.Metrics().tmAveCharWidth, 5);
    EXPECT_EQ(wide.Metrics().tmAveCharWidth, 20);
    EXPECT_EQ(wide.Metrics().tmHeight, 16);
    EXPECT_LT(narrow.Advance('W'), ScreenFont(L"Arial", 16).Advance('W'));
    EXPECT_GT(wide.Advance('W'), ScreenFont(L"Arial", 16).Advance('W'));
}

TEST(AbcWidths, AdvancesAreArialsAtEveryScreenHeight)
{
    EXPECT_EQ(ScreenFont(L"Arial", 16).Advance('a'), 8);
    for (int h : kScreenHeights) {
        ScreenFont regular(L"Arial", h), bold(L"Arial", h, FW_BOLD);
        for (const auto& known : kArialWidths) {
            SCOPED_TRACE(testing::Message()
                         << "U+" << std::hex << unsigned(known.c) << std::dec << " at " << h);
            EXPECT_EQ(regular.Advance(known.c), Scaled(known.regular, h));
            EXPECT_EQ(bold.Advance(known.c), Scaled(known.bold, h));
        }
    }
}

TEST(AbcWidths, AreTheGlyphsBearingBlackBoxAndRest)
{
    ScreenFont font(L"Arial", 24);
    for (wchar_t c : std::wstring(L"АжЁg@»0WjfЩ")) {
        const ABC abc = font.Widths(c);
        GLYPHMETRICS gm{};
        gdi_test::NativeOutline(font.dc, c, &gm);
        EXPECT_EQ(abc.abcA, gm.gmptGlyphOrigin.x) << unsigned(c);
        EXPECT_EQ(abc.abcB, gm.gmBlackBoxX) << unsigned(c);
        EXPECT_EQ(abc.abcA + int(abc.abcB) + abc.abcC, gm.gmCellIncX) << unsigned(c);
        EXPECT_EQ(gm.gmCellIncY, 0);
    }
    for (int h : kScreenHeights) { // the space: blank, with a one-pixel box
        const ABC space = ScreenFont(L"Arial", h).Widths(' ');
        EXPECT_EQ(space.abcA, 0);
        EXPECT_EQ(space.abcB, 1u);
        EXPECT_EQ(space.abcC, Scaled(569, h) - 1);
    }
}

TEST(AbcWidths, RangeMatchesSingleCharactersAndBadArgumentsFail)
{
    ScreenFont font(L"Arial", 18);
    ABC range[6];
    ASSERT_TRUE(GetCharABCWidthsW(font.dc, L'а', L'е', range));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(range[i].abcA, font.Widths(L'а' + i).abcA);
        EXPECT_EQ(range[i].abcB, font.Widths(L'а' + i).abcB);
        EXPECT_EQ(range[i].abcC, font.Widths(L'а' + i).abcC);
    }
    EXPECT_FALSE(GetCharABCWidthsW(font.dc, 'b', 'a', range));
    EXPECT_FALSE(GetCharABCWidthsW(font.dc, 'a', 'a', nullptr));
    EXPECT_FALSE(GetCharABCWidthsW(nullptr, 'a', 'a', range));
    EXPECT_FALSE(GetTextMetricsW(font.dc, nullptr));
}

TEST(GlyphMetrics, GlyphsSitOnTheBaselineInsideTheCell)
{
    for (int h : kScreenHeights) {
        ScreenFont font(L"Arial", h);
        const TEXTMETRICW tm = font.Metrics();
        GLYPHMETRICS gm{};
        // A descender reaches below the baseline, within the cell but for the
        // rounding of the black box outwards to whole pixels.
        gdi_test::NativeOutline(font.dc, 'g', &gm);
        EXPECT_LT(gm.gmptGlyphOrigin.y - int(gm.gmBlackBoxY), 0) << h;
        EXPECT_GE(gm.gmptGlyphOrigin.y - int(gm.gmBlackBoxY), -tm.tmDescent - 1) << h;
        gdi_test::NativeOutline(font.dc, L'Ё', &gm);
        EXPECT_LE(gm.gmptGlyphOrigin.y, tm.tmAscent) << h;
        gdi_test::NativeOutline(font.dc, L'Н', &gm);
        EXPECT_EQ(gm.gmptGlyphOrigin.y, int(gm.gmBlackBoxY)) << h; // on the baseline
    }
}

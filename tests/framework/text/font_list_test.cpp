// The font list: fonts made once per face, height, weight and slant, with
// the underline flag left out of the match; GDI's answers cached.
#include "framework/text/IMFont.h"

#include <gtest/gtest.h>

TEST(FontList, ReusesAFontForTheSameRequestAndIgnoresUnderline)
{
    IMFontList fonts;
    const int plain = fonts.GetFont(L"Arial", 16, false, false, false);
    EXPECT_EQ(plain, fonts.GetFont(L"Arial", 16, false, false, false));
    EXPECT_EQ(plain, fonts.GetFont(L"Arial", 16, false, false, true));
    EXPECT_EQ(1, fonts.Count());
    EXPECT_FALSE(fonts.Font(plain).underline);

    EXPECT_NE(plain, fonts.GetFont(L"Arial", 18, false, false, false));
    EXPECT_NE(plain, fonts.GetFont(L"Arial", 16, true, false, false));
    EXPECT_NE(plain, fonts.GetFont(L"Arial", 16, false, true, false));
    EXPECT_NE(plain, fonts.GetFont(L"Times New Roman", 16, false, false, false));
    EXPECT_EQ(5, fonts.Count());
    EXPECT_NE(nullptr, fonts.ScreenDC());
}

TEST(FontList, MakesFontsWithTheRequestedCellWeightAndCharacterSet)
{
    IMFontList fonts;
    const IMFont& regular = fonts.Font(fonts.GetFont(L"Arial", 18, false, false, false));
    const IMFont& bold = fonts.Font(fonts.GetFont(L"Arial", 18, true, false, false));
    EXPECT_EQ(18, regular.metrics.tmHeight);
    EXPECT_EQ(400, regular.metrics.tmWeight);
    EXPECT_EQ(700, bold.metrics.tmWeight);
    EXPECT_EQ(RUSSIAN_CHARSET, regular.metrics.tmCharSet);
    EXPECT_GT(regular.metrics.tmDescent, 0);
}

TEST(FontList, CachesWidthsAndOutlinesPerCharacter)
{
    IMFontList fonts;
    const int f = fonts.GetFont(L"Arial", 16, false, false, false);
    ABC wide, narrow;
    fonts.GetCharWidths(f, L'Ш', &wide);
    fonts.GetCharWidths(f, L'i', &narrow);
    EXPECT_GT(wide.abcA + static_cast<int>(wide.abcB) + wide.abcC,
              narrow.abcA + static_cast<int>(narrow.abcB) + narrow.abcC);
    EXPECT_EQ(2u, fonts.Font(f).widths.size());

    EXPECT_GT(fonts.OutlineSizeOf(f, L'Ш'), 0);
    EXPECT_EQ(static_cast<size_t>(fonts.OutlineSizeOf(f, L'Ш')), fonts.OutlineOf(f, L'Ш').size());
    EXPECT_EQ(0, fonts.OutlineSizeOf(f, L' '));
    EXPECT_EQ(2u, fonts.Font(f).outlines.size());
    EXPECT_EQ(2u, fonts.Font(f).glyphMetrics.size());
    EXPECT_GT(fonts.MetricsOf(f, L'Ш').gmBlackBoxX, 0u);
}

// The glyph key names every property of a glyph, colours as signed decimals.
#include "framework/text/IMGlyph.h"
#include "framework/text/IMGlyphKey.h"

#include <gtest/gtest.h>

TEST(GlyphKey, RunsEveryPropertyTogetherWithColoursAsSignedDecimals)
{
    EXPECT_EQ(
        L"ArialA16-100011513775"
        L"0",
        MakeGlyphKey(L"Arial", L'A', 16, 0xFFFFFFFFu, false, false, false, 0x00AFAFAFu, false));
    EXPECT_EQ(L"ArialЖ18"
              L"453452084"
              L"1"
              L"0"
              L"1"
              L"-16777216"
              L"1",
              MakeGlyphKey(L"Arial", L'Ж', 18, 0x1B072134u, true, false, true, 0xFF000000u, true));
}

TEST(GlyphKey, StaysWithinTheKeyBufferForAnOverlongFace)
{
    const std::wstring key = MakeGlyphKey(std::wstring(400, L'x'), L'a', 16, 0xFFFFFFFFu, false,
                                          false, false, 0x00AFAFAFu, false);
    EXPECT_FALSE(key.empty());
    EXPECT_LE(key.size(), 255u);
}

TEST(GlyphKey, GlyphRebuildsItsKeyFromItsProperties)
{
    IMGlyph glyph(L'A', 0xFFFFFFFFu, false, false, false, 16, L"Arial", 0x00AFAFAFu);
    EXPECT_EQ(L"ArialA16-10001151377"
              L"50",
              glyph.key);
    glyph.bold = true;
    glyph.MakeGlyphKey();
    EXPECT_EQ(L"ArialA16-11001151377"
              L"50",
              glyph.key);
}

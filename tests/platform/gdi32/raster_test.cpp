// Glyphs drawn from GetGlyphOutlineW's records look like the face's own: close
// to FreeType's rasteriser (which flattens curves its own way) and the same
// shape as FreeType's outline through the same AGG pipeline.
#include "font.h"
#include "raster.h"

#include "platform/gdi32/face_info.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using gdi_test::Canvas;
using gdi_test::ScreenFont;

// |records − FreeType's bitmap| and |records − FreeType's outline by AGG|,
// as shares of the glyph's ink.
void ExpectLikeTheFace(const ScreenFont& font, const std::wstring& text, double render,
                       double outline)
{
    const int size = 4 * font.Metrics().tmHeight + 16;
    for (wchar_t c : text) {
        platform::gdi::FaceInfo f;
        ASSERT_TRUE(platform::gdi::InspectFace(font.dc, c, &f));
        Canvas records(size), rendered(size), traced(size);
        gdi_test::DrawRecords(gdi_test::NativeOutline(font.dc, c), &records);
        ASSERT_TRUE(DrawWithFreeType(f.path, f.index, f.emWidth, f.emHeight, c, false, &rendered));
        ASSERT_TRUE(DrawWithFreeType(f.path, f.index, f.emWidth, f.emHeight, c, true, &traced));
        const double ink = double(Ink(rendered));
        ASSERT_GT(ink, 0) << "U+" << std::hex << unsigned(c);
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << unsigned(c));
        if (render > 0) {
            EXPECT_LT(Difference(records, rendered) / ink, render);
        }
        EXPECT_LT(Difference(records, traced) / ink, outline);
    }
}

const std::wstring kSample = L"АжЁg@»«0123456789ЯщЫQ&%Wбз";

} // namespace

TEST(GlyphOutlineRaster, ScreenHeightsRegularAndBold)
{
    for (int h : {14, 16, 18, 20, 21, 24, 25}) {
        SCOPED_TRACE(h);
        ExpectLikeTheFace(ScreenFont(L"Arial", h), kSample, 0.06, 0.01);
    }
    for (int h : {16, 18})
        ExpectLikeTheFace(ScreenFont(L"Arial", h, FW_BOLD), kSample, 0.06, 0.01);
    ExpectLikeTheFace(ScreenFont(L"Arial", -16), kSample, 0.06, 0.01);
}

TEST(GlyphOutlineRaster, LargeGlyphsMatchClosely)
{
    // At this size a misplaced curve no longer hides in the pixels.
    ExpectLikeTheFace(ScreenFont(L"Arial", 200), L"Ёж@gS8»", 0.005, 0.001);
}

TEST(GlyphOutlineRaster, CubicOutlinesBecomeQuadraticRecordsOfTheSameShape)
{
    // A PostScript-flavoured face, when installed, has cubic outlines (which
    // FreeType's rasteriser flattens coarsely: compared by AGG only).
    platform::gdi::FaceInfo face;
    ASSERT_TRUE(platform::gdi::InspectFace(ScreenFont(L"Nimbus Sans", 16).dc, 'S', &face));
    if (face.path.size() < 4 || face.path.compare(face.path.size() - 4, 4, ".otf") != 0)
        GTEST_SKIP() << "no OpenType face with cubic outlines (got " << face.path << ")";
    ExpectLikeTheFace(ScreenFont(L"Nimbus Sans", 16), L"SOg@8ЖЯ", 0, 0.01);
    ExpectLikeTheFace(ScreenFont(L"Nimbus Sans", 100), L"SOg@8ЖЯ", 0, 0.005);
}

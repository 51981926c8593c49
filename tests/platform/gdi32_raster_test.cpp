// Glyphs drawn from GetGlyphOutlineW's records must look like the glyphs the
// face itself gives at the same size: nearly the same coverage as FreeType's
// rasteriser (which flattens curves its own way), and the same shape as
// FreeType's outline drawn by the same AGG pipeline.
#include "gdi32_raster.h"

#include "platform/gdi32.h"
#include "platform/gdi32/inspection.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ScreenFont {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;

    ScreenFont(const wchar_t* face, int height, int weight)
    {
        dc = GetDC(nullptr);
        font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, 0, 0, 0,
                           0, face);
        previous = SelectObject(dc, font);
    }
    ~ScreenFont()
    {
        SelectObject(dc, previous);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
    }
};

struct Comparison {
    long ink = 0;                 // FreeType's coverage of the glyph
    double againstRender = 1.0;   // |records − FreeType's bitmap| / ink
    double againstOutline = 1.0;  // |records − FreeType's outline through AGG| / ink
};

Comparison Compare(HDC dc, UINT c)
{
    Comparison result;
    platform::gdi::FaceInfo face;
    EXPECT_TRUE(platform::gdi::InspectFace(dc, c, &face));
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(dc, &tm));
    const gdi_test::FaceGlyph glyph{face.path, face.index, face.emWidth, face.emHeight, c};

    const int size = 4 * tm.tmHeight + 16;
    gdi_test::Canvas records(size, size, size / 4, size / 2);
    gdi_test::Canvas rendered(size, size, size / 4, size / 2);
    gdi_test::Canvas outline(size, size, size / 4, size / 2);
    gdi_test::DrawRecords(gdi_test::NativeOutline(dc, c), &records);
    EXPECT_TRUE(gdi_test::DrawWithFreeType(glyph, &rendered));
    EXPECT_TRUE(gdi_test::DrawOutlineWithAgg(glyph, &outline));
    result.ink = rendered.Ink();
    if (result.ink > 0) {
        result.againstRender = double(gdi_test::Difference(records, rendered)) / result.ink;
        result.againstOutline = double(gdi_test::Difference(records, outline)) / result.ink;
    }
    return result;
}

// Cyrillic capitals and small letters, a descender, the at sign, guillemets,
// digits and glyphs of many curves.
const std::wstring kSample = L"АжЁg@»«0123456789ЯщЫыQ&%Wбз";

void ExpectSameLook(const wchar_t* face, int height, int weight)
{
    ScreenFont font(face, height, weight);
    for (wchar_t c : kSample) {
        Comparison cmp = Compare(font.dc, c);
        EXPECT_GT(cmp.ink, 0) << "U+" << std::hex << unsigned(c);
        EXPECT_LT(cmp.againstRender, 0.06)
            << "U+" << std::hex << unsigned(c) << std::dec << " at height " << height;
        EXPECT_LT(cmp.againstOutline, 0.01)
            << "U+" << std::hex << unsigned(c) << std::dec << " at height " << height;
    }
}

} // namespace

TEST(GlyphOutlineRaster, RegularGlyphsMatchTheFaceAtScreenHeights)
{
    for (int height : {14, 16, 18, 20, 21, 24, 25}) ExpectSameLook(L"Arial", height, FW_NORMAL);
}

TEST(GlyphOutlineRaster, BoldGlyphsMatchTheFace)
{
    for (int height : {16, 18}) ExpectSameLook(L"Arial", height, FW_BOLD);
}

TEST(GlyphOutlineRaster, EmHeightGlyphsMatchTheFace)
{
    ExpectSameLook(L"Arial", -16, FW_NORMAL);
}

TEST(GlyphOutlineRaster, LargeGlyphsMatchClosely)
{
    // At a large size the pixels no longer hide a misplaced curve.
    ScreenFont font(L"Arial", 200, FW_NORMAL);
    for (wchar_t c : std::wstring(L"Ёж@gS8»")) {
        Comparison cmp = Compare(font.dc, c);
        EXPECT_LT(cmp.againstRender, 0.005) << "U+" << std::hex << unsigned(c);
        EXPECT_LT(cmp.againstOutline, 0.001) << "U+" << std::hex << unsigned(c);
    }
}

TEST(GlyphOutlineRaster, CubicOutlinesBecomeQuadraticRecordsOfTheSameShape)
{
    // A PostScript-flavoured face, when one is installed, has cubic outlines;
    // they are replaced by quadratic arcs within 1/256 pixel. FreeType's
    // rasteriser flattens cubic arcs coarsely, so the shape is compared with
    // the cubic outline drawn by AGG only.
    platform::gdi::FaceInfo face;
    {
        ScreenFont probe(L"Nimbus Sans", 16, FW_NORMAL);
        ASSERT_TRUE(platform::gdi::InspectFace(probe.dc, 'S', &face));
    }
    const std::string& path = face.path;
    auto endsWith = [&](const char* tail) {
        const std::string t(tail);
        return path.size() > t.size() && path.compare(path.size() - t.size(), t.size(), t) == 0;
    };
    if (!endsWith(".otf") && !endsWith(".pfb") && !endsWith(".t1"))
        GTEST_SKIP() << "no face with cubic outlines installed (got " << path << ")";
    for (int height : {16, 100}) {
        ScreenFont font(L"Nimbus Sans", height, FW_NORMAL);
        for (wchar_t c : std::wstring(L"SOg@8ЖЯ")) {
            Comparison cmp = Compare(font.dc, c);
            EXPECT_GT(cmp.ink, 0) << "U+" << std::hex << unsigned(c);
            EXPECT_LT(cmp.againstOutline, height < 50 ? 0.01 : 0.005)
                << "U+" << std::hex << unsigned(c) << std::dec << " at height " << height;
        }
    }
}

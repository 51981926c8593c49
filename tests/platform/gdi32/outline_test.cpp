// GetGlyphOutlineW: the buffer protocol, the formats it takes, and the shape
// of the records it writes.
#include "font.h"
#include "raster.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using gdi_test::Identity;
using gdi_test::NativeOutline;
using gdi_test::ScreenFont;

int32_t Raw(const FIXED& f)
{
    return int32_t((uint32_t(uint16_t(f.value)) << 16) | f.fract);
}

// Reads the records as a reader does; empty when they are well formed.
std::string Problem(const std::vector<uint8_t>& buffer, int32_t* minY = nullptr,
                    int32_t* maxY = nullptr)
{
    for (size_t offset = 0; offset < buffer.size();) {
        TTPOLYGONHEADER header;
        if (offset + sizeof header > buffer.size())
            return "truncated header";
        std::memcpy(&header, &buffer[offset], sizeof header);
        if (header.dwType != TT_POLYGON_TYPE)
            return "polygon type";
        if (header.cb < sizeof header + 12 || header.cb % 4 || offset + header.cb > buffer.size())
            return "polygon size";
        POINTFX last = header.pfxStart;
        size_t at = offset + sizeof header;
        const size_t end = offset + header.cb;
        while (at < end) {
            WORD type, n;
            std::memcpy(&type, &buffer[at], 2);
            std::memcpy(&n, &buffer[at + 2], 2);
            if (type != TT_PRIM_LINE && type != TT_PRIM_QSPLINE)
                return "curve type";
            if (n == 0 || (type == TT_PRIM_QSPLINE && n < 2))
                return "point count";
            if (at + 4 + 8 * size_t(n) > end)
                return "curve overruns its polygon";
            for (WORD k = 0; k < n; ++k) {
                std::memcpy(&last, &buffer[at + 4 + 8 * k], sizeof last);
                if (minY)
                    *minY = std::min(*minY, Raw(last.y));
                if (maxY)
                    *maxY = std::max(*maxY, Raw(last.y));
            }
            at += 4 + 8 * size_t(n);
        }
        if (Raw(last.x) != Raw(header.pfxStart.x) || Raw(last.y) != Raw(header.pfxStart.y))
            return "contour does not return to its start";
        offset = end;
    }
    return "";
}

} // namespace

TEST(GlyphOutlineBuffer, AsksForTheSizeThenWritesExactlyThatOrNothing)
{
    ScreenFont font(L"Arial", 16);
    const MAT2 m = Identity();
    GLYPHMETRICS gm{};
    const DWORD needed = GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, 0, nullptr, &m);
    ASSERT_NE(needed, GDI_ERROR);
    ASSERT_GT(needed, 0u);
    std::vector<uint8_t> exact(needed), roomy(needed + 64, 0xCD);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, 0, exact.data(), &m), needed);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, needed, nullptr, &m), needed);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, needed, exact.data(), &m), needed);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, needed + 64, roomy.data(), &m),
              needed);
    EXPECT_TRUE(std::equal(exact.begin(), exact.end(), roomy.begin()));
    for (size_t i = needed; i < roomy.size(); ++i)
        EXPECT_EQ(roomy[i], 0xCD);
    // One byte short is an error, and nothing is written.
    std::vector<uint8_t> small(needed - 1, 0xCD);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, L'Ж', GGO_NATIVE, &gm, needed - 1, small.data(), &m),
              GDI_ERROR);
    for (uint8_t b : small)
        EXPECT_EQ(b, 0xCD);
}

TEST(GlyphOutlineBuffer, BlankGlyphIsZeroBytesWithAOnePixelBox)
{
    ScreenFont font(L"Arial", 16);
    const MAT2 m = Identity();
    GLYPHMETRICS gm{};
    uint8_t buffer[64];
    EXPECT_EQ(GetGlyphOutlineW(font.dc, ' ', GGO_NATIVE, &gm, 0, nullptr, &m), 0u);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, ' ', GGO_NATIVE, &gm, sizeof buffer, buffer, &m), 0u);
    EXPECT_EQ(gm.gmBlackBoxX, 1u);
    EXPECT_EQ(gm.gmBlackBoxY, 1u);
    EXPECT_EQ(gm.gmCellIncX, font.Advance(' '));
    EXPECT_EQ(GetGlyphOutlineW(font.dc, 0xA0, GGO_NATIVE, &gm, 0, nullptr, &m), 0u);
}

TEST(GlyphOutlineFormats, MetricsAloneFillOnlyTheMetrics)
{
    ScreenFont font(L"Arial", 16);
    const MAT2 m = Identity();
    GLYPHMETRICS native{}, metrics{};
    NativeOutline(font.dc, L'Ё', &native);
    uint8_t buffer[16];
    std::memset(buffer, 0xCD, sizeof buffer);
    EXPECT_NE(GetGlyphOutlineW(font.dc, L'Ё', GGO_METRICS, &metrics, sizeof buffer, buffer, &m),
              GDI_ERROR);
    EXPECT_EQ(std::memcmp(&native, &metrics, sizeof native), 0);
    for (uint8_t b : buffer)
        EXPECT_EQ(b, 0xCD);
}

TEST(GlyphOutlineFormats, OtherFormatsMatricesAndMissingArgumentsFail)
{
    ScreenFont font(L"Arial", 16);
    const MAT2 m = Identity();
    GLYPHMETRICS gm{};
    for (UINT format : {1u /* bitmap */, 3u /* bezier */, 6u /* grey */})
        EXPECT_EQ(GetGlyphOutlineW(font.dc, 'a', format, &gm, 0, nullptr, &m), GDI_ERROR);
    MAT2 doubled = m;
    doubled.eM11.value = 2;
    EXPECT_EQ(GetGlyphOutlineW(font.dc, 'a', GGO_NATIVE, &gm, 0, nullptr, &doubled), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, 'a', GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(font.dc, 'a', GGO_NATIVE, nullptr, 0, nullptr, &m), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(nullptr, 'a', GGO_NATIVE, &gm, 0, nullptr, &m), GDI_ERROR);
}

TEST(GlyphOutlineRecords, WellFormedForEveryLetterDigitAndSign)
{
    std::wstring text = L"ЁёАБВ«»№—–…";
    for (wchar_t c = 0x21; c < 0x7F; ++c)
        text += c;
    for (wchar_t c = 0x410; c <= 0x44F; ++c)
        text += c;
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        for (int h : {14, 25}) {
            ScreenFont font(L"Arial", h, weight);
            for (wchar_t c : text) {
                std::vector<uint8_t> records = NativeOutline(font.dc, c);
                ASSERT_FALSE(records.empty()) << unsigned(c);
                EXPECT_EQ(Problem(records), "") << "U+" << std::hex << unsigned(c);
            }
        }
    }
}

TEST(GlyphOutlineRecords, YGrowsUpwardsFromTheBaseline)
{
    ScreenFont font(L"Arial", 24);
    const TEXTMETRICW tm = font.Metrics();
    int32_t low = INT32_MAX, high = INT32_MIN;
    Problem(NativeOutline(font.dc, 'g'), &low, &high);
    EXPECT_LT(low, 0); // the descender is below the baseline
    low = INT32_MAX, high = INT32_MIN;
    Problem(NativeOutline(font.dc, L'Н'), &low, &high);
    EXPECT_EQ(low, 0); // a capital sits on it
    EXPECT_GT(high, tm.tmAscent * 65536 / 2);
    EXPECT_LT(high, tm.tmAscent * 65536);
}

// Outline records become path vertices: lines, quadratic splines with
// implied midpoints, closed contours, the underline rectangle; and the path
// holds outlines of any size.
#include "framework/text/IMFont.h"
#include "framework/text/IMGlyphPath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Point {
    int32_t x; // 16.16
    int32_t y;
};

int32_t Fixed(double v)
{
    return static_cast<int32_t>(v * 65536.0);
}

void PutFixed(std::vector<BYTE>& out, int32_t raw)
{
    const uint16_t fract = static_cast<uint16_t>(raw & 0xFFFF);
    const int16_t value = static_cast<int16_t>(raw >> 16);
    BYTE bytes[4];
    std::memcpy(bytes, &fract, 2);
    std::memcpy(bytes + 2, &value, 2);
    out.insert(out.end(), bytes, bytes + 4);
}

struct Curve {
    WORD type;
    std::vector<Point> points;
};

// One contour in GGO_NATIVE layout.
std::vector<BYTE> Contour(Point start, const std::vector<Curve>& curves)
{
    std::vector<BYTE> out(8, 0);
    const DWORD type = TT_POLYGON_TYPE;
    std::memcpy(out.data() + 4, &type, 4);
    PutFixed(out, start.x);
    PutFixed(out, start.y);
    for (const Curve& c : curves) {
        const WORD count = static_cast<WORD>(c.points.size());
        BYTE head[4];
        std::memcpy(head, &c.type, 2);
        std::memcpy(head + 2, &count, 2);
        out.insert(out.end(), head, head + 4);
        for (const Point& p : c.points) {
            PutFixed(out, p.x);
            PutFixed(out, p.y);
        }
    }
    const DWORD cb = static_cast<DWORD>(out.size());
    std::memcpy(out.data(), &cb, 4);
    return out;
}

double ToDouble(int32_t raw)
{
    return raw / 65536.0;
}

} // namespace

TEST(GlyphPath, FourPointSplineGivesThreeSegmentsWithMidpointEnds)
{
    IMFontList fonts;
    IMGlyphPath path(fonts);
    // Odd raw values, one negative, so the halving's rounding shows.
    const Point p0{Fixed(1.0) + 1, Fixed(5.0)};
    const Point p1{Fixed(3.0) + 2, -Fixed(2.0) - 3};
    const Point p2{Fixed(6.5), Fixed(7.25)};
    const Point p3{Fixed(9.0), Fixed(1.0)};
    const std::vector<BYTE> records =
        Contour(Point{0, 0}, {Curve{TT_PRIM_QSPLINE, {p0, p1, p2, p3}}});
    path.AddOutlineRecords(records.data(), records.size(), 4);

    // stop is replaced by: move, 6 curve points, close, stop.
    ASSERT_EQ(9u, path.VertexCount());
    EXPECT_EQ(IMPATH_MOVE_TO, path.CommandAt(0));
    for (size_t i = 1; i <= 6; ++i)
        EXPECT_EQ(IMPATH_CURVE3, path.CommandAt(i)) << i;
    EXPECT_EQ(IMPATH_END_CLOSED_POLY, path.CommandAt(7));
    EXPECT_EQ(IMPATH_STOP, path.CommandAt(8));

    // Controls are the record's points; ends 1 and 2 are midpoints of the raw
    // values halved toward zero; the last end is the last point. y is raised
    // by the descent.
    EXPECT_DOUBLE_EQ(ToDouble(p0.x), path.XAt(1));
    EXPECT_DOUBLE_EQ(ToDouble((p0.x + p1.x) / 2), path.XAt(2));
    EXPECT_DOUBLE_EQ(ToDouble((p0.y + p1.y) / 2) + 4, path.YAt(2));
    EXPECT_DOUBLE_EQ(ToDouble(p1.x), path.XAt(3));
    EXPECT_DOUBLE_EQ(ToDouble((p1.x + p2.x) / 2), path.XAt(4));
    EXPECT_DOUBLE_EQ(ToDouble((p1.y + p2.y) / 2) + 4, path.YAt(4));
    EXPECT_DOUBLE_EQ(ToDouble(p2.x), path.XAt(5));
    EXPECT_DOUBLE_EQ(ToDouble(p3.x), path.XAt(6));
    EXPECT_DOUBLE_EQ(ToDouble(p3.y) + 4, path.YAt(6));
}

TEST(GlyphPath, LinesAndUnknownRecordsAndSeveralContours)
{
    IMFontList fonts;
    IMGlyphPath path(fonts);
    std::vector<BYTE> records =
        Contour(Point{Fixed(1), Fixed(1)},
                {Curve{TT_PRIM_LINE, {{Fixed(2), Fixed(1)}, {Fixed(2), Fixed(2)}}},
                 Curve{TT_PRIM_CSPLINE,
                       {{Fixed(3), Fixed(3)}, {Fixed(4), Fixed(4)}, {Fixed(5), Fixed(5)}}}});
    const std::vector<BYTE> second = Contour(Point{Fixed(-1), Fixed(0)}, {});
    records.insert(records.end(), second.begin(), second.end());
    path.AddOutlineRecords(records.data(), records.size(), 0);

    const unsigned char expected[] = {
        IMPATH_MOVE_TO, IMPATH_LINE_TO,         IMPATH_LINE_TO, IMPATH_END_CLOSED_POLY,
        IMPATH_MOVE_TO, IMPATH_END_CLOSED_POLY, IMPATH_STOP};
    ASSERT_EQ(sizeof expected, path.VertexCount());
    for (size_t i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(expected[i], path.CommandAt(i)) << i;
    EXPECT_DOUBLE_EQ(-1.0, path.XAt(4));
}

TEST(GlyphPath, HoldsAnOutlineFarLargerThanItsFirstCapacity)
{
    IMFontList fonts;
    IMGlyphPath path(fonts);
    // 5000 spline points: about 40 KB of records, 10,000 curve vertices.
    std::vector<Point> points;
    for (int i = 0; i < 5000; ++i)
        points.push_back(Point{Fixed(i % 50), Fixed(i / 50)});
    const std::vector<BYTE> records = Contour(Point{0, 0}, {Curve{TT_PRIM_QSPLINE, points}});
    path.AddOutlineRecords(records.data(), records.size(), 0);

    ASSERT_EQ(1u + 2u * 4999u + 2u, path.VertexCount());
    EXPECT_DOUBLE_EQ(49.0, path.XAt(path.VertexCount() - 3));
    EXPECT_DOUBLE_EQ(99.0, path.YAt(path.VertexCount() - 3));

    // AGG reads every vertex back, then the stop.
    path.rewind(0);
    double x, y;
    size_t read = 0;
    while (path.vertex(&x, &y) != IMPATH_STOP)
        ++read;
    EXPECT_EQ(path.VertexCount() - 1, read);
    EXPECT_EQ(static_cast<unsigned>(IMPATH_STOP), path.vertex(&x, &y));
}

TEST(GlyphPath, TruncatedRecordsEndTheWalk)
{
    IMFontList fonts;
    IMGlyphPath path(fonts);
    std::vector<BYTE> records =
        Contour(Point{0, 0}, {Curve{TT_PRIM_LINE, {{Fixed(2), Fixed(1)}, {Fixed(2), Fixed(2)}}}});
    // A header that claims more bytes than there are.
    const DWORD cb = static_cast<DWORD>(records.size() + 100);
    std::memcpy(records.data(), &cb, 4);
    path.AddOutlineRecords(records.data(), records.size(), 0);
    EXPECT_EQ(1u, path.VertexCount());
}

TEST(GlyphPath, BuildsTheOutlineOfAGlyphAndItsUnderline)
{
    IMFontList fonts;
    IMGlyphPath plain(fonts);
    plain.SelectFont(L"Arial", 18, false, false, false);
    ASSERT_TRUE(plain.BuildFromOutline(L'Ш'));
    const IMFont& font = fonts.Font(plain.FontIndex());
    EXPECT_EQ(font.metrics.tmHeight, plain.CellHeight());
    ABC abc;
    fonts.GetCharWidths(plain.FontIndex(), L'Ш', &abc);
    EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, plain.Advance());
    EXPECT_GT(plain.VertexCount(), 4u);

    // The underlined request shares the font and adds one rectangle.
    IMGlyphPath underlined(fonts);
    underlined.SelectFont(L"Arial", 18, false, false, true);
    EXPECT_EQ(plain.FontIndex(), underlined.FontIndex());
    ASSERT_TRUE(underlined.BuildFromOutline(L'Ш'));
    ASSERT_EQ(plain.VertexCount() + 5, underlined.VertexCount());
    const size_t r = plain.VertexCount() - 1;
    const int d = font.metrics.tmDescent;
    EXPECT_EQ(IMPATH_MOVE_TO, underlined.CommandAt(r));
    EXPECT_DOUBLE_EQ(d / 2, underlined.YAt(r));
    EXPECT_DOUBLE_EQ(plain.Advance(), underlined.XAt(r + 1));
    EXPECT_DOUBLE_EQ(d / 15, underlined.YAt(r + 2));
    EXPECT_EQ(IMPATH_END_CLOSED_POLY, underlined.CommandAt(r + 4));

    // A space has no contour: only the underline, or nothing.
    ASSERT_TRUE(underlined.BuildFromOutline(L' '));
    EXPECT_EQ(6u, underlined.VertexCount());
    ASSERT_TRUE(plain.BuildFromOutline(L' '));
    EXPECT_EQ(1u, plain.VertexCount());
}

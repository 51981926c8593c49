// Outline records built from outlines made by hand: where contours start,
// which on-curve points a spline leaves implied, how PostScript winding and
// cubic arcs are turned into TrueType's, which contours are dropped.
#include "platform/gdi32/outline_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using platform::gdi::FromFixed;
using platform::gdi::OutlineToRecords;
using platform::gdi::ToFixed;

constexpr char ON = FT_CURVE_TAG_ON, CONIC = FT_CURVE_TAG_CONIC, CUBIC = FT_CURVE_TAG_CUBIC;
struct Point26 {
    long x, y; // 26.6 pixels
    char tag;
};
using Pt = std::pair<int32_t, int32_t>; // 16.16 pixels
using Pts = std::vector<Pt>;
Pt P(double x, double y)
{
    return {int32_t(std::lround(x * 65536)), int32_t(std::lround(y * 65536))};
}

struct Curve {
    WORD type;
    Pts points;
};
struct Polygon {
    Pt start;
    std::vector<Curve> curves;
};

// The records of an outline of the given contours, parsed back.
std::vector<Polygon> RecordsOf(const std::vector<std::vector<Point26>>& contours)
{
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;
    for (const auto& contour : contours) {
        for (const Point26& p : contour) {
            points.push_back(FT_Vector{p.x, p.y});
            tags.push_back(p.tag);
        }
        ends.push_back(short(points.size() - 1));
    }
    FT_Outline outline{};
    outline.n_points = short(points.size());
    outline.n_contours = short(ends.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = ends.data();
    const std::vector<uint8_t> records = OutlineToRecords(outline);

    std::vector<Polygon> polygons;
    for (size_t offset = 0; offset < records.size();) {
        TTPOLYGONHEADER header;
        std::memcpy(&header, &records[offset], sizeof header);
        Polygon polygon{{FromFixed(header.pfxStart.x), FromFixed(header.pfxStart.y)}, {}};
        for (size_t at = offset + sizeof header; at < offset + header.cb;) {
            Curve curve;
            WORD n;
            std::memcpy(&curve.type, &records[at], 2);
            std::memcpy(&n, &records[at + 2], 2);
            for (WORD k = 0; k < n; ++k) {
                POINTFX p;
                std::memcpy(&p, &records[at + 4 + 8 * k], sizeof p);
                curve.points.push_back({FromFixed(p.x), FromFixed(p.y)});
            }
            at += 4 + 8 * size_t(n);
            polygon.curves.push_back(curve);
        }
        polygons.push_back(polygon);
        offset += header.cb;
    }
    return polygons;
}

} // namespace

TEST(FixedPoint, SignedValuesRoundTrip)
{
    for (int32_t v : {0, 1, 65536, -65536, -32768, 0x7FFFFFFF, INT32_MIN, -1, 123456789})
        EXPECT_EQ(FromFixed(ToFixed(v)), v);
    EXPECT_EQ(ToFixed(-32768).value, -1); // −0.5 is −1 and one half
    EXPECT_EQ(ToFixed(-32768).fract, 0x8000);
}

TEST(OutlineRecords, CornersMakeOneLineRunBackToTheStart)
{
    // Clockwise (y up) as TrueType winds; the repeated start adds nothing.
    const std::vector<Point26> corners{{0, 0, ON}, {0, 640, ON}, {640, 640, ON}, {640, 0, ON}};
    std::vector<Point26> repeated = corners;
    repeated.push_back({0, 0, ON});
    for (const auto& square : {corners, repeated}) {
        auto polygons = RecordsOf({square});
        ASSERT_EQ(polygons.size(), 1u);
        EXPECT_EQ(polygons[0].start, P(0, 0));
        ASSERT_EQ(polygons[0].curves.size(), 1u);
        EXPECT_EQ(polygons[0].curves[0].type, TT_PRIM_LINE);
        EXPECT_EQ(polygons[0].curves[0].points, (Pts{P(0, 10), P(10, 10), P(10, 0), P(0, 0)}));
    }
}

TEST(OutlineRecords, CounterClockwiseContoursAreTurnedRound)
{
    auto square = RecordsOf({{{0, 0, ON}, {640, 0, ON}, {640, 640, ON}, {0, 640, ON}}});
    ASSERT_EQ(square.size(), 1u);
    EXPECT_EQ(square[0].start, P(0, 0));
    EXPECT_EQ(square[0].curves[0].points, (Pts{P(0, 10), P(10, 10), P(10, 0), P(0, 0)}));
    // An arc keeps its control point.
    auto arc = RecordsOf({{{0, 0, ON}, {1280, 0, ON}, {1280, 1280, CONIC}, {0, 1280, ON}}});
    ASSERT_EQ(arc.size(), 1u);
    ASSERT_EQ(arc[0].curves.size(), 3u);
    EXPECT_EQ(arc[0].curves[0].points, (Pts{P(0, 20)}));
    EXPECT_EQ(arc[0].curves[1].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(arc[0].curves[1].points, (Pts{P(20, 20), P(20, 0)}));
    EXPECT_EQ(arc[0].curves[2].points, (Pts{P(0, 0)}));
}

TEST(OutlineRecords, RunOfControlPointsIsOneSplineWithImpliedMidpoints)
{
    auto polygons = RecordsOf(
        {{{0, 0, ON}, {0, 640, CONIC}, {640, 1280, CONIC}, {1280, 640, CONIC}, {1280, 0, ON}}});
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(polygons[0].curves.size(), 2u);
    EXPECT_EQ(polygons[0].curves[0].type, TT_PRIM_QSPLINE);
    EXPECT_EQ(polygons[0].curves[0].points, (Pts{P(0, 10), P(10, 20), P(20, 10), P(20, 0)}));
    EXPECT_EQ(polygons[0].curves[1].points, (Pts{P(0, 0)}));
}

TEST(OutlineRecords, OnPointThatIsNoMidpointSplitsTheSpline)
{
    auto polygons = RecordsOf(
        {{{0, 0, ON}, {0, 1280, CONIC}, {1280, 1280, ON}, {2560, 640, CONIC}, {1280, 0, ON}}});
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(polygons[0].curves.size(), 3u);
    EXPECT_EQ(polygons[0].curves[0].points, (Pts{P(0, 20), P(20, 20)}));
    EXPECT_EQ(polygons[0].curves[1].points, (Pts{P(40, 10), P(20, 0)}));
}

TEST(OutlineRecords, ContourStartsOnTheCurve)
{
    // Off-curve first point: the start is the last point.
    auto a = RecordsOf({{{640, 1280, CONIC}, {1280, 0, ON}, {0, 0, ON}}});
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].start, P(0, 0));
    EXPECT_EQ(a[0].curves.back().points.back(), P(0, 0));
    // Only control points: the start is implied between the first and last.
    auto b =
        RecordsOf({{{640, 0, CONIC}, {0, 640, CONIC}, {640, 1280, CONIC}, {1280, 640, CONIC}}});
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].start, P(15, 5));
    ASSERT_EQ(b[0].curves.size(), 1u);
    EXPECT_EQ(b[0].curves[0].points, (Pts{P(10, 0), P(0, 10), P(10, 20), P(20, 10), P(15, 5)}));
}

TEST(OutlineRecords, CubicArcBecomesQuadraticArcsOnTheCurve)
{
    // A cubic quarter circle of radius 100 around (100, 0), closed by lines.
    const long k = std::lround(0.5523 * 100 * 64);
    auto polygons = RecordsOf(
        {{{0, 0, ON}, {0, k, CUBIC}, {6400 - k, 6400, CUBIC}, {6400, 6400, ON}, {6400, 0, ON}}});
    ASSERT_EQ(polygons.size(), 1u);
    int arcs = 0;
    bool reachesEnd = false;
    for (const Curve& curve : polygons[0].curves) {
        const Pts& p = curve.points;
        for (size_t i = 0; curve.type == TT_PRIM_QSPLINE && i + 1 < p.size(); ++i, ++arcs) {
            // Every arc's end, written or implied, lies on the circle.
            const bool last = i + 2 == p.size();
            const Pt end =
                last ? p[i + 1]
                     : Pt{(p[i].first + p[i + 1].first) / 2, (p[i].second + p[i + 1].second) / 2};
            const double x = end.first / 65536.0, y = end.second / 65536.0;
            EXPECT_NEAR(std::hypot(x - 100, y), 100, 0.05) << x << "," << y;
        }
        for (const Pt& q : p)
            reachesEnd |= q == P(100, 100);
    }
    EXPECT_GT(arcs, 1);      // one quadratic arc is too coarse for it
    EXPECT_TRUE(reachesEnd); // the cubic's own end is kept exactly
    EXPECT_EQ(polygons[0].curves.back().points.back(), P(0, 0));
}

TEST(OutlineRecords, PostScriptContourClosedByACubicStaysWhole)
{
    auto polygons = RecordsOf({{{0, 0, ON},
                                {2560, -1280, CUBIC},
                                {2560, 3840, CUBIC},
                                {1280, 2560, ON},
                                {640, 3200, CUBIC},
                                {-640, 1280, CUBIC}}});
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].start, P(0, 0));
    // Turned round, it leaves the start along its last arc, to the left.
    EXPECT_LT(polygons[0].curves.front().points.front().first, 0);
    bool passesTheMiddle = false;
    for (const Curve& curve : polygons[0].curves)
        for (const Pt& q : curve.points)
            passesTheMiddle |= q == P(20, 40);
    EXPECT_TRUE(passesTheMiddle);
    EXPECT_EQ(polygons[0].curves.back().points.back(), P(0, 0));
}

TEST(OutlineRecords, ContoursThatDrawNothingAreDropped)
{
    EXPECT_TRUE(RecordsOf({}).empty());
    auto polygons = RecordsOf({{{100, 100, ON}},
                               {{0, 0, ON}, {0, 640, ON}, {640, 640, ON}},
                               {{50, 50, ON}, {50, 50, ON}}});
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].start, P(0, 0));
}

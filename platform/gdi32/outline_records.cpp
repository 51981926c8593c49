#include "platform/gdi32/outline_records.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform::gdi {
namespace {

// A point in 16.16 pixels.
struct Point {
    int32_t x;
    int32_t y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

struct Segment {
    bool quadratic;
    Point control; // quadratic only
    Point end;
};

// The largest error allowed when a cubic arc is replaced by quadratic ones,
// in 26.6 units (1/256 pixel).
constexpr double kCubicTolerance = 0.25;
constexpr int kMaxCubicPieces = 64;

int32_t To1616(double v26)
{
    double v = std::round(v26 * 1024.0);
    v = std::min(v, 2147483647.0);
    v = std::max(v, -2147483648.0);
    return static_cast<int32_t>(v);
}

Point ToPoint(const FT_Vector* v)
{
    return Point{To1616(static_cast<double>(v->x)), To1616(static_cast<double>(v->y))};
}

// The on-curve point a reader puts between two control points.
Point Midpoint(const Point& a, const Point& b)
{
    return Point{static_cast<int32_t>((static_cast<int64_t>(a.x) + b.x) / 2),
                 static_cast<int32_t>((static_cast<int64_t>(a.y) + b.y) / 2)};
}

// Whether `p` may be left implied between two control points: FreeType's own
// midpoints are 26.6 values rounded, so allow that rounding (1/128 pixel).
bool IsImpliedBetween(const Point& p, const Point& a, const Point& b)
{
    Point m = Midpoint(a, b);
    return std::llabs(static_cast<long long>(p.x) - m.x) <= 512 &&
           std::llabs(static_cast<long long>(p.y) - m.y) <= 512;
}

class Builder {
public:
    Builder(std::vector<uint8_t>* out, bool reverse) : out_(out), reverse_(reverse) {}

    void MoveTo(const Point& p)
    {
        Flush();
        start_ = p;
        current_ = p;
        open_ = true;
    }
    void LineTo(const Point& p)
    {
        // An empty line draws nothing: FreeType closes a contour whose last
        // point is its start with one, and outlines may repeat a point.
        if (p == current_) return;
        segments_.push_back(Segment{false, Point{0, 0}, p});
        current_ = p;
    }
    void QuadTo(const Point& control, const Point& p)
    {
        segments_.push_back(Segment{true, control, p});
        current_ = p;
    }
    void CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to);

    // Writes the pending contour, if it draws anything.
    void Flush();

private:
    void Reverse();
    void Append(const void* data, size_t size)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        out_->insert(out_->end(), bytes, bytes + size);
    }
    void AppendPoint(const Point& p)
    {
        POINTFX fx{ToFixed(p.x), ToFixed(p.y)};
        Append(&fx, sizeof fx);
    }
    void BeginCurve(WORD type)
    {
        curveOffset_ = out_->size();
        TTPOLYCURVE head{};
        head.wType = type;
        Append(&head, 4);
    }
    void EndCurve(WORD count)
    {
        std::memcpy(out_->data() + curveOffset_ + 2, &count, sizeof count);
    }

    std::vector<uint8_t>* out_;
    const bool reverse_;
    std::vector<Segment> segments_;
    Point start_{0, 0};
    Point current_{0, 0};
    bool open_ = false;
    size_t curveOffset_ = 0;
};

void Builder::CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to)
{
    // The arc from the current point, in 26.6 units.
    const double p0x = current_.x / 1024.0, p0y = current_.y / 1024.0;
    const double p1x = static_cast<double>(c1->x), p1y = static_cast<double>(c1->y);
    const double p2x = static_cast<double>(c2->x), p2y = static_cast<double>(c2->y);
    const double p3x = static_cast<double>(to->x), p3y = static_cast<double>(to->y);

    // One quadratic arc misses the cubic by at most sqrt(3)/36 times the
    // length of its third difference; n equal pieces by 1/n^3 of that.
    const double dx = p3x - 3 * p2x + 3 * p1x - p0x;
    const double dy = p3y - 3 * p2y + 3 * p1y - p0y;
    const double error = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
    int pieces = static_cast<int>(std::ceil(std::cbrt(error / kCubicTolerance)));
    pieces = std::clamp(pieces, 1, kMaxCubicPieces);

    auto at = [&](double t, double a, double b, double c, double d) {
        double u = 1 - t;
        return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
    };
    auto slope = [&](double t, double a, double b, double c, double d) {
        double u = 1 - t;
        return 3 * (u * u * (b - a) + 2 * u * t * (c - b) + t * t * (d - c));
    };

    const Point end = ToPoint(to);
    for (int i = 0; i < pieces; ++i) {
        const double t0 = static_cast<double>(i) / pieces;
        const double t1 = static_cast<double>(i + 1) / pieces;
        const double h = (t1 - t0) / 3.0;
        const double q0x = at(t0, p0x, p1x, p2x, p3x), q0y = at(t0, p0y, p1y, p2y, p3y);
        const double q3x = at(t1, p0x, p1x, p2x, p3x), q3y = at(t1, p0y, p1y, p2y, p3y);
        const double q1x = q0x + h * slope(t0, p0x, p1x, p2x, p3x);
        const double q1y = q0y + h * slope(t0, p0y, p1y, p2y, p3y);
        const double q2x = q3x - h * slope(t1, p0x, p1x, p2x, p3x);
        const double q2y = q3y - h * slope(t1, p0y, p1y, p2y, p3y);
        const Point control{To1616((3 * (q1x + q2x) - (q0x + q3x)) / 4),
                            To1616((3 * (q1y + q2y) - (q0y + q3y)) / 4)};
        const Point pieceEnd = (i + 1 == pieces) ? end : Point{To1616(q3x), To1616(q3y)};
        QuadTo(control, pieceEnd);
    }
}

// Runs the contour the other way round. Every contour ends where it starts,
// so it still starts at the same point; each arc keeps its control point.
void Builder::Reverse()
{
    std::vector<Segment> reversed;
    reversed.reserve(segments_.size());
    for (size_t i = segments_.size(); i-- > 0;) {
        const Point from = i == 0 ? start_ : segments_[i - 1].end;
        reversed.push_back(Segment{segments_[i].quadratic, segments_[i].control, from});
    }
    segments_.swap(reversed);
}

void Builder::Flush()
{
    if (!open_) return;
    open_ = false;
    if (segments_.empty()) return;
    if (reverse_) Reverse();

    const size_t polygonOffset = out_->size();
    TTPOLYGONHEADER header{};
    header.dwType = TT_POLYGON_TYPE;
    header.pfxStart = POINTFX{ToFixed(start_.x), ToFixed(start_.y)};
    Append(&header, sizeof header);

    size_t i = 0;
    while (i < segments_.size()) {
        WORD count = 0;
        if (!segments_[i].quadratic) {
            BeginCurve(TT_PRIM_LINE);
            while (i < segments_.size() && !segments_[i].quadratic) {
                AppendPoint(segments_[i].end);
                ++count;
                ++i;
            }
        } else {
            BeginCurve(TT_PRIM_QSPLINE);
            while (true) {
                AppendPoint(segments_[i].control);
                ++count;
                const bool next = i + 1 < segments_.size() && segments_[i + 1].quadratic &&
                                  IsImpliedBetween(segments_[i].end, segments_[i].control,
                                                   segments_[i + 1].control);
                if (!next) break;
                ++i;
            }
            AppendPoint(segments_[i].end);
            ++count;
            ++i;
        }
        EndCurve(count);
    }
    const DWORD size = static_cast<DWORD>(out_->size() - polygonOffset);
    std::memcpy(out_->data() + polygonOffset, &size, sizeof size);
    segments_.clear();
}

int MoveToCallback(const FT_Vector* to, void* user)
{
    static_cast<Builder*>(user)->MoveTo(ToPoint(to));
    return 0;
}

int LineToCallback(const FT_Vector* to, void* user)
{
    static_cast<Builder*>(user)->LineTo(ToPoint(to));
    return 0;
}

int ConicToCallback(const FT_Vector* control, const FT_Vector* to, void* user)
{
    static_cast<Builder*>(user)->QuadTo(ToPoint(control), ToPoint(to));
    return 0;
}

int CubicToCallback(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    static_cast<Builder*>(user)->CubicTo(c1, c2, to);
    return 0;
}

} // namespace

std::vector<uint8_t> OutlineToRecords(const FT_Outline& outline)
{
    std::vector<uint8_t> records;
    if (outline.n_contours <= 0 || outline.n_points <= 0) return records;
    FT_Outline copy = outline; // the FreeType calls take a non-const outline
    Builder builder(&records, FT_Outline_Get_Orientation(&copy) == FT_ORIENTATION_POSTSCRIPT);
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveToCallback;
    funcs.line_to = LineToCallback;
    funcs.conic_to = ConicToCallback;
    funcs.cubic_to = CubicToCallback;
    funcs.shift = 0;
    funcs.delta = 0;
    if (FT_Outline_Decompose(&copy, &funcs, &builder) != 0) {
        records.clear();
        return records;
    }
    builder.Flush();
    return records;
}

} // namespace platform::gdi

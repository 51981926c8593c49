// Where a sprite's draw may change pixels, band by band down its box: a
// quad blended by its texels' alpha leaves the target as it was wherever it
// samples clear texels alone (src × 0 + dst × 255 / 255 is dst), so each
// band keeps only the columns that reach a texel that is not clear.
#include "platform/d3d9/objects.h"
#include "platform/d3d9/raster_setup.h"

#include <algorithm>
#include <cmath>

namespace platform::d3d9impl {

namespace {

// Texels either side of a pixel's position that its samples may take: a
// bilinear pair lies within a texel and a half of it, a point sample within
// one; the rest is room for the planes being inverted here in other steps
// than the rasteriser takes.
constexpr double kReach = 2.5;

// An axis-aligned rectangle whose texture follows its sides: both triangles
// of the fan then lie on one texture plane.
bool FollowsItsSides(const Snapped p[4], const RasterVertex v[4])
{
    if (p[0].y == p[1].y && p[2].y == p[3].y && p[1].x == p[2].x && p[3].x == p[0].x)
        return v[0].u == v[3].u && v[1].u == v[2].u && v[0].v == v[1].v && v[2].v == v[3].v;
    if (p[0].x == p[1].x && p[2].x == p[3].x && p[1].y == p[2].y && p[3].y == p[0].y)
        return v[0].u == v[1].u && v[2].u == v[3].u && v[1].v == v[2].v && v[3].v == v[0].v;
    return false;
}

// Smaller draws (a glyph, a caret), many a frame, are left unbanded: their
// corners are too few pixels to pay for the work.
constexpr int64_t kBandedArea = 64 * 64;

} // namespace

bool NarrowBands(const DrawState& state, const RasterVertex* v, int count, const int32_t box[4],
                 DrawBands& out)
{
    const TextureSource& t = state.texture;
    if (count != 4 || !state.blend || (state.texelOr >> 24) != 0 || t.visibleSpans == nullptr ||
        t.width < 1 || t.height < 1 || box[0] >= box[2] || box[1] >= box[3] ||
        static_cast<int64_t>(box[2] - box[0]) * (box[3] - box[1]) < kBandedArea)
        return false;
    Snapped p[4];
    for (int i = 0; i < 4; ++i)
        if (!Snap(v[i], &p[i])) return false;
    if (!FollowsItsSides(p, v)) return false;
    const TriangleSetup setup(p[0], p[1], p[2]);
    const TexturePlanes tex = MakeTexturePlanes(state, setup, v[0], v[1], v[2]);
    const Plane& s = tex.s;
    if (!std::isfinite(s.origin) || !std::isfinite(s.dx) || !std::isfinite(tex.t.origin) ||
        !std::isfinite(tex.t.dy) || s.dy != 0.0 || tex.t.dx != 0.0 || s.dx == 0.0)
        return false;
    const auto row = [&](int y) { return tex.t.At(0.0, y - setup.y0); };
    const auto column = [&](int x) { return s.At(x - setup.x0, 0.0); };
    // The pixel whose column position is `at`, rounded down.
    const auto pixelAt = [&](double at) { return (at - s.origin) / s.dx + setup.x0; };

    // The rows and columns whose centres the quad covers, and one more each side.
    const int64_t minX = std::min(p[0].x, p[2].x), maxX = std::max(p[0].x, p[2].x);
    const int64_t minY = std::min(p[0].y, p[2].y), maxY = std::max(p[0].y, p[2].y);
    const int cx0 = static_cast<int>(std::max<int64_t>(CeilPixel(minX) - 1, box[0]));
    const int cx1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxX) + 1, box[2]));
    const int cy0 = static_cast<int>(std::max<int64_t>(CeilPixel(minY) - 1, box[1]));
    const int cy1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxY) + 1, box[3]));
    if (cx0 >= cx1 || cy0 >= cy1) {
        for (auto& band : out.at)
            band[0] = band[1] = box[0];
        return true;
    }
    // The texel columns the covered pixels may sample, unwrapped.
    const double sa = column(cx0), sb = column(cx1 - 1);
    constexpr double kFar = 1099511627776.0; // 2^40 texels
    if (!(std::fabs(sa) < kFar && std::fabs(sb) < kFar && std::fabs(row(cy0)) < kFar &&
          std::fabs(row(cy1 - 1)) < kFar))
        return false;
    const double sLow = std::min(sa, sb) - kReach, sHigh = std::max(sa, sb) + kReach;
    if (!(sHigh - sLow < 4.0 * t.width)) return false; // the texture repeats across

    const int h = DrawBands::Height(box);
    for (int k = 0; k < DrawBands::kBands; ++k) {
        int32_t* band = out.at[k];
        const int ya = std::max(cy0, box[1] + k * h);
        const int yb = std::min(cy1, box[1] + (k + 1) * h);
        band[0] = band[1] = box[0];
        if (ya >= yb) continue;
        // The texel rows these rows may sample, wrapped; all of them at most.
        const double ta = row(ya), tb = row(yb - 1);
        const int64_t j0 = Floor(std::min(ta, tb) - kReach);
        const int64_t j1 = Floor(std::max(ta, tb) + kReach);
        const int64_t rows = std::min<int64_t>(j1 - j0 + 1, t.height);
        int32_t lo = t.width, hi = 0;
        for (int64_t j = j0; j < j0 + rows; ++j) {
            const int32_t y = Wrap(j, t.height);
            if (t.visibleSpans[2 * y] >= t.visibleSpans[2 * y + 1]) continue;
            lo = std::min(lo, t.visibleSpans[2 * y]);
            hi = std::max(hi, t.visibleSpans[2 * y + 1]);
        }
        if (lo >= hi) continue; // every texel sampled is clear
        // The visible columns, repeated as the texture wraps, that the
        // sampled ones meet, and the pixels that may reach them.
        double x0 = 0.0, x1 = 0.0;
        bool any = false;
        const int64_t first = Floor((sLow - hi) / t.width);
        const int64_t last = Floor((sHigh - lo) / t.width) + 1;
        for (int64_t m = first; m <= last; ++m) {
            const double low = std::max(sLow, static_cast<double>(lo + m * t.width) - kReach);
            const double high = std::min(sHigh, static_cast<double>(hi + m * t.width) + kReach);
            if (low > high) continue;
            const double a = pixelAt(low), b = pixelAt(high);
            x0 = any ? std::min({x0, a, b}) : std::min(a, b);
            x1 = any ? std::max({x1, a, b}) : std::max(a, b);
            any = true;
        }
        if (!any) continue;
        band[0] = static_cast<int32_t>(std::max<double>(cx0, std::floor(x0) - 1));
        band[1] = static_cast<int32_t>(std::min<double>(cx1, std::ceil(x1) + 2));
        if (band[0] >= band[1]) band[0] = band[1] = box[0];
    }
    return true;
}

} // namespace platform::d3d9impl

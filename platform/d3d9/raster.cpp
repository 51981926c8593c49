// Fans, and the rectangle path: an axis-aligned quad whose texture follows
// its sides is drawn row by row with per-column lookup tables, no edge tests.
#include "platform/d3d9/raster_setup.h"
#include "platform/d3d9/span.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace platform::d3d9impl {

namespace {

bool IsRectangle(const Snapped p[4], const RasterVertex v[4])
{
    if (v[0].diffuse != v[1].diffuse || v[0].diffuse != v[2].diffuse ||
        v[0].diffuse != v[3].diffuse)
        return false;
    // v0-v1 horizontal: u follows x, v follows y.
    if (p[0].y == p[1].y && p[2].y == p[3].y && p[1].x == p[2].x && p[3].x == p[0].x)
        return v[0].u == v[3].u && v[1].u == v[2].u && v[0].v == v[1].v && v[2].v == v[3].v;
    // v0-v1 vertical.
    if (p[0].x == p[1].x && p[2].x == p[3].x && p[1].y == p[2].y && p[3].y == p[0].y)
        return v[0].u == v[1].u && v[2].u == v[3].u && v[1].v == v[2].v && v[3].v == v[0].v;
    return false;
}

// When a plane steps exactly one texel a pixel and its first position lies
// clear of the rounding boundaries of the 1/128 texel grid, the positions of
// the pixels that follow quantise to the first plus whole texels: the sums
// that make them err by less than 2^-20 of a grid step, far inside the
// margin kept. Gives the first quantised position; false when this cannot
// be told.
bool StepsWholeTexels(double first, double step, int count, int64_t* q)
{
    constexpr double kMaxPosition = 1048576.0; // 2^20 texels
    constexpr double kMargin = 1.0 / 1024;     // of a grid step
    if (step != 1.0 || !(std::fabs(first) < kMaxPosition) || count > (1 << 20)) return false;
    const double v = first * kTexelOne + 0.5;
    const double fraction = v - static_cast<double>(Floor(v));
    if (fraction < kMargin || fraction > 1.0 - kMargin) return false;
    *q = QuantizeTexel(first);
    return true;
}

uint32_t* RowAt(const DrawState& s, int y, int x)
{
    return s.target + (static_cast<ptrdiff_t>(y - s.originY) * s.pitch + (x - s.originX));
}

// The largest filtered quad kept, in pixels.
constexpr int64_t kMaxCachedQuad = 512 * 512;

bool DrawRectangle(const DrawState& state, const RasterVertex v[4], RasterScratch& scratch);

// Draws the filtered quad with corners p (its pixels qx0..qx1, qy0..qy1),
// within x0..x1, y0..y1, from its colours kept in the scratch, which are
// made first when the quad is not there.
void DrawCached(const DrawState& state, const RasterVertex v[4], const Snapped p[4], int qx0,
                int qy0, int qx1, int qy1, uint32_t diffuse, int x0, int y0, int x1, int y1,
                RasterScratch& scratch)
{
    CachedQuad::Key key;
    std::memset(&key, 0, sizeof key);
    for (int i = 0; i < 4; ++i) {
        key.corners[2 * i] = p[i].x - static_cast<int64_t>(qx0) * (1 << kSubpixelBits);
        key.corners[2 * i + 1] = p[i].y - static_cast<int64_t>(qy0) * (1 << kSubpixelBits);
        key.uv[2 * i] = v[i].u;
        key.uv[2 * i + 1] = v[i].v;
    }
    key.generation = state.texture.generation;
    key.diffuse = diffuse;
    key.texelOr = state.texelOr;
    key.filters = (state.minLinear ? 1u : 0u) | (state.magLinear ? 2u : 0u);
    CachedQuad* quad = nullptr;
    for (CachedQuad& c : scratch.quads)
        if (c.width > 0 && c.key == key) quad = &c;
    if (quad == nullptr) {
        quad = &scratch.quads[0];
        for (CachedQuad& c : scratch.quads)
            if (c.lastUse < quad->lastUse) quad = &c;
        quad->key = key;
        quad->width = qx1 - qx0;
        quad->height = qy1 - qy0;
        quad->pixels.resize(static_cast<size_t>(quad->width) * quad->height + kSpanPadding);
        // The colours themselves: stored, not blended, all of the quad.
        DrawState fill = state;
        fill.target = quad->pixels.data();
        fill.pitch = quad->width;
        fill.originX = fill.clipX0 = qx0;
        fill.originY = fill.clipY0 = qy0;
        fill.clipX1 = qx1;
        fill.clipY1 = qy1;
        fill.blend = false;
        fill.writeMask = 0xFFFFFFFF;
        fill.pendingRows = nullptr;
        fill.texture.generation = 0; // drawn, not looked for here
        DrawRectangle(fill, v, scratch);
    }
    quad->lastUse = ++scratch.uses;
    SpanInput in;
    in.texelOr = 0;
    in.diffuse = 0xFFFFFFFF;
    in.writeMask = state.writeMask;
    const SpanFunction span =
        SelectSpan(Fetch::Contiguous, false, state.blend, state.writeMask != 0xFFFFFFFF);
    for (int y = y0; y < y1; ++y) {
        if (state.pendingRows && state.pendingRows[y]) SettleRows(state, y, y + 1);
        in.src = quad->pixels.data() + static_cast<size_t>(y - qy0) * quad->width + (x0 - qx0);
        span(in, RowAt(state, y, x0), x1 - x0);
    }
}

// False when the quad is not for this path.
bool DrawRectangle(const DrawState& state, const RasterVertex v[4], RasterScratch& scratch)
{
    Snapped p[4];
    for (int i = 0; i < 4; ++i)
        if (!Snap(v[i], &p[i])) return false;
    if (!IsRectangle(p, v)) return false;

    const int64_t area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (area == 0) return true;
    const bool clockwise = area > 0;
    if ((state.cull == Cull::CounterClockwise && !clockwise) ||
        (state.cull == Cull::Clockwise && clockwise))
        return true;

    const int64_t minX = std::min(p[0].x, p[2].x), maxX = std::max(p[0].x, p[2].x);
    const int64_t minY = std::min(p[0].y, p[2].y), maxY = std::max(p[0].y, p[2].y);
    const int x0 = static_cast<int>(std::max<int64_t>(CeilPixel(minX), state.clipX0));
    const int x1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxX), state.clipX1));
    const int y0 = static_cast<int>(std::max<int64_t>(CeilPixel(minY), state.clipY0));
    const int y1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxY), state.clipY1));
    if (x0 >= x1 || y0 >= y1) return true;

    const uint32_t diffuse = v[0].diffuse | state.diffuseOr;
    if (state.blend && (diffuse >> 24) == 0) return true; // fully transparent

    const TriangleSetup setup(p[0], p[1], p[2]);
    const TexturePlanes tex = MakeTexturePlanes(state, setup, v[0], v[1], v[2]);
    const TextureSource& t = state.texture;
    const int n = x1 - x0;
    const auto at = [&](int y, int x) { return RowAt(state, y, x); };

    if (tex.linear && t.generation != 0) {
        const int qx0 = static_cast<int>(CeilPixel(minX)), qx1 = static_cast<int>(CeilPixel(maxX));
        const int qy0 = static_cast<int>(CeilPixel(minY)), qy1 = static_cast<int>(CeilPixel(maxY));
        if (static_cast<int64_t>(qx1 - qx0) * (qy1 - qy0) <= kMaxCachedQuad) {
            DrawCached(state, v, p, qx0, qy0, qx1, qy1, diffuse, x0, y0, x1, y1, scratch);
            return true;
        }
    }

    // Column tables, padded for the kernels' groups of pixels.
    scratch.col0.resize(n + kSpanPadding);
    scratch.colWeights.resize(n + kSpanPadding);
    bool contiguous = !tex.linear;
    int32_t lo = t.width, hi = 0; // columns the vertical pass must cover
    int64_t firstColumn = 0;
    int32_t wholeFrom = -1; // the first column of a texel-for-pixel run, or -1
    if (!tex.linear && StepsWholeTexels(tex.s.At(x0 - setup.x0, 0.0), tex.s.dx, n, &firstColumn)) {
        const int32_t c = Wrap(firstColumn >> kTexelFractionBits, t.width);
        if (c + n <= t.width) wholeFrom = c;
    }
    if (wholeFrom >= 0)
        for (int i = 0; i < n; ++i)
            scratch.col0[i] = wholeFrom + i;
    for (int i = 0; i < n && wholeFrom < 0; ++i) {
        int64_t q = QuantizeTexel(tex.s.At(x0 + i - setup.x0, 0.0));
        if (tex.linear) q -= kTexelOne / 2;
        const int32_t c = Wrap(q >> kTexelFractionBits, t.width);
        scratch.col0[i] = c;
        if (tex.linear) {
            scratch.colWeights[i] = ColumnWeights(static_cast<uint32_t>(q & (kTexelOne - 1)));
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        } else if (i > 0 && c != scratch.col0[i - 1] + 1) {
            contiguous = false;
        }
    }
    if (tex.linear)
        for (int i = 0; i < n; ++i)
            scratch.col0[i] -= lo;
    for (int i = n; i < n + kSpanPadding; ++i) {
        scratch.col0[i] = scratch.col0[n - 1];
        scratch.colWeights[i] = scratch.colWeights[n - 1];
    }

    const Fetch fetch = tex.linear   ? Fetch::Bilinear
                        : contiguous ? Fetch::Contiguous
                                     : Fetch::Point;
    const bool copyable = fetch == Fetch::Contiguous && diffuse == 0xFFFFFFFF &&
                          state.texelOr == 0 && state.writeMask == 0xFFFFFFFF;
    const SpanFunction span =
        SelectSpan(fetch, diffuse != 0xFFFFFFFF, state.blend, state.writeMask != 0xFFFFFFFF);

    // The vertical pass covers texels lo..hi and, after them, the one that
    // follows hi (wrapping), so every pair c, c + 1 lies side by side.
    const int passCount = tex.linear ? hi - lo + 1 : 0;
    const int32_t after = Wrap(hi + 1, t.width);
    if (tex.linear) scratch.column.resize(4 * (passCount + 1));

    // Blending a clear texel leaves the target as it is: a straight run of
    // texels need only be drawn where its row is not clear.
    const bool clearRowsSkip = fetch == Fetch::Contiguous && state.blend &&
                               (state.texelOr >> 24) == 0 && t.visibleSpans != nullptr;

    SpanInput in;
    in.column = scratch.column.data();
    in.col0 = scratch.col0.data();
    in.colWeights = scratch.colWeights.data();
    in.texelOr = state.texelOr;
    in.diffuse = diffuse;
    in.writeMask = state.writeMask;
    int64_t firstRow = 0;
    const bool wholeRows =
        !tex.linear && StepsWholeTexels(tex.t.At(0.0, y0 - setup.y0), tex.t.dy, y1 - y0, &firstRow);
    for (int y = y0; y < y1; ++y) {
        if (tex.linear) {
            int64_t q = QuantizeTexel(tex.t.At(0.0, y - setup.y0));
            q -= kTexelOne / 2;
            const int64_t j = q >> kTexelFractionBits;
            const uint32_t* r0 = t.texels + static_cast<size_t>(Wrap(j, t.height)) * t.width;
            const uint32_t* r1 = t.texels + static_cast<size_t>(Wrap(j + 1, t.height)) * t.width;
            const uint32_t fy = static_cast<uint32_t>(q & (kTexelOne - 1));
            VerticalPass(r0 + lo, r1 + lo, passCount, fy, scratch.column.data());
            VerticalPass(r0 + after, r1 + after, 1, fy, scratch.column.data() + 4 * passCount);
        } else {
            const int32_t row =
                wholeRows ? Wrap((firstRow >> kTexelFractionBits) + (y - y0), t.height)
                          : Wrap(QuantizeTexel(tex.t.At(0.0, y - setup.y0)) >> kTexelFractionBits,
                                 t.height);
            in.row0 = t.texels + static_cast<size_t>(row) * t.width;
            in.src = in.row0 + scratch.col0[0];
            // Texels stored as they are: a straight copy.
            if (copyable &&
                (!state.blend || (t.opaqueRuns && t.opaqueRuns[2 * row] <= scratch.col0[0] &&
                                  scratch.col0[0] + n <= t.opaqueRuns[2 * row + 1]))) {
                if (state.pendingRows && state.pendingRows[y]) {
                    if (x0 <= state.pendingX0 && x0 + n >= state.pendingX1)
                        state.pendingRows[y] = 0; // the copy covers what is owed
                    else
                        SettleRows(state, y, y + 1);
                }
                std::memcpy(at(y, x0), in.src,
                            n * 4u);
                continue;
            }
            if (clearRowsSkip) {
                const int32_t c0 = scratch.col0[0];
                const int32_t from = std::max(c0, t.visibleSpans[2 * row]);
                const int32_t to = std::min(c0 + n, t.visibleSpans[2 * row + 1]);
                if (from >= to) continue;
                in.src = in.row0 + from;
                if (state.pendingRows && state.pendingRows[y]) SettleRows(state, y, y + 1);
                span(in, at(y, x0 + (from - c0)),
                     to - from);
                continue;
            }
        }
        if (state.pendingRows && state.pendingRows[y]) SettleRows(state, y, y + 1);
        span(in, at(y, x0), n);
    }
    return true;
}

} // namespace

bool CachedQuad::Key::operator==(const Key& o) const
{
    return std::memcmp(this, &o, sizeof o) == 0;
}

void SettleRows(const DrawState& state, int y0, int y1)
{
    if (!state.pendingRows) return;
    for (int y = std::max(y0, state.clipY0); y < y1; ++y) {
        if (!state.pendingRows[y]) continue;
        state.pendingRows[y] = 0;
        uint32_t* row = state.target + static_cast<size_t>(y) * state.pitch;
        std::fill(row + state.pendingX0, row + state.pendingX1, state.pendingColour);
    }
}

void DrawFan(const DrawState& state, const RasterVertex* v, int count, RasterScratch& scratch,
             bool fastPaths)
{
    if (state.writeMask == 0 || count < 3) return;
    if (fastPaths && count == 4 && DrawRectangle(state, v, scratch)) return;
    SettleRows(state, state.clipY0, state.clipY1);
    for (int k = 1; k + 1 < count; ++k)
        DrawTriangle(state, v[0], v[k], v[k + 1]);
}

} // namespace platform::d3d9impl

// The general path: any triangle, pixel by pixel.
#include "platform/d3d9/raster_setup.h"

#include <algorithm>
#include <utility>

namespace platform::d3d9impl {

namespace {

struct Edge {
    int64_t dx, dy;
    int64_t bias; // 0 on a top or left edge (centres on it are inside), else 1

    Edge(const Snapped& a, const Snapped& b) : dx(b.x - a.x), dy(b.y - a.y)
    {
        bias = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1;
    }
};

uint32_t ToByte(double v)
{
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint32_t>(v + 0.5);
}

} // namespace

void DrawTriangle(const DrawState& state, const RasterVertex& a, const RasterVertex& b,
                  const RasterVertex& c)
{
    Snapped p[3];
    if (!Snap(a, &p[0]) || !Snap(b, &p[1]) || !Snap(c, &p[2])) return;

    // Twice the signed area; positive when the triangle turns clockwise on
    // the screen (y grows downwards).
    const int64_t area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (area == 0) return;
    const bool clockwise = area > 0;
    if ((state.cull == Cull::CounterClockwise && !clockwise) ||
        (state.cull == Cull::Clockwise && clockwise))
        return;

    const TriangleSetup setup(p[0], p[1], p[2]);
    const TexturePlanes tex = MakeTexturePlanes(state, setup, a, b, c);
    const bool flat = a.diffuse == b.diffuse && a.diffuse == c.diffuse;
    Plane colour[4];
    for (int i = 0; i < 4; ++i)
        colour[i] = setup.Of(Channel(a.diffuse, i), Channel(b.diffuse, i), Channel(c.diffuse, i));

    // Edges of the clockwise order.
    Snapped q[3] = {p[0], p[1], p[2]};
    if (!clockwise) std::swap(q[1], q[2]);
    const Edge edges[3] = {Edge(q[0], q[1]), Edge(q[1], q[2]), Edge(q[2], q[0])};

    const int64_t minX = std::min({q[0].x, q[1].x, q[2].x}),
                  maxX = std::max({q[0].x, q[1].x, q[2].x});
    const int64_t minY = std::min({q[0].y, q[1].y, q[2].y}),
                  maxY = std::max({q[0].y, q[1].y, q[2].y});
    const int x0 = static_cast<int>(std::max<int64_t>(CeilPixel(minX), state.clipX0));
    const int x1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxX), state.clipX1));
    const int y0 = static_cast<int>(std::max<int64_t>(CeilPixel(minY), state.clipY0));
    const int y1 = static_cast<int>(std::min<int64_t>(CeilPixel(maxY), state.clipY1));
    if (x0 >= x1 || y0 >= y1) return;

    constexpr int64_t one = 1 << kSubpixelBits;
    for (int y = y0; y < y1; ++y) {
        const int64_t py = y * one;
        int64_t e[3];
        for (int k = 0; k < 3; ++k) {
            const Snapped& o = q[k];
            e[k] = edges[k].dx * (py - o.y) - edges[k].dy * (x0 * one - o.x) - edges[k].bias;
        }
        uint32_t* row = state.target + static_cast<size_t>(y) * state.pitch;
        const double oy = y - setup.y0;
        for (int x = x0; x < x1; ++x) {
            if (e[0] >= 0 && e[1] >= 0 && e[2] >= 0) {
                const double ox = x - setup.x0;
                uint32_t t =
                    SampleTexture(state.texture, tex.linear, tex.s.At(ox, oy), tex.t.At(ox, oy));
                t |= state.texelOr;
                uint32_t d = a.diffuse;
                if (!flat) {
                    d = 0;
                    for (int i = 0; i < 4; ++i)
                        d |= ToByte(colour[i].At(ox, oy)) << (8 * i);
                }
                d |= state.diffuseOr;
                const uint32_t s = d == 0xFFFFFFFF ? t : Modulate(t, d);
                const uint32_t v = state.blend ? Blend(s, row[x]) : s;
                row[x] = Masked(v, row[x], state.writeMask);
            }
            for (int k = 0; k < 3; ++k)
                e[k] -= edges[k].dy * one;
        }
    }
}

} // namespace platform::d3d9impl

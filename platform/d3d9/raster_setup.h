// Triangle set-up shared by the rectangle and the triangle paths, so that
// both compute positions, gradients and filters from the same numbers.
#pragma once

#include "platform/d3d9/pixel.h"
#include "platform/d3d9/raster.h"

#include <cmath>
#include <cstdint>

namespace platform::d3d9impl {

// Positions beyond ±2^21 pixels are outside what the rasteriser takes.
constexpr double kMaxCoordinate = 2097152.0;

struct Snapped {
    int64_t x, y; // 1/256 pixel
};

inline bool Snap(const RasterVertex& v, Snapped* out)
{
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) return false;
    if (std::fabs(v.x) > kMaxCoordinate || std::fabs(v.y) > kMaxCoordinate) return false;
    out->x = Floor(static_cast<double>(v.x) * (1 << kSubpixelBits) + 0.5);
    out->y = Floor(static_cast<double>(v.y) * (1 << kSubpixelBits) + 0.5);
    return true;
}

// Smallest integer ≥ a / 256.
inline int64_t CeilPixel(int64_t a)
{
    return (a + (1 << kSubpixelBits) - 1) >> kSubpixelBits;
}

// Screen-space gradient of one attribute over a triangle.
struct Plane {
    double origin; // value at vertex 0
    double dx, dy;
    double At(double ox, double oy) const { return origin + dx * ox + dy * oy; }
};

// Attribute planes of the triangle a, b, c (in this order), positions snapped.
class TriangleSetup {
public:
    TriangleSetup(const Snapped& a, const Snapped& b, const Snapped& c)
        : x0(Pos(a.x)),
          y0(Pos(a.y)),
          e1x(Pos(b.x) - x0),
          e1y(Pos(b.y) - y0),
          e2x(Pos(c.x) - x0),
          e2y(Pos(c.y) - y0),
          det(e1x * e2y - e2x * e1y)
    {}

    Plane Of(double f0, double f1, double f2) const
    {
        const double d1 = f1 - f0, d2 = f2 - f0;
        return {f0, (d1 * e2y - d2 * e1y) / det, (e1x * d2 - e2x * d1) / det};
    }

    double x0, y0;

private:
    static double Pos(int64_t p) { return static_cast<double>(p) / (1 << kSubpixelBits); }
    double e1x, e1y, e2x, e2y, det;
};

// Texel-space planes (u × width, v × height) and the filter they call for.
struct TexturePlanes {
    Plane s, t;
    bool linear;
};

inline TexturePlanes MakeTexturePlanes(const DrawState& state, const TriangleSetup& setup,
                                       const RasterVertex& a, const RasterVertex& b,
                                       const RasterVertex& c)
{
    const double w = state.texture.width, h = state.texture.height;
    TexturePlanes p;
    p.s = setup.Of(a.u * w, b.u * w, c.u * w);
    p.t = setup.Of(a.v * h, b.v * h, c.v * h);
    // Minified when a pixel step covers more than one texel; the threshold
    // stands for the precision of the level-of-detail computation (1/512).
    const double rho =
        std::sqrt(std::fmax(p.s.dx * p.s.dx + p.t.dx * p.t.dx, p.s.dy * p.s.dy + p.t.dy * p.t.dy));
    constexpr double kMinifiedAbove = 1.0013547198921082; // 2^(1/512)
    p.linear = rho > kMinifiedAbove ? state.minLinear : state.magLinear;
    return p;
}

// One texture sample at texel position (s, t), wrapped.
inline uint32_t SampleTexture(const TextureSource& tex, bool linear, double s, double t)
{
    int64_t qs = QuantizeTexel(s), qt = QuantizeTexel(t);
    if (!linear) {
        return tex
            .texels[static_cast<size_t>(Wrap(qt >> kTexelFractionBits, tex.height)) * tex.width +
                    Wrap(qs >> kTexelFractionBits, tex.width)];
    }
    qs -= kTexelOne / 2;
    qt -= kTexelOne / 2;
    const int64_t i = qs >> kTexelFractionBits, j = qt >> kTexelFractionBits;
    const uint32_t fx = static_cast<uint32_t>(qs & (kTexelOne - 1));
    const uint32_t fy = static_cast<uint32_t>(qt & (kTexelOne - 1));
    const uint32_t* r0 = tex.texels + static_cast<size_t>(Wrap(j, tex.height)) * tex.width;
    const uint32_t* r1 = tex.texels + static_cast<size_t>(Wrap(j + 1, tex.height)) * tex.width;
    const int32_t c0 = Wrap(i, tex.width), c1 = Wrap(i + 1, tex.width);
    return Bilinear(r0[c0], r0[c1], r1[c0], r1[c1], fx, fy);
}

void DrawTriangle(const DrawState& state, const RasterVertex& a, const RasterVertex& b,
                  const RasterVertex& c);

} // namespace platform::d3d9impl

// Per-pixel arithmetic of the rasteriser, in exact integer form. The row
// kernels (span.cpp) compute the same values several pixels at a time.
#pragma once

#include <cmath>
#include <cstdint>

namespace platform::d3d9impl {

constexpr int kSubpixelBits = 8;      // vertex positions: 1/256 pixel
constexpr int kTexelFractionBits = 7; // texel positions: 1/128 texel
constexpr int kTexelOne = 1 << kTexelFractionBits;

// round(t / 255) for 0 ≤ t ≤ 255 × 255.
inline uint32_t Div255(uint32_t t)
{
    t += 128;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t Channel(uint32_t c, int i)
{
    return (c >> (8 * i)) & 0xFF;
}

// Texel × colour per channel.
inline uint32_t Modulate(uint32_t t, uint32_t d)
{
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= Div255(Channel(t, i) * Channel(d, i)) << (8 * i);
    return out;
}

// Column weights of a bilinear sample: (1 − fx) in the low half, fx in the
// high half, each in 1/128.
inline uint32_t ColumnWeights(uint32_t fx)
{
    return (kTexelOne - fx) | (fx << 16);
}

// The four texels around a sample position with fractions fx, fy (0..127).
inline uint32_t Bilinear(uint32_t t00, uint32_t t10, uint32_t t01, uint32_t t11, uint32_t fx,
                         uint32_t fy)
{
    const uint32_t w00 = (kTexelOne - fx) * (kTexelOne - fy), w10 = fx * (kTexelOne - fy);
    const uint32_t w01 = (kTexelOne - fx) * fy, w11 = fx * fy;
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        uint32_t sum = Channel(t00, i) * w00 + Channel(t10, i) * w10 + Channel(t01, i) * w01 +
                       Channel(t11, i) * w11;
        out |= ((sum + (1u << 13)) >> 14) << (8 * i);
    }
    return out;
}

// src × αs + dst × (1 − αs) on every channel.
inline uint32_t Blend(uint32_t s, uint32_t d)
{
    const uint32_t a = s >> 24;
    if (a == 255) return s;
    if (a == 0) return d;
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= Div255(Channel(s, i) * a + Channel(d, i) * (255 - a)) << (8 * i);
    return out;
}

inline uint32_t Masked(uint32_t value, uint32_t old, uint32_t mask)
{
    return (value & mask) | (old & ~mask);
}

// floor(v) for |v| < 2^62.
inline int64_t Floor(double v)
{
    const int64_t t = static_cast<int64_t>(v);
    return t - (static_cast<double>(t) > v);
}

// A texel coordinate (in texels) on the 1/128 grid, rounded to nearest.
// Values far outside any texture are clamped (wrapping makes them arbitrary
// anyway); NaN counts as 0.
inline int64_t QuantizeTexel(double s)
{
    constexpr double kLimit = 1099511627776.0; // 2^40
    if (!(s >= -kLimit)) s = std::isnan(s) ? 0.0 : -kLimit;
    if (s > kLimit) s = kLimit;
    return Floor(s * kTexelOne + 0.5);
}

inline int32_t Wrap(int64_t i, int size)
{
    if ((size & (size - 1)) == 0) return static_cast<int32_t>(i & (size - 1));
    int64_t r = i % size;
    return static_cast<int32_t>(r < 0 ? r + size : r);
}

} // namespace platform::d3d9impl

// FreeType outlines as TTPOLYGONHEADER / TTPOLYCURVE records.
#pragma once

#include "platform/gdi32.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <vector>

namespace platform::gdi {

// 16.16 fixed point as one signed 32-bit number and back.
inline FIXED ToFixed(int32_t v)
{
    FIXED f;
    f.fract = static_cast<WORD>(static_cast<uint32_t>(v) & 0xFFFFu);
    f.value = static_cast<SHORT>(static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16));
    return f;
}

inline int32_t FromFixed(FIXED f)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(f.value)) << 16) |
                                f.fract);
}

// The records of an outline in 26.6 pixels: one polygon per contour that
// draws anything, starting at an on-curve point and ending back at it.
// Straight runs become TT_PRIM_LINE records; quadratic runs TT_PRIM_QSPLINE
// records whose on-curve points between two control points are implied (they
// are the midpoints of their neighbours); cubic arcs are approximated by
// quadratic ones within 1/32 pixel. Empty for an outline without contours.
std::vector<uint8_t> OutlineToRecords(const FT_Outline& outline);

} // namespace platform::gdi

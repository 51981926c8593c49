// Row kernels of the rectangle path: one call fetches, tints, blends and
// stores one row of pixels, with the arithmetic of pixel.h.
#pragma once

#include <cstdint>

namespace platform::d3d9impl {

enum class Fetch {
    Contiguous, // point samples of consecutive texels: src[0], src[1], ...
    Point,      // point samples row0[col0[i]]
    Bilinear,   // row0/row1 × col0/col1, column weights colWeights[i], row fraction fy
};

struct SpanInput {
    const uint32_t* src = nullptr;
    const uint32_t* row0 = nullptr;
    const uint32_t* row1 = nullptr;
    const int32_t* col0 = nullptr;
    const int32_t* col1 = nullptr;
    const uint32_t* colWeights = nullptr;
    uint32_t fy = 0;
    uint32_t texelOr = 0;
    uint32_t diffuse = 0xFFFFFFFF; // already with the diffuse mask applied
    uint32_t writeMask = 0xFFFFFFFF;
};

using SpanFunction = void (*)(const SpanInput& in, uint32_t* dst, int count);

SpanFunction SelectSpan(Fetch fetch, bool modulate, bool blend, bool masked);

} // namespace platform::d3d9impl

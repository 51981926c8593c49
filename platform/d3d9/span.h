// Row kernels of the rectangle path: one call fetches, tints, blends and
// stores one row of pixels, with the arithmetic of pixel.h.
#pragma once

#include <cstdint>

namespace platform::d3d9impl {

enum class Fetch {
    Contiguous, // point samples of consecutive texels: src[0], src[1], ...
    Point,      // point samples row0[col0[i]]
    Bilinear,   // pairs column[col0[i]], column[col0[i] + 1] of a vertical pass, colWeights[i]
};

// The kernels work in groups of four or eight pixels. Tables indexed by pixel (col0,
// colWeights) must hold kSpanPadding entries beyond the row's last pixel,
// repeating its last entry, and up to kSpanPadding texels past a contiguous
// row and pixels past the target row may be read (never changed): textures
// and targets are allocated with that much to spare.
constexpr int kSpanPadding = 7;

struct SpanInput {
    const uint32_t* src = nullptr;
    const uint32_t* row0 = nullptr;
    const int16_t* column = nullptr; // vertical pass: 4 channels per texel
    const int32_t* col0 = nullptr;
    const uint32_t* colWeights = nullptr;
    uint32_t texelOr = 0;
    uint32_t diffuse = 0xFFFFFFFF; // already with the diffuse mask applied
    uint32_t writeMask = 0xFFFFFFFF;
};

using SpanFunction = void (*)(const SpanInput& in, uint32_t* dst, int count);

SpanFunction SelectSpan(Fetch fetch, bool modulate, bool blend, bool masked);

// The vertical half of bilinear sampling: for each of `count` texels,
// top × (128 − fy) + bottom × fy per channel (exact, at most 255 × 128).
void VerticalPass(const uint32_t* top, const uint32_t* bottom, int count, uint32_t fy,
                  int16_t* out);

// The kernels come in two widths: SSE2 (four pixels) and, where the
// processor has it, AVX2 (eight pixels), which is then used. Both give the
// same pixels; turning the wide ones off is for comparing them.
bool WideKernelsSupported();
void UseWideKernels(bool on);
SpanFunction SelectWideSpan(Fetch fetch, bool modulate, bool blend, bool masked);
void WideVerticalPass(const uint32_t* top, const uint32_t* bottom, int count, uint32_t fy,
                      int16_t* out);

} // namespace platform::d3d9impl

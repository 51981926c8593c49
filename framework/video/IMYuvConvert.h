// Planar YUV 4:2:0 to 32-bit pixels for the video view.
//
// Studio-swing BT.601 with the coefficients scaled by 64: with
// Y' = (Y - 16) * 74, U' = U - 128, V' = V - 128,
//   red   = (Y' + 102 V') >> 6
//   green = (Y' - 25 U' - 52 V') >> 6
//   blue  = (Y' + 129 U') >> 6
// in 16-bit signed saturating arithmetic, each clamped to 0..255. Pixels
// are written blue, green, red, 0. Chroma sample (j, k) serves the 2 x 2
// pixels (2j..2j+1, 2k..2k+1), without interpolation.
#pragma once

#include <cstddef>

struct IMYuvPlanes {
    const unsigned char* y;
    const unsigned char* u;
    const unsigned char* v;
    // Row steps in bytes; negative for planes stored bottom-up.
    int yStride;
    int uvStride;
    // The luma plane's size; the chroma planes are half of it each way.
    int width;
    int height;
};

// Converts the planes into `bits` (rows of `pitch` bytes), starting at the
// top row. The width covered is the luma width (a Theora plane's is always
// a multiple of 16), at most `maxWidth` pixels; the rows covered are the
// luma height, at most `maxRows`. Two rows and eight pixels a step, with
// SSE2 where the processor has it.
void IMConvertYuvToBgrx(const IMYuvPlanes& planes, unsigned char* bits, int pitch, int maxWidth,
                        int maxRows);

// The same conversion a pixel at a time: the reference the fast path must
// match byte for byte.
void IMConvertYuvToBgrxScalar(const IMYuvPlanes& planes, unsigned char* bits, int pitch,
                              int maxWidth, int maxRows);

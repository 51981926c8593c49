// Planar YUV (4:2:0, 4:2:2 or 4:4:4) to 32-bit pixels for the video view.
//
// Studio-swing BT.601 with the coefficients scaled by 64: with
// Y' = (Y - 16) * 74, U' = U - 128, V' = V - 128,
//   red   = (Y' + 102 V') >> 6
//   green = (Y' - 25 U' - 52 V') >> 6
//   blue  = (Y' + 129 U') >> 6
// in 16-bit signed saturating arithmetic, each clamped to 0..255. Pixels
// are written blue, green, red, 0. Chroma is not interpolated: in 4:2:0,
// chroma sample (j, k) serves the 2 x 2 pixels (2j..2j+1, 2k..2k+1); in
// 4:2:2 the 2 x 1 pixels (2j..2j+1, k); in 4:4:4 pixel (j, k) alone.
#pragma once

#include <cstddef>

struct IMYuvPlanes {
    const unsigned char* y;
    const unsigned char* u;
    const unsigned char* v;
    // Row steps in bytes; negative for planes stored bottom-up.
    int yStride;
    int uvStride;
    // The luma plane's size.
    int width;
    int height;
    // How the chroma planes are subsampled: 1 when a chroma sample serves
    // two pixels that way (4:2:0 both ways, 4:2:2 across only), else 0.
    int chromaShiftX = 1;
    int chromaShiftY = 1;
};

// Converts the planes into `bits` (rows of `pitch` bytes), starting at the
// top row. The width covered is the luma width (a Theora plane's is always
// a multiple of 16), at most `maxWidth` pixels; the rows covered are the
// luma height, at most `maxRows`. Two rows and eight pixels a step, with
// SSE2 where the processor has it. Shifts other than 0 and 1 convert
// nothing.
void IMConvertYuvToBgrx(const IMYuvPlanes& planes, unsigned char* bits, int pitch, int maxWidth,
                        int maxRows);

// The same conversion a pixel at a time: the reference the fast path must
// match byte for byte.
void IMConvertYuvToBgrxScalar(const IMYuvPlanes& planes, unsigned char* bits, int pitch,
                              int maxWidth, int maxRows);

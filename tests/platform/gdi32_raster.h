// Test support: a glyph drawn on a grey canvas from GetGlyphOutlineW's records
// through AGG (as the glyph renderer draws them), and the same glyph drawn
// from the face itself, by FreeType's rasteriser or by AGG from FreeType's
// outline, so the three can be compared.
#pragma once

#include "platform/gdi32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gdi_test {

struct Canvas {
    int width = 0;
    int height = 0;
    int originX = 0;   // the pen position, in pixels from the left
    int baseline = 0;  // the baseline, in rows from the top
    std::vector<uint8_t> pixels;

    Canvas(int w, int h, int x, int base)
        : width(w), height(h), originX(x), baseline(base), pixels(size_t(w) * h, 0)
    {
    }
    long Ink() const;
};

// Draws the records (as GetGlyphOutlineW wrote them) with AGG: lines, and
// quadratic splines whose inner on-curve points are the midpoints of their
// control points; every contour closed. Curves are flattened finely.
void DrawRecords(const std::vector<uint8_t>& records, Canvas* canvas);

// A glyph of a face file, unhinted, scaled to an em size in 26.6 pixels.
struct FaceGlyph {
    std::string path;
    int faceIndex = 0;
    long emWidth = 0;
    long emHeight = 0;
    UINT character = 0;
};

// Draws the glyph with FreeType's own rasteriser. False when it cannot, or
// when the glyph does not fit the canvas.
bool DrawWithFreeType(const FaceGlyph& glyph, Canvas* canvas);

// Draws FreeType's outline of the glyph with AGG, as DrawRecords draws.
bool DrawOutlineWithAgg(const FaceGlyph& glyph, Canvas* canvas);

// Sum over the pixels of |a - b|.
long Difference(const Canvas& a, const Canvas& b);

// GetGlyphOutlineW's records of a character, with the identity matrix.
std::vector<uint8_t> NativeOutline(HDC hdc, UINT character, GLYPHMETRICS* metrics = nullptr);

// The identity transformation.
MAT2 Identity();

} // namespace gdi_test

// Test support: one glyph drawn on a grey canvas three ways: from
// GetGlyphOutlineW's records through AGG (as the glyph renderer draws them),
// by FreeType's rasteriser, and from FreeType's outline through AGG.
#pragma once

#include "platform/gdi32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gdi_test {

// A square canvas with the pen at a quarter of its width, on its middle row.
struct Canvas {
    explicit Canvas(int size) : size(size), pixels(size_t(size) * size, 0) {}
    int size;
    std::vector<uint8_t> pixels;
};

long Ink(const Canvas& canvas);
long Difference(const Canvas& a, const Canvas& b); // sum of |a − b|

// Lines, and quadratic splines whose inner on-curve points are the midpoints
// of their control points, every contour closed; curves flattened finely.
void DrawRecords(const std::vector<uint8_t>& records, Canvas* canvas);

// The unhinted glyph of a face file at an em size in 26.6 pixels, by
// FreeType's rasteriser or by AGG from FreeType's outline.
bool DrawWithFreeType(const std::string& path, int index, long emWidth, long emHeight, UINT c,
                      bool byAgg, Canvas* canvas);

MAT2 Identity();
// GetGlyphOutlineW's GGO_NATIVE records of a character.
std::vector<uint8_t> NativeOutline(HDC hdc, UINT c, GLYPHMETRICS* metrics = nullptr);

} // namespace gdi_test

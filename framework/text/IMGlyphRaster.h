// Rasterising a glyph path into 32-bit BGRA pixels with AGG.
#pragma once

#include "framework/text/IMGlyphPath.h"
#include "platform/wintypes.h"

// Fills width × height pixels at `bits` (rows `pitch` bytes apart, the top
// row first) with the background colour and draws the path over it in the
// text colour, anti-aliased, non-zero fill. The path's y grows upwards from
// the bottom row. Colours are ARGB.
void RasterizeGlyph(IMGlyphPath& path, void* bits, int pitch, int width, int height,
                    DWORD textColour, DWORD backColour);

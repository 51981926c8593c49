// The name under which a glyph's texture is registered in the texture table:
// every property that changes the glyph's pixels, run together without
// separators. Colours print as signed decimals (opaque white is -1), flags
// as 0 or 1. The key holds at most 255 characters.
#pragma once

#include "platform/wintypes.h"

#include <string>

std::wstring MakeGlyphKey(const std::wstring& face, wchar_t character, int height, DWORD textColour,
                          bool bold, bool underline, bool italic, DWORD backColour,
                          bool whitespaceSymbol);

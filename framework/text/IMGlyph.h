// One character of a text view: its properties, the key naming its texture,
// the texture (one reference held while it has one) and its rectangle.
#pragma once

#include "platform/wintypes.h"

#include <string>

class IMGlyph {
public:
    IMGlyph(wchar_t character, DWORD textColour, bool underline, bool bold, bool italic, int height,
            const std::wstring& face, DWORD backColour);

    // Rebuilds the key from the properties.
    void MakeGlyphKey();

    // Gives up the texture reference, if any.
    void ReleaseTexture();

    int textureId;
    // Whether textureId holds a reference (a texture that could not be made
    // leaves it false).
    bool hasTexture;
    // The size of the texture's image, which is the glyph's size on a line.
    int imageWidth;
    int imageHeight;

    wchar_t character;
    // Relative to the view's top-left corner; empty until laid out.
    RECT rect;
    DWORD textColour;
    bool underline;
    bool bold;
    bool italic;
    int height;
    std::wstring face;
    DWORD backColour;
    bool whitespaceSymbol;
    std::wstring key;
};

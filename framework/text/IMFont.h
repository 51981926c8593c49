// The fonts that glyphs are made from, and what GDI tells of their characters.
//
// IMFontList keeps every font made so far (searched in order, only appended
// to) and the screen device context all font work goes through. A font is
// known by its index in the list. The underline flag does not tell fonts
// apart: underlines are drawn with the glyph's outline, not by GDI.
//
// Everything GDI delivers is cached per font and character: ABC widths,
// glyph metrics and GGO_NATIVE outlines.
#pragma once

#include "platform/gdi32.h"
#include "platform/wintypes.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The largest outline taken from GDI, in bytes; larger ones give no outline.
const DWORD kGlyphOutlineBufferSize = 16352;

class IMFont {
public:
    IMFont(const std::wstring& face, int height, bool bold, bool italic, bool underline);
    ~IMFont();
    IMFont(const IMFont&) = delete;
    IMFont& operator=(const IMFont&) = delete;

    std::wstring face;
    int height;
    bool bold;
    bool italic;
    bool underline;
    TEXTMETRICW metrics;
    HFONT font;

    std::map<wchar_t, ABC> widths;
    std::map<wchar_t, GLYPHMETRICS> glyphMetrics;
    // The outline records as GDI wrote them (empty when GDI failed).
    std::map<wchar_t, std::vector<BYTE>> outlines;
    // GetGlyphOutlineW's result: the bytes written, negative when it failed.
    std::map<wchar_t, int> outlineSizes;
};

// Whether a font serves a request: face, height, bold and italic equal.
bool Matches(const IMFont& font, const std::wstring& face, int height, bool bold, bool italic,
             bool underline);

class IMFontList {
public:
    IMFontList();
    ~IMFontList();
    IMFontList(const IMFontList&) = delete;
    IMFontList& operator=(const IMFontList&) = delete;

    // The index of the first font that matches, made when none does.
    int GetFont(const std::wstring& face, int height, bool bold, bool italic, bool underline);
    // Widths of one character, cached.
    void GetCharWidths(int fontIndex, wchar_t c, ABC* out);
    // Reads the character's metrics and outline into the font's caches.
    void GetGlyphOutline(int fontIndex, wchar_t c);
    // The cached outline (read on a miss): its records and GDI's result.
    const std::vector<BYTE>& OutlineOf(int fontIndex, wchar_t c);
    int OutlineSizeOf(int fontIndex, wchar_t c);
    const GLYPHMETRICS& MetricsOf(int fontIndex, wchar_t c);

    IMFont& Font(int index) { return *fonts[static_cast<size_t>(index)]; }
    int Count() const { return static_cast<int>(fonts.size()); }
    HDC ScreenDC() const { return screen; }

private:
    std::vector<std::unique_ptr<IMFont>> fonts;
    HDC screen;
};

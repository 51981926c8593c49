#include "framework/text/IMGlyphKey.h"

#include <cwchar>

std::wstring MakeGlyphKey(const std::wstring& face, wchar_t character, int height, DWORD textColour,
                          bool bold, bool underline, bool italic, DWORD backColour,
                          bool whitespaceSymbol)
{
    wchar_t buffer[256];
    // A face too long for the buffer is cut so that the rest still fits.
    const std::wstring shortFace = face.substr(0, 200);
    const int written = std::swprintf(
        buffer, sizeof buffer / sizeof buffer[0], L"%ls%lc%d%d%d%d%d%d%d", shortFace.c_str(),
        static_cast<wint_t>(character), height, static_cast<int>(textColour), bold ? 1 : 0,
        underline ? 1 : 0, italic ? 1 : 0, static_cast<int>(backColour), whitespaceSymbol ? 1 : 0);
    if (written < 0)
        return std::wstring();
    return std::wstring(buffer, static_cast<size_t>(written));
}

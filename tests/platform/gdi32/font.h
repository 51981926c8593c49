// Test support: a screen DC with a font selected, released at the end.
#pragma once

#include "platform/gdi32.h"

namespace gdi_test {

struct ScreenFont {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;

    ScreenFont(const wchar_t* face, int height, int weight = FW_NORMAL, bool italic = false,
               int width = 0, DWORD charSet = RUSSIAN_CHARSET, DWORD pitchAndFamily = 0)
    {
        dc = GetDC(nullptr);
        font = CreateFontW(height, width, 0, 0, weight, italic, FALSE, FALSE, charSet, 0, 0, 0,
                           pitchAndFamily, face);
        previous = SelectObject(dc, font);
    }
    ~ScreenFont()
    {
        SelectObject(dc, previous);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
    }
    ScreenFont(const ScreenFont&) = delete;
    ScreenFont& operator=(const ScreenFont&) = delete;

    TEXTMETRICW Metrics() const
    {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        return tm;
    }
    ABC Widths(UINT c) const
    {
        ABC abc{};
        GetCharABCWidthsW(dc, c, c, &abc);
        return abc;
    }
    int Advance(UINT c) const
    {
        ABC abc = Widths(c);
        return abc.abcA + int(abc.abcB) + abc.abcC;
    }
};

} // namespace gdi_test

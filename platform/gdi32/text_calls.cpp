// Text metrics, ABC widths, glyph outlines and text extents of the font
// selected into a DC.
#include "platform/gdi32.h"

#include "platform/codepage.h"
#include "platform/gdi32/gdi_state.h"
#include "platform/gdi32/outline_records.h"

#include <cstring>
#include <string>

using platform::gdi::FromFixed;
using platform::gdi::GdiState;
using platform::gdi::GlyphData;
using platform::gdi::RealizedFont;

namespace {

bool IsIdentity(const MAT2& m)
{
    return FromFixed(m.eM11) == 0x10000 && FromFixed(m.eM12) == 0 && FromFixed(m.eM21) == 0 &&
           FromFixed(m.eM22) == 0x10000;
}

} // namespace

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics)
{
    if (!metrics) return FALSE;
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::lock_guard<std::mutex> lock(state->mutex);
    RealizedFont* font = state->SelectedFont(hdc);
    if (!font) return FALSE;
    *metrics = font->Metrics();
    return TRUE;
}

BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, LPABC widths)
{
    if (!widths || last < first) return FALSE;
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::lock_guard<std::mutex> lock(state->mutex);
    RealizedFont* font = state->SelectedFont(hdc);
    if (!font) return FALSE;
    for (UINT c = first;; ++c) {
        widths[c - first] = font->Glyph(c).abc;
        if (c == last) break;
    }
    return TRUE;
}

DWORD GetGlyphOutlineW(HDC hdc, UINT character, UINT format, LPGLYPHMETRICS metrics,
                       DWORD bufferSize, LPVOID buffer, const MAT2* matrix)
{
    if (!metrics || !matrix || !IsIdentity(*matrix)) return GDI_ERROR;
    if (format != GGO_METRICS && format != GGO_NATIVE) return GDI_ERROR;
    GdiState* state = GdiState::Instance();
    if (!state) return GDI_ERROR;
    std::lock_guard<std::mutex> lock(state->mutex);
    RealizedFont* font = state->SelectedFont(hdc);
    if (!font) return GDI_ERROR;
    const GlyphData& glyph = font->Glyph(character);
    if (!glyph.loaded) return GDI_ERROR;
    *metrics = glyph.metrics;

    const DWORD size = static_cast<DWORD>(glyph.records.size());
    if (format == GGO_METRICS || size == 0) return size;
    if (bufferSize == 0 || !buffer) return size;
    if (bufferSize < size) return GDI_ERROR;
    std::memcpy(buffer, glyph.records.data(), size);
    return size;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size)
{
    if (!size || count < 0 || (!text && count > 0)) return FALSE;
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::lock_guard<std::mutex> lock(state->mutex);
    RealizedFont* font = state->SelectedFont(hdc);
    if (!font) return FALSE;
    LONG width = 0;
    for (int i = 0; i < count; ++i) {
        const ABC& abc = font->Glyph(text[i]).abc;
        width += abc.abcA + static_cast<LONG>(abc.abcB) + abc.abcC;
    }
    size->cx = width;
    size->cy = font->Metrics().tmHeight;
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size)
{
    if (count < 0 || (!text && count > 0)) return FALSE;
    const std::wstring wide = platform::Cp1251ToWideString(std::string(text ? text : "", count));
    return GetTextExtentPoint32W(hdc, wide.c_str(), static_cast<int>(wide.size()), size);
}

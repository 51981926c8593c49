// Text metrics, ABC widths and glyph outlines of the font selected into a DC.
#include "platform/gdi32.h"

#include "platform/gdi32/gdi_state.h"
#include "platform/gdi32/outline_records.h"

#include <cstring>

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

// Device contexts and GDI objects: GetDC, ReleaseDC, GetStockObject,
// CreateFontW, SelectObject, DeleteObject.
#include "platform/gdi32.h"

#include "platform/gdi32/gdi_state.h"

#include <cwchar>

using platform::gdi::DeviceContext;
using platform::gdi::FontObject;
using platform::gdi::GdiObject;
using platform::gdi::GdiState;
using platform::gdi::ObjectKind;
using platform::gdi::ToHandle;

namespace {

// Heights and widths beyond this would overflow the 16.16 outline records.
constexpr int kLargestFontSize = 16384;

// The slot of a device context that holds objects of the given kind.
HGDIOBJ* SlotFor(DeviceContext* dc, ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Font: return &dc->font;
    case ObjectKind::Brush: return &dc->brush;
    case ObjectKind::Pen: return &dc->pen;
    default: return nullptr;
    }
}

void Hold(GdiState* state, HGDIOBJ handle, int delta)
{
    if (GdiObject* object = state->Find(handle)) object->selections += delta;
}

} // namespace

HDC GetDC(HWND hwnd)
{
    GdiState* state = GdiState::Instance();
    if (!state) return nullptr;
    std::lock_guard<std::mutex> lock(state->mutex);
    auto dc = std::make_unique<DeviceContext>();
    dc->window = hwnd;
    dc->font = ToHandle<HGDIOBJ>(state->Stock(SYSTEM_FONT));
    dc->brush = ToHandle<HGDIOBJ>(state->Stock(WHITE_BRUSH));
    dc->pen = ToHandle<HGDIOBJ>(state->Stock(BLACK_PEN));
    DeviceContext* made = dc.get();
    HDC handle = ToHandle<HDC>(state->Add(std::move(dc)));
    Hold(state, made->font, +1);
    Hold(state, made->brush, +1);
    Hold(state, made->pen, +1);
    return handle;
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    (void)hwnd;
    GdiState* state = GdiState::Instance();
    if (!state) return 0;
    std::lock_guard<std::mutex> lock(state->mutex);
    auto* dc = state->Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
    if (!dc) return 0;
    Hold(state, dc->font, -1);
    Hold(state, dc->brush, -1);
    Hold(state, dc->pen, -1);
    state->Remove(hdc);
    return 1;
}

HGDIOBJ GetStockObject(int object)
{
    GdiState* state = GdiState::Instance();
    if (!state) return nullptr;
    std::lock_guard<std::mutex> lock(state->mutex);
    return ToHandle<HGDIOBJ>(state->Stock(object));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName)
{
    if (height < -kLargestFontSize || height > kLargestFontSize || width < 0 ||
        width > kLargestFontSize)
        return nullptr;
    GdiState* state = GdiState::Instance();
    if (!state) return nullptr;
    auto font = std::make_unique<FontObject>();
    auto& logical = font->logical;
    logical.height = height;
    logical.width = width;
    logical.escapement = escapement;
    logical.orientation = orientation;
    logical.weight = weight;
    logical.italic = italic != 0;
    logical.underline = underline != 0;
    logical.strikeOut = strikeOut != 0;
    logical.charSet = static_cast<BYTE>(charSet);
    logical.outPrecision = static_cast<BYTE>(outPrecision);
    logical.clipPrecision = static_cast<BYTE>(clipPrecision);
    logical.quality = static_cast<BYTE>(quality);
    logical.pitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) logical.face.assign(faceName, std::wcslen(faceName));
    std::lock_guard<std::mutex> lock(state->mutex);
    return ToHandle<HFONT>(state->Add(std::move(font)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    GdiState* state = GdiState::Instance();
    if (!state) return nullptr;
    std::lock_guard<std::mutex> lock(state->mutex);
    auto* dc = state->Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
    GdiObject* selected = state->Find(object);
    if (!dc || !selected) return nullptr;
    HGDIOBJ* slot = SlotFor(dc, selected->kind);
    if (!slot) return nullptr;
    HGDIOBJ previous = *slot;
    if (previous != object) {
        Hold(state, previous, -1);
        Hold(state, object, +1);
        *slot = object;
    }
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::lock_guard<std::mutex> lock(state->mutex);
    GdiObject* found = state->Find(object);
    if (!found || found->kind == ObjectKind::DeviceContext) return FALSE;
    if (found->stock) return TRUE; // stock objects live for the whole process
    if (found->selections > 0) return FALSE;
    state->Remove(object);
    return TRUE;
}

// Printer device contexts: CreateDCW, DeleteDC, GetDeviceCaps, the document
// and page calls, TextOutW/A. The print service is talked to without the
// module's lock held, so drawing elsewhere does not wait on the network.
#include "platform/gdi32.h"

#include "platform/codepage.h"
#include "platform/gdi32/gdi_state.h"
#include "platform/gdi32/printer_device.h"
#include "platform/gdi32/realized_font.h"
#include "platform/winspool/last_error.h"

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

using platform::gdi::DeviceContext;
using platform::gdi::FontObject;
using platform::gdi::GdiObject;
using platform::gdi::GdiState;
using platform::gdi::ObjectKind;
using platform::gdi::PrinterDevice;
using platform::gdi::PrintGlyph;
using platform::gdi::RealizedFont;
using platform::gdi::ToHandle;

namespace {

// A printer DC's default font: 12 points, the program's sans-serif face.
constexpr int kDefaultFontPoints = 12;

std::shared_ptr<PrinterDevice> PrinterOf(HDC hdc)
{
    GdiState* state = GdiState::Instance();
    if (!state || !hdc) return nullptr;
    std::lock_guard<std::mutex> lock(state->mutex);
    auto* dc = state->Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
    return dc ? dc->printer : nullptr;
}

void Hold(GdiState* state, HGDIOBJ handle, int delta)
{
    if (GdiObject* object = state->Find(handle)) object->selections += delta;
}

} // namespace

HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const void* devMode)
{
    (void)driver;
    (void)port;
    (void)devMode;
    if (!device || !*device) return nullptr;
    const std::string queue = platform::WideToUtf8(device);
    platform::winspool::Paper paper;
    platform::winspool::Failure failure;
    if (!platform::winspool::FindQueue(queue, &paper, &failure)) {
        SetLastError(platform::winspool::ErrorOf(failure));
        return nullptr;
    }

    GdiState* state = GdiState::Instance();
    if (!state) return nullptr;
    auto font = std::make_unique<FontObject>();
    font->logical.height = -kDefaultFontPoints * PrinterDevice::kDotsPerInch / 72;
    font->logical.weight = FW_NORMAL;
    font->logical.charSet = RUSSIAN_CHARSET;
    font->logical.face = L"Arial";

    std::lock_guard<std::mutex> lock(state->mutex);
    auto dc = std::make_unique<DeviceContext>();
    dc->printer = std::make_shared<PrinterDevice>(queue, paper);
    dc->ownFont = ToHandle<HGDIOBJ>(state->Add(std::move(font)));
    dc->font = dc->ownFont;
    dc->brush = ToHandle<HGDIOBJ>(state->Stock(WHITE_BRUSH));
    dc->pen = ToHandle<HGDIOBJ>(state->Stock(BLACK_PEN));
    Hold(state, dc->font, +1);
    Hold(state, dc->brush, +1);
    Hold(state, dc->pen, +1);
    return ToHandle<HDC>(state->Add(std::move(dc)));
}

BOOL DeleteDC(HDC hdc)
{
    if (!hdc) return FALSE;
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::shared_ptr<PrinterDevice> printer;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        auto* dc = state->Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
        if (!dc || !dc->printer) return FALSE;
        Hold(state, dc->font, -1);
        Hold(state, dc->brush, -1);
        Hold(state, dc->pen, -1);
        // The default font goes with its DC unless another DC still holds it.
        if (auto* own = state->Find<FontObject>(dc->ownFont, ObjectKind::Font))
            if (own->selections == 0) state->Remove(dc->ownFont);
        printer = std::move(dc->printer);
        state->Remove(hdc);
    }
    // Abandoning an open document withdraws its job: done here, unlocked.
    printer.reset();
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    std::shared_ptr<PrinterDevice> printer = PrinterOf(hdc);
    if (!printer) return 0;
    switch (index) {
    case HORZRES: return printer->Width();
    case VERTRES: return printer->Height();
    case LOGPIXELSX:
    case LOGPIXELSY: return PrinterDevice::kDotsPerInch;
    default: return 0;
    }
}

int StartDocW(HDC hdc, const DOCINFOW* info)
{
    std::shared_ptr<PrinterDevice> printer = PrinterOf(hdc);
    if (!printer) return SP_ERROR;
    return printer->StartDoc(info && info->lpszDocName ? info->lpszDocName : L"");
}

int StartPage(HDC hdc)
{
    std::shared_ptr<PrinterDevice> printer = PrinterOf(hdc);
    return printer ? printer->StartPage() : SP_ERROR;
}

int EndPage(HDC hdc)
{
    std::shared_ptr<PrinterDevice> printer = PrinterOf(hdc);
    return printer ? printer->EndPage() : SP_ERROR;
}

int EndDoc(HDC hdc)
{
    std::shared_ptr<PrinterDevice> printer = PrinterOf(hdc);
    return printer ? printer->EndDoc() : SP_ERROR;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count)
{
    if (count < 0 || (!text && count > 0)) return FALSE;
    GdiState* state = GdiState::Instance();
    if (!state) return FALSE;
    std::shared_ptr<PrinterDevice> printer;
    std::vector<PrintGlyph> glyphs;
    int ascent = 0;
    double emWidth = 0, emHeight = 0;
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        auto* dc = state->Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
        if (!dc || !dc->printer) return FALSE;
        printer = dc->printer;
        RealizedFont* font = state->SelectedFont(hdc);
        if (!font) return FALSE;
        ascent = font->Metrics().tmAscent;
        emWidth = font->EmWidth() / 64.0;
        emHeight = font->EmHeight() / 64.0;
        for (int i = 0; i < count; ++i) {
            PrintGlyph glyph;
            glyph.character = text[i];
            glyph.file = font->FileFor(text[i]);
            glyph.index = font->GlyphIndexFor(text[i]);
            const ABC& abc = font->Glyph(text[i]).abc;
            glyph.advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC;
            glyphs.push_back(glyph);
        }
    }
    return printer->Text(x, y + ascent, glyphs, emWidth, emHeight) ? TRUE : FALSE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count)
{
    if (count < 0 || (!text && count > 0)) return FALSE;
    const std::wstring wide = platform::Cp1251ToWideString(std::string(text ? text : "", count));
    return TextOutW(hdc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

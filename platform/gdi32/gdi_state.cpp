#include "platform/gdi32/gdi_state.h"

namespace platform::gdi {
namespace {

// Set when the state has been destroyed at exit; calls made after that fail.
bool g_gone = false;

std::unique_ptr<GdiObject> StockFont(const wchar_t* face, int height, int weight,
                                     BYTE pitchAndFamily)
{
    auto font = std::make_unique<FontObject>();
    font->logical.face = face;
    font->logical.height = height;
    font->logical.weight = weight;
    font->logical.charSet = DEFAULT_CHARSET;
    font->logical.pitchAndFamily = pitchAndFamily;
    return font;
}

std::unique_ptr<GdiObject> Paint(ObjectKind kind, DWORD color, bool hollow = false)
{
    return std::make_unique<PaintObject>(kind, color, hollow);
}

} // namespace

GdiState* GdiState::Instance()
{
    static GdiState state;
    return g_gone ? nullptr : &state;
}

GdiState::GdiState()
{
    AddStock(WHITE_BRUSH, Paint(ObjectKind::Brush, 0xFFFFFF));
    AddStock(LTGRAY_BRUSH, Paint(ObjectKind::Brush, 0xC0C0C0));
    AddStock(GRAY_BRUSH, Paint(ObjectKind::Brush, 0x808080));
    AddStock(DKGRAY_BRUSH, Paint(ObjectKind::Brush, 0x404040));
    AddStock(BLACK_BRUSH, Paint(ObjectKind::Brush, 0x000000));
    AddStock(NULL_BRUSH, Paint(ObjectKind::Brush, 0, true));
    AddStock(WHITE_PEN, Paint(ObjectKind::Pen, 0xFFFFFF));
    AddStock(BLACK_PEN, Paint(ObjectKind::Pen, 0x000000));
    AddStock(NULL_PEN, Paint(ObjectKind::Pen, 0, true));
    // The stock fonts, as the screen's generic faces at the usual sizes.
    AddStock(OEM_FIXED_FONT, StockFont(L"", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    AddStock(ANSI_FIXED_FONT, StockFont(L"", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    AddStock(ANSI_VAR_FONT, StockFont(L"", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
    AddStock(SYSTEM_FONT, StockFont(L"", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    AddStock(DEVICE_DEFAULT_FONT, StockFont(L"", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    AddStock(SYSTEM_FIXED_FONT, StockFont(L"", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    AddStock(DEFAULT_GUI_FONT, StockFont(L"", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
}

GdiState::~GdiState()
{
    g_gone = true;
    objects_.clear(); // releases the realised fonts while the library still stands
}

void GdiState::AddStock(int index, std::unique_ptr<GdiObject> object)
{
    object->stock = true;
    stock_[index] = Add(std::move(object));
}

uintptr_t GdiState::Add(std::unique_ptr<GdiObject> object)
{
    uintptr_t handle = next_;
    next_ += 4;
    objects_.emplace(handle, std::move(object));
    return handle;
}

GdiObject* GdiState::Find(const void* handle) const
{
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second.get();
}

void GdiState::Remove(const void* handle)
{
    objects_.erase(reinterpret_cast<uintptr_t>(handle));
}

uintptr_t GdiState::Stock(int index) const
{
    auto it = stock_.find(index);
    return it == stock_.end() ? 0 : it->second;
}

RealizedFont* GdiState::SelectedFont(HDC hdc)
{
    auto* dc = Find<DeviceContext>(hdc, ObjectKind::DeviceContext);
    if (!dc) return nullptr;
    auto* font = Find<FontObject>(dc->font, ObjectKind::Font);
    if (!font) return nullptr;
    if (!font->realized) font->realized = fonts_.Realize(font->logical);
    return font->realized.get();
}

} // namespace platform::gdi

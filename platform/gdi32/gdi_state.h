// The module's state: the table of GDI objects behind the handles, the stock
// objects and the fonts. One mutex guards all of it; every entry point holds
// it while it works.
#pragma once

#include "platform/gdi32.h"
#include "platform/gdi32/font_library.h"
#include "platform/gdi32/logical_font.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform::gdi {

enum class ObjectKind { DeviceContext, Font, Brush, Pen };

struct GdiObject {
    explicit GdiObject(ObjectKind k) : kind(k) {}
    virtual ~GdiObject() = default;

    const ObjectKind kind;
    bool stock = false;
    int selections = 0; // how many device contexts hold it
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(ObjectKind::Font) {}
    LogicalFont logical;
    std::shared_ptr<RealizedFont> realized; // made at first use
};

// Brushes and pens are only the stock ones: a colour, or nothing for the
// null brush and pen.
struct PaintObject : GdiObject {
    PaintObject(ObjectKind k, DWORD c, bool none) : GdiObject(k), color(c), hollow(none) {}
    DWORD color;
    bool hollow;
};

class PrinterDevice;

struct DeviceContext : GdiObject {
    DeviceContext() : GdiObject(ObjectKind::DeviceContext) {}
    HWND window = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    // A printer's DC: its pages, and the default font made for it.
    std::shared_ptr<PrinterDevice> printer;
    HGDIOBJ ownFont = nullptr;
};

class GdiState {
public:
    // The state, made at first use; null once the process is being torn down.
    static GdiState* Instance();

    std::mutex mutex;

    // Handle table. Handles are never reused while the process runs, so a
    // stale handle finds nothing.
    uintptr_t Add(std::unique_ptr<GdiObject> object);
    GdiObject* Find(const void* handle) const;
    template <class T>
    T* Find(const void* handle, ObjectKind kind) const
    {
        GdiObject* object = Find(handle);
        return (object && object->kind == kind) ? static_cast<T*>(object) : nullptr;
    }
    void Remove(const void* handle);

    // The stock object of a GetStockObject index; 0 for an unknown index.
    uintptr_t Stock(int index) const;

    // The font selected into a device context, realised. Null for a bad DC
    // or a font no face can be found for.
    RealizedFont* SelectedFont(HDC hdc);

    ~GdiState();

private:
    GdiState();
    void AddStock(int index, std::unique_ptr<GdiObject> object);

    FontLibrary fonts_; // declared first: the objects holding its fonts go before it
    std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects_;
    std::unordered_map<int, uintptr_t> stock_;
    uintptr_t next_ = 0x10000;
};

template <class H>
inline H ToHandle(uintptr_t value)
{
    return reinterpret_cast<H>(value);
}

} // namespace platform::gdi

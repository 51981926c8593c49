#include "framework/window/IMWindow.h"

#include "framework/render/IMResourceManager.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

#include <cstdlib>
#include <new>

namespace {

const wchar_t kClassName[] = L"IMguiWindowClass";
const int kIconResource = 500;

} // namespace

IMWindow::IMWindow()
    : IMDialogBase<IMEmptyView>(nullptr, nullptr, 0),
      minimized(false),
      lastTimerId(0),
      firingDepth(0)
{}

IMWindow* IMWindow::Create(HMENU menu, const RECT* rect, const std::wstring& caption, bool windowed,
                           HINSTANCE hinstance)
{
    if (!hinstance)
        hinstance = GetModuleHandleW(nullptr);

    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &IMWindow::WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hinstance;
    wc.hIcon = LoadIconW(hinstance, MAKEINTRESOURCEW(kIconResource));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: the render device covers the whole client area.
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc))
        std::exit(static_cast<int>(GetLastError()));

    RECT client{0, 0, 800, 600};
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (rect) {
        client = RECT{0, 0, rect->right - rect->left, rect->bottom - rect->top};
        x = rect->left;
        y = rect->top;
    }
    const DWORD style = windowed ? (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) : WS_POPUP;
    AdjustWindowRect(&client, style, menu != nullptr);

    HWND hwnd =
        CreateWindowExW(0, kClassName, caption.c_str(), style, x, y, client.right - client.left,
                        client.bottom - client.top, nullptr, menu, hinstance, nullptr);
    if (!hwnd)
        std::exit(static_cast<int>(GetLastError()));
    handle = hwnd;

    IMResourceManager::Start(windowed);

    instance = new (std::nothrow) IMWindow();

    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);
    return instance;
}

IMWindow::~IMWindow()
{
    // Every control goes while the renderer still exists: the queued ones
    // first, then those never closed.
    DeleteAllChildren();

    if (HMENU menu = GetMenu(handle))
        DestroyMenu(menu);
    IMResourceManager::Shutdown();
    if (instance == this)
        instance = nullptr;
    if (handle) {
        DestroyWindow(handle);
        handle = nullptr;
    }
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));

    for (auto& timer : timers)
        timer.second->Ticked.disconnect_all_slots();
    timers.clear();
    retiredTimers.clear();
}

long IMWindow::Destroy()
{
    PostQuitMessage(0);
    return 0;
}

long IMWindow::SetCursorPos(int x, int y)
{
    POINT origin{0, 0};
    ClientToScreen(handle, &origin);
    ::SetCursorPos(x + origin.x, y + origin.y);
    return 0;
}

long IMWindow::Render()
{
    if (minimized)
        return 0;
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return 0;
    IDirect3DDevice9* device = manager->Device();
    if (IsDirty() && device) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        OnPaint(IMEvent(this, IMEVENT_PAINT));
        ++manager->frameCount;
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        SetDirty(false);
    } else {
        ++manager->frameCount;
    }
    return 0;
}

long IMWindow::Update()
{
    RECT client{0, 0, 0, 0};
    GetClientRect(handle, &client);
    POINT origin{0, 0};
    ClientToScreen(handle, &origin);
    client = imrect::Offset(client, origin.x, origin.y);
    POINT pointer{0, 0};
    GetCursorPos(&pointer);

    const bool inside = imrect::Contains(client, pointer.x, pointer.y);
    if (inside && !IsMouseOver())
        OnMouseEnter(IMMouseEvent(this, IMEVENT_MOUSEENTER, 0, pointer.x, pointer.y));
    else if (!inside && IsMouseOver())
        OnMouseLeave(IMMouseEvent(this, IMEVENT_MOUSELEAVE, 0, pointer.x, pointer.y));
    return 0;
}

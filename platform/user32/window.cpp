// Window classes and windows. Each window is an SDL window: a pop-up
// (WS_POPUP) covers the display it starts on and shows its client area scaled
// up, centred, with black borders; other styles give an ordinary window of the
// client size with the caption as title.
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/present.h"
#include "platform/sdl/display_session.h"
#include "platform/sdl/x11_window_manager.h"
#include "platform/session.h"
#include "platform/user32/state.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <memory>
#include <thread>

namespace platform {
namespace {

struct ClassRecord {
    std::wstring name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int windows = 0;
};

struct Tables {
    std::vector<ClassRecord> classes;
    std::map<uintptr_t, std::unique_ptr<WindowRecord>> windows; // by handle value: oldest first
    uintptr_t nextWindow = 0x10010;
    ATOM nextAtom = 0xC000;
};

Tables& State()
{
    static Tables* tables = new Tables;
    return *tables;
}

// Class names compare without regard to case, as on Windows (ASCII letters).
bool SameName(const std::wstring& a, const wchar_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = x - L'A' + L'a';
        if (y >= L'A' && y <= L'Z') y = y - L'A' + L'a';
        if (x != y) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

// A class named by its name or by its atom (MAKEINTRESOURCEW).
ClassRecord* FindClassLocked(LPCWSTR name)
{
    if (name == nullptr) return nullptr;
    for (ClassRecord& c : State().classes) {
        if (IS_INTRESOURCE(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                 : SameName(c.name, name))
            return &c;
    }
    return nullptr;
}

std::atomic<bool> g_sdlStarted{false};
std::thread::id g_uiThread;
std::mutex g_startMutex;

// The display under the pointer, where a pop-up window opens.
int CurrentDisplay()
{
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && x >= bounds.x && x < bounds.x + bounds.w &&
            y >= bounds.y && y < bounds.y + bounds.h)
            return i;
    }
    return 0;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(hwnd, message, wParam, lParam);
}

} // namespace

std::mutex& WindowMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

WindowRecord* FindWindowLocked(HWND hwnd)
{
    auto& windows = State().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows.end() ? nullptr : it->second.get();
}

WindowRecord* FindSdlWindowLocked(Uint32 sdlId)
{
    if (sdlId == 0) return nullptr;
    for (auto& entry : State().windows)
        if (entry.second->sdlId == sdlId) return entry.second.get();
    return nullptr;
}

WindowRecord* MainWindowLocked()
{
    for (auto& entry : State().windows)
        if (!entry.second->destroying) return entry.second.get();
    return nullptr;
}

bool AnyWindowNeedsPaintLocked(HWND filter, HWND* which)
{
    for (auto& entry : State().windows) {
        const WindowRecord& w = *entry.second;
        if (filter != nullptr && w.hwnd != filter) continue;
        if (w.needsPaint && w.visible && !w.minimized && !w.destroying) {
            if (which != nullptr) *which = w.hwnd;
            return true;
        }
    }
    return false;
}

InputTarget TargetOfLocked(const WindowRecord& window)
{
    InputTarget target;
    target.hwnd = window.hwnd;
    target.doubleClicks = (window.classStyle & CS_DBLCLKS) != 0;
    target.confinePointer = window.fullScreen;
    target.clientWidth = window.clientWidth;
    target.clientHeight = window.clientHeight;
    target.windowWidth = window.windowWidth;
    target.windowHeight = window.windowHeight;
    target.screenOrigin = window.origin;
    return target;
}

bool StartSdlVideo()
{
    std::lock_guard<std::mutex> lock(g_startMutex);
    if (g_sdlStarted.load(std::memory_order_acquire))
        return g_uiThread == std::this_thread::get_id();
    // Closing the last window is the window procedure's business, not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (!NamesDisplayOrDriver(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                              SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
        ReportNoGraphicalSession();
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
        return false;
    }
    // A display named but not reachable: SDL went on to a driver that
    // shows nothing.
    if (IsUnaskedHeadlessDriver(SDL_GetCurrentVideoDriver(), SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ReportNoGraphicalSession();
        return false;
    }
    g_uiThread = std::this_thread::get_id();
    g_sdlStarted.store(true, std::memory_order_release);
    WatchDisplayConnection();
    return true;
}

bool IsUiThread()
{
    return g_sdlStarted.load(std::memory_order_acquire) && g_uiThread == std::this_thread::get_id();
}

} // namespace platform

using namespace platform;

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(WindowMutex());
    if (FindClassLocked(wc->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    Tables& state = State();
    if (state.nextAtom == 0) { // every atom handed out
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    ClassRecord c;
    c.name = wc->lpszClassName;
    c.atom = state.nextAtom++;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    state.classes.push_back(c);
    return c.atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    ClassRecord* c = FindClassLocked(className);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    auto& classes = State().classes;
    classes.erase(classes.begin() + (c - classes.data()));
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Frame metrics of a captioned window with a fixed border; a pop-up has none.
    const int kFrame = 3, kCaption = 23, kMenu = 20;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        rect->left -= kFrame;
        rect->right += kFrame;
        rect->top -= kFrame + kCaption;
        rect->bottom += kFrame;
    } else if ((style & WS_BORDER) != 0) {
        InflateRect(rect, 1, 1);
    }
    if (menu) rect->top -= kMenu;
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param)
{
    ATOM atom;
    UINT classStyle;
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        ClassRecord* c = FindClassLocked(className);
        if (c == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        atom = c->atom;
        classStyle = c->style;
        proc = c->proc;
    }
    if (parent != nullptr) {
        // Child windows are not offered: the program draws its own controls.
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!StartSdlVideo()) {
        SetLastError(IsUiThread() || !SDL_WasInit(SDL_INIT_VIDEO) ? ERROR_GEN_FAILURE
                                                                  : ERROR_ACCESS_DENIED);
        return nullptr;
    }

    // The client size: the outer size less the frame the style adds.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, menu != nullptr);
    int clientWidth = width == CW_USEDEFAULT ? 800 : width - (frame.right - frame.left);
    int clientHeight = height == CW_USEDEFAULT ? 600 : height - (frame.bottom - frame.top);
    if (clientWidth < 1) clientWidth = 1;
    if (clientHeight < 1) clientHeight = 1;

    auto record = std::make_unique<WindowRecord>();
    record->classAtom = atom;
    record->classStyle = classStyle;
    record->proc = proc;
    record->style = style;
    record->caption = windowName != nullptr ? windowName : L"";
    record->clientWidth = clientWidth;
    record->clientHeight = clientHeight;
    record->fullScreen = (style & WS_POPUP) != 0;

    const std::string title = WideToUtf8(record->caption);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    int sdlX, sdlY, sdlWidth = clientWidth, sdlHeight = clientHeight;
    if (record->fullScreen) {
        // Made as large as the display by us: with no window manager to
        // honour SDL's full-screen request the window would keep the client
        // size while SDL took it for the display's. A window manager, when
        // there is one, is asked as the window shows.
        const int display = CurrentDisplay();
        SDL_Rect bounds{0, 0, 0, 0};
        flags |= SDL_WINDOW_BORDERLESS;
        if (SDL_GetDisplayBounds(display, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
            sdlX = bounds.x;
            sdlY = bounds.y;
            sdlWidth = bounds.w;
            sdlHeight = bounds.h;
        } else {
            sdlX = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
            sdlY = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
        }
    } else {
        sdlX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x + (-frame.left);
        sdlY = y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y + (-frame.top);
    }
    record->sdl = SDL_CreateWindow(title.c_str(), sdlX, sdlY, sdlWidth, sdlHeight, flags);
    if (record->sdl == nullptr) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    record->sdlId = SDL_GetWindowID(record->sdl);
    SDL_GetWindowSize(record->sdl, &record->windowWidth, &record->windowHeight);
    if (!record->fullScreen)
        SDL_GetWindowPosition(record->sdl, &record->origin.x, &record->origin.y);

    HWND hwnd;
    bool first;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        Tables& state = State();
        hwnd = reinterpret_cast<HWND>(state.nextWindow);
        state.nextWindow += 0x10;
        record->hwnd = hwnd;
        first = MainWindowLocked() == nullptr;
        state.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(record));
        if (ClassRecord* c = FindClassLocked(className)) ++c->windows;
    }

    SDL_StartTextInput();
    ApplyCursorVisibility();
    if (first) {
        SetPresentFunction(&PresentWindowFrame);
        // The pointer starts in the middle of the new main window.
        std::lock_guard<std::mutex> lock(InputMutex());
        Input().SetPointer(POINT{clientWidth / 2, clientHeight / 2});
    }

    CREATESTRUCTW create{
        param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0) ShowWindow(hwnd, SW_SHOW);
    SetLastError(ERROR_SUCCESS);
    return hwnd;
}

BOOL IsWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    WindowRecord* w = FindWindowLocked(hwnd);
    return w != nullptr && !w->destroying;
}

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    bool wasVisible, minimized, fullScreen;
    int clientWidth, clientHeight;
    SDL_Window* sdl;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(hwnd);
        if (w == nullptr || !IsUiThread()) {
            SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_ACCESS_DENIED);
            return FALSE;
        }
        wasVisible = w->visible;
        minimized = w->minimized;
        fullScreen = w->fullScreen;
        clientWidth = w->clientWidth;
        clientHeight = w->clientHeight;
        sdl = w->sdl;
    }
    auto update = [hwnd](bool nowVisible, bool nowMinimized) {
        std::lock_guard<std::mutex> lock(WindowMutex());
        if (WindowRecord* w = FindWindowLocked(hwnd)) {
            w->visible = nowVisible;
            w->minimized = nowMinimized;
            if (nowVisible) w->needsPaint = true;
        }
    };
    const LPARAM restoredSize = MAKELPARAM(clientWidth, clientHeight);

    switch (cmdShow) {
    case SW_HIDE:
        if (wasVisible) {
            Send(hwnd, WM_SHOWWINDOW, FALSE, 0);
            update(false, minimized);
            SDL_HideWindow(sdl);
        }
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:  // SW_SHOWMINNOACTIVE
    case 11: // SW_FORCEMINIMIZE
        if (!wasVisible) {
            Send(hwnd, WM_SHOWWINDOW, TRUE, 0);
            SDL_ShowWindow(sdl);
        }
        update(true, true);
        if (!minimized) {
            SDL_MinimizeWindow(sdl);
            Send(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        }
        break;
    default: // every form of showing
        if (!wasVisible) {
            Send(hwnd, WM_SHOWWINDOW, TRUE, 0);
            update(true, minimized);
            // Above panels and docks, where a window manager keeps them.
            if (fullScreen && WindowManagerRunning(sdl)) MarkFullScreenBeforeShowing(sdl);
            SDL_ShowWindow(sdl);
            SDL_RaiseWindow(sdl);
        }
        if (minimized) SDL_RestoreWindow(sdl);
        update(true, false);
        if (minimized || !wasVisible) Send(hwnd, WM_SIZE, SIZE_RESTORED, restoredSize);
        break;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    bool paint;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(hwnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        paint = w->needsPaint && w->visible && !w->minimized;
    }
    if (paint) Send(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL DestroyWindow(HWND hwnd)
{
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(hwnd);
        if (w == nullptr || w->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (!IsUiThread()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        w->destroying = true;
        if (w->visible) SDL_HideWindow(w->sdl);
        w->visible = false;
    }
    // The window still exists while its procedure handles WM_DESTROY.
    Send(hwnd, WM_DESTROY, 0, 0);

    std::unique_ptr<WindowRecord> record;
    bool last;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        Tables& state = State();
        auto it = state.windows.find(reinterpret_cast<uintptr_t>(hwnd));
        record = std::move(it->second);
        state.windows.erase(it);
        for (ClassRecord& c : state.classes)
            if (c.atom == record->classAtom) --c.windows;
        last = state.windows.empty();
    }
    if (last) SetPresentFunction(nullptr);
    ReleasePresentation(*record);
    SDL_DestroyWindow(record->sdl);
    RemoveMessagesFor(hwnd);
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the window.
        if (wParam == VK_F4 && (static_cast<DWORD>(lParam) & (1u << 29)) != 0)
            Send(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT: {
        // Validates the client area: no further WM_PAINT until it is invalid again.
        std::lock_guard<std::mutex> lock(WindowMutex());
        if (WindowRecord* w = FindWindowLocked(hwnd)) w->needsPaint = false;
        return 0;
    }
    default: return 0;
    }
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    WindowRecord* w = FindWindowLocked(hwnd);
    if (w == nullptr || rect == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    WindowRecord* w = FindWindowLocked(hwnd);
    if (w == nullptr || point == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    point->x += w->origin.x;
    point->y += w->origin.y;
    return TRUE;
}

// Menus are not offered: no window has one.
HMENU GetMenu(HWND)
{
    return nullptr;
}

BOOL DestroyMenu(HMENU)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

namespace {
struct Placeholder {
    int unused;
};
Placeholder g_icon{0};
Placeholder g_cursor{0};
} // namespace

// Icons and cursors are placeholders: the pointer is SDL's, the window has no icon.
HICON LoadIconW(HINSTANCE, LPCWSTR)
{
    return reinterpret_cast<HICON>(&g_icon);
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR)
{
    return reinterpret_cast<HCURSOR>(&g_cursor);
}

// SDL events as window messages: window events change the window's state and
// give WM_SHOWWINDOW, WM_SIZE, WM_PAINT and WM_CLOSE; a quit request (the
// window manager, SIGINT, SIGTERM, SIGHUP) gives WM_CLOSE to the main window; input
// goes through the SdlInput translation.
#include "platform/sdl/letterbox.h"
#include "platform/session.h"
#include "platform/user32/state.h"
#include "platform/winmm.h"

namespace platform {
namespace {

MSG Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    return msg;
}

// The pointer left a window that is not full screen: find where it went.
void PointerLeft(const WindowRecord& w)
{
    int x = 0, y = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&x, &y);
    SDL_GetWindowPosition(w.sdl, &wx, &wy);
    Letterbox box = ComputeLetterbox(w.windowWidth, w.windowHeight, w.clientWidth, w.clientHeight);
    POINT p = OutputToClient(box, w.clientWidth, w.clientHeight, POINT{x - wx, y - wy});
    const RECT client{0, 0, w.clientWidth, w.clientHeight};
    // Without a global pointer position the last one is stale: outside is all we know.
    if (PtInRect(&client, p)) p = POINT{-1, -1};
    std::lock_guard<std::mutex> lock(InputMutex());
    Input().SetPointer(p);
}

void WindowEvent(const SDL_WindowEvent& e, std::vector<MSG>& out)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    WindowRecord* w = FindSdlWindowLocked(e.windowID);
    if (w == nullptr || w->destroying) return;
    const LPARAM clientSize = MAKELPARAM(w->clientWidth, w->clientHeight);
    switch (e.event) {
    case SDL_WINDOWEVENT_SHOWN:
        if (!w->visible) {
            w->visible = true;
            w->needsPaint = true;
            w->surfaceStale = true;
            out.push_back(Message(w->hwnd, WM_SHOWWINDOW, TRUE, 0));
        }
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        if (w->visible) {
            w->visible = false;
            out.push_back(Message(w->hwnd, WM_SHOWWINDOW, FALSE, 0));
        }
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        w->needsPaint = true;
        w->surfaceStale = true;
        break;
    case SDL_WINDOWEVENT_MOVED:
        if (!w->fullScreen) w->origin = POINT{e.data1, e.data2};
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The client area keeps its size; only its scaling onto the window changes.
        w->windowWidth = e.data1;
        w->windowHeight = e.data2;
        w->needsPaint = true;
        w->surfaceStale = true;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!w->minimized) {
            w->minimized = true;
            out.push_back(Message(w->hwnd, WM_SIZE, SIZE_MINIMIZED, 0));
        }
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        w->minimized = false;
        w->needsPaint = true;
        w->surfaceStale = true;
        out.push_back(Message(w->hwnd, WM_SIZE, SIZE_MAXIMIZED, clientSize));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        w->minimized = false;
        w->needsPaint = true;
        w->surfaceStale = true;
        out.push_back(Message(w->hwnd, WM_SIZE, SIZE_RESTORED, clientSize));
        break;
    case SDL_WINDOWEVENT_CLOSE: out.push_back(Message(w->hwnd, WM_CLOSE, 0, 0)); break;
    case SDL_WINDOWEVENT_LEAVE:
        if (!w->fullScreen) {
            WindowRecord copy = *w;
            PointerLeft(copy);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        // Keys let go elsewhere never come back as key-ups.
        std::lock_guard<std::mutex> input(InputMutex());
        Input().ReleaseAll();
        break;
    }
    default: break;
    }
}

Uint32 WindowIdOf(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
    }
}

} // namespace

void HandleSdlEvent(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT) {
        std::vector<MSG> out;
        WindowEvent(event.window, out);
        for (const MSG& m : out)
            EnqueueMessage(m);
        return;
    }
    if (event.type == SDL_QUIT) {
        HWND main = nullptr;
        {
            std::lock_guard<std::mutex> lock(WindowMutex());
            if (WindowRecord* w = MainWindowLocked()) main = w->hwnd;
        }
        if (main != nullptr) EnqueueMessage(Message(main, WM_CLOSE, 0, 0));
        return;
    }
    InputTarget target;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindSdlWindowLocked(WindowIdOf(event));
        if (w == nullptr || w->destroying) w = MainWindowLocked();
        if (w != nullptr)
            target = TargetOfLocked(*w);
        else
            target.hwnd = nullptr; // the state is kept up, the messages dropped
    }
    std::vector<InputMessage> out;
    {
        std::lock_guard<std::mutex> lock(InputMutex());
        if (!Input().Translate(event, target, out)) return;
    }
    EnqueueInput(out);
}

bool PumpSdlEvents()
{
    if (TakeHangUp()) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        HandleSdlEvent(quit);
    }
    ApplyCursorVisibility();
    SDL_PumpEvents();
    SDL_Event event;
    bool windowEvent = false;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        windowEvent = windowEvent || event.type == SDL_WINDOWEVENT;
        HandleSdlEvent(event);
    }
    return windowEvent;
}

void TranslateSdlEvent(const SDL_Event& event)
{
    HandleSdlEvent(event);
}

Uint32 SdlWindowIdOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(WindowMutex());
    WindowRecord* w = FindWindowLocked(hwnd);
    return w != nullptr ? w->sdlId : 0;
}

} // namespace platform

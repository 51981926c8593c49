// The pointer and the keys: the display counter of ShowCursor, the pointer
// position (kept by the window layer from motion events and SetCursorPos, so
// it is known without a display) and the keys held.
#include "platform/kernel32.h"
#include "platform/sdl/letterbox.h"
#include "platform/user32/state.h"

#include <algorithm>
#include <atomic>

namespace platform {
namespace {

// Starts at 0, as on Windows with a mouse: the pointer shows while it is >= 0.
std::atomic<int> g_cursorCount{0};
int g_cursorShown = -1; // what SDL was last told (UI thread): -1 not yet

} // namespace

std::mutex& InputMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

SdlInput& Input()
{
    static SdlInput* input = new SdlInput;
    return *input;
}

void ApplyCursorVisibility()
{
    if (!IsUiThread()) return;
    const int show = g_cursorCount.load() >= 0 ? 1 : 0;
    if (show == g_cursorShown) return;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    g_cursorShown = show;
}

} // namespace platform

using namespace platform;

int ShowCursor(BOOL show)
{
    const int count = show ? ++g_cursorCount : --g_cursorCount;
    ApplyCursorVisibility(); // other threads leave it to the next pump
    return count;
}

BOOL GetCursorPos(LPPOINT point)
{
    if (point == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    POINT origin{0, 0};
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        if (WindowRecord* w = MainWindowLocked()) origin = w->origin;
    }
    std::lock_guard<std::mutex> lock(InputMutex());
    POINT p = Input().Pointer();
    *point = POINT{p.x + origin.x, p.y + origin.y};
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    InputTarget target;
    SDL_Window* sdl = nullptr;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        if (WindowRecord* w = MainWindowLocked()) {
            target = TargetOfLocked(*w);
            sdl = w->sdl;
        } else {
            target.screenOrigin = POINT{0, 0};
        }
    }
    POINT client{x - target.screenOrigin.x, y - target.screenOrigin.y};
    if (target.confinePointer) {
        // A full-screen window is the whole screen: the pointer stays on it.
        client.x = std::max<LONG>(0, std::min<LONG>(client.x, target.clientWidth - 1));
        client.y = std::max<LONG>(0, std::min<LONG>(client.y, target.clientHeight - 1));
    }
    {
        std::lock_guard<std::mutex> lock(InputMutex());
        Input().SetPointer(client);
    }
    if (sdl != nullptr && IsUiThread()) {
        Letterbox box = ComputeLetterbox(target.windowWidth, target.windowHeight,
                                         target.clientWidth, target.clientHeight);
        POINT out = ClientToOutput(box, target.clientWidth, target.clientHeight, client);
        SDL_WarpMouseInWindow(sdl, out.x, out.y);
    }
    return TRUE;
}

SHORT GetAsyncKeyState(int virtualKey)
{
    std::lock_guard<std::mutex> lock(InputMutex());
    return Input().IsKeyDown(virtualKey) ? static_cast<SHORT>(-32768) : static_cast<SHORT>(0);
}

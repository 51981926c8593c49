// Whether a window manager runs on the X display of an SDL window: one that
// follows the EWMH sets _NET_SUPPORTING_WM_CHECK on the root window. Kept
// apart from the rest of the window layer, whose names Xlib's macros clash with.
#include "platform/sdl/x11_window_manager.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace platform {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

bool X11Of(SDL_Window* window, Display** display, Window* x11)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *x11 = info.info.x11.window;
    return true;
}

} // namespace
#endif

bool WindowManagerRunning(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = nullptr;
    Window x11 = 0;
    if (!X11Of(window, &display, &x11)) return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        type == XA_WINDOW && count == 1;
    if (data != nullptr) XFree(data);
    return found;
#else
    (void)window;
    return false;
#endif
}

bool MarkFullScreenBeforeShowing(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = nullptr;
    Window x11 = 0;
    if (!X11Of(window, &display, &x11)) return false;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    if (state == None || fullScreen == None) return false;
    XChangeProperty(display, x11, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    return true;
#else
    (void)window;
    return false;
#endif
}

} // namespace platform

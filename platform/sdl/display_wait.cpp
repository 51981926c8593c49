// Kept apart from the rest of the window layer, whose names Xlib's macros clash with.
#include "platform/sdl/display_wait.h"

#include <SDL_syswm.h>

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace platform {
namespace {

int WakeDescriptor()
{
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

} // namespace

int DisplayConnectionOf(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
        info.subsystem != SDL_SYSWM_X11 || info.info.x11.display == nullptr)
        return -1;
    if (WakeDescriptor() < 0) return -1;
    return ConnectionNumber(info.info.x11.display);
#else
    (void)window;
    return -1;
#endif
}

bool WaitOnDisplay(int connection, int timeoutMs)
{
    pollfd fds[2] = {{connection, POLLIN, 0}, {WakeDescriptor(), POLLIN, 0}};
    const int ready = poll(fds, 2, timeoutMs);
    if (ready < 0) return errno == EINTR; // a signal: the caller looks again
    if ((fds[1].revents & POLLIN) != 0) {
        uint64_t count = 0;
        while (read(fds[1].fd, &count, sizeof count) > 0) {
        }
    }
    return ready > 0;
}

void WakeDisplayWait()
{
    const int fd = WakeDescriptor();
    if (fd < 0) return;
    const uint64_t one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

} // namespace platform

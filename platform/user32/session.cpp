#include "platform/session.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include <dlfcn.h>
#include <unistd.h>

#include <SDL.h>

namespace platform {
namespace {

volatile std::sig_atomic_t g_hangUp = 0;
std::atomic<bool (*)()> g_displayLost{nullptr};

void OnHangUp(int)
{
    g_hangUp = 1;
}

void Say(const char* text)
{
    ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

// Xlib calls this when the connection to the X server breaks; it must not
// return (Xlib would end the process itself), and no X call can succeed
// from here on. What the program keeps in memory is saved, then it ends.
int OnDisplayConnectionBroken(void*)
{
    static std::atomic<bool> once{false};
    if (once.exchange(true)) {
        // Another thread is saving and will end the program.
        for (;;)
            ::pause();
    }
    Say("kvarlop: the connection to the display is lost; the program ends\n");
    bool kept = true;
    if (bool (*handler)() = g_displayLost.load()) kept = handler();
    // As at an ordinary end: a non-zero status says that results were lost.
    ::_exit(kept ? 0 : 1);
}

} // namespace

void InstallSessionEndHandling()
{
    struct sigaction action {};
    action.sa_handler = OnHangUp;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

void SetDisplayLostHandler(bool (*handler)())
{
    g_displayLost.store(handler);
}

bool TakeHangUp()
{
    if (!g_hangUp) return false;
    g_hangUp = 0;
    return true;
}

void WatchDisplayConnection()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    // SDL loads Xlib itself; the library already in the process is used.
    void* xlib = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return;
    using IoErrorHandler = int (*)(void*);
    using SetHandler = IoErrorHandler (*)(IoErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(::dlsym(xlib, "XSetIOErrorHandler")))
        set(OnDisplayConnectionBroken);
    ::dlclose(xlib);
}

} // namespace platform

#include "platform/sdl/display_session.h"

#include <cstdio>
#include <errno.h>
#include <string>
#include <strings.h>

namespace platform {

namespace {

bool Named(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

bool IsHeadless(const std::string& driver)
{
    return strcasecmp(driver.c_str(), "offscreen") == 0 || strcasecmp(driver.c_str(), "dummy") == 0;
}

} // namespace

bool NamesDisplayOrDriver(const char* display, const char* waylandDisplay, const char* videoDriver)
{
    return Named(display) || Named(waylandDisplay) || Named(videoDriver);
}

bool IsUnaskedHeadlessDriver(const char* chosen, const char* requested)
{
    if (chosen == nullptr || !IsHeadless(chosen)) return false;
    const std::string list = requested ? requested : "";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (strcasecmp(list.substr(start, end - start).c_str(), chosen) == 0) return false;
        start = end + 1;
    }
    return true;
}

void ReportNoGraphicalSession()
{
    std::fprintf(stderr,
                 "%s needs a graphical session: no X11 or Wayland display was found "
                 "(DISPLAY and WAYLAND_DISPLAY are unset or cannot be opened)\n",
                 program_invocation_short_name);
}

} // namespace platform

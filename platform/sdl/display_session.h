// Whether a window can be seen at all. Started where there is no display
// (over SSH, from cron, on a text console) SDL falls back on its offscreen
// driver, and a program would run on unseen for ever; its offscreen and
// dummy drivers stay usable when they are asked for by name.
#pragma once

namespace platform {

// Whether the environment names an X11 or Wayland display, or a video
// driver (SDL_VIDEODRIVER). Null or empty values name nothing.
bool NamesDisplayOrDriver(const char* display, const char* waylandDisplay, const char* videoDriver);
// Whether the driver SDL chose shows nothing although the request (a list
// of driver names separated by commas, or null) did not ask for it.
bool IsUnaskedHeadlessDriver(const char* chosen, const char* requested);
// The one-line refusal on the standard error stream.
void ReportNoGraphicalSession();

} // namespace platform

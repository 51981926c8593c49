// Whether a window manager looks after the windows of the display.
#pragma once

#include <SDL.h>

namespace platform {

// False as well when the display is not an X display.
bool WindowManagerRunning(SDL_Window* window);

// Asks, on a window not yet shown, to be shown full screen: the window
// manager reads the request when the window maps, and nobody waits for it
// (SDL's own request waits for a change of size that a window already as
// large as the display never makes). False when it cannot be asked.
bool MarkFullScreenBeforeShowing(SDL_Window* window);

} // namespace platform

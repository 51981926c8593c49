// Sleeping on the X display connection itself, instead of in SDL's event
// wait: SDL pumps its queue twice and asks the display twice more before it
// sleeps, on every wait; this one sleeps at once on the connection's socket
// and on a wake-up descriptor that other threads signal.
#pragma once

#include <SDL.h>

namespace platform {

// The display connection's descriptor of an X window; -1 for any other
// video driver (headless ones among them).
int DisplayConnectionOf(SDL_Window* window);

// Sleeps until the display connection has data, WakeDisplayWait is called
// or timeoutMs passes (-1: no limit). Only right after SDL's queue was
// pumped is this sound: the display library may hold events read in
// earlier, which the socket no longer shows. False on the timeout.
bool WaitOnDisplay(int connection, int timeoutMs);

// Ends a WaitOnDisplay from any thread (or the next one, when none waits).
void WakeDisplayWait();

} // namespace platform

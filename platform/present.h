// The seam between the render device and the window: the device hands each
// presented frame (800 x 600 BGRA, top row first) and what changed in it to
// whatever the window module installed. Headless, nothing is installed and frames stay in the device.
#pragma once

#include "platform/wintypes.h"

namespace platform {

// What differs from the device's previous present: `serial` counts the
// device's presents from 1; `changed`, when not null, holds every pixel of
// this frame that differs from frame serial - 1 (it may be empty). Null: all
// may differ. `rowSpans`, when not null with `changed`, narrows it row by
// row: the pixels of row y that differ lie in the columns [rowSpans[2 * y],
// rowSpans[2 * y + 1]) (none when the first is not below the second).
struct PresentChange {
    uint64_t serial;
    const RECT* changed;
    const int32_t* rowSpans = nullptr;
};

using PresentFunction = void (*)(HWND hwnd, const uint32_t* bgra, int width, int height,
                                 int pitchBytes, const PresentChange& change);

void SetPresentFunction(PresentFunction present);
PresentFunction GetPresentFunction();

// The refresh rate presents keep to, in Hz: the display's once a window has
// presented, 75 before that or when the display does not say.
void SetPresentRefreshRate(int hertz);
int GetPresentRefreshRate();

// Presents so far that were held to the refresh (each waited, when early,
// for its turn at one period after the one before): a loop whose pass
// presented one may start the next pass at once, its present keeping it to
// the refresh, with one sleep a frame instead of one before the work and
// another before the present.
void CountHeldPresent();
uint64_t HeldPresents();

} // namespace platform

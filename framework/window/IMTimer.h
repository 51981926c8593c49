// One timer of the main window: it fires its Ticked signal once its interval
// has passed since the current period began, and is restarted when it fires.
#pragma once

#include "framework/controls/IMEvent.h"
#include "framework/controls/IMSignal.h"
#include "platform/wintypes.h"

class IMTimer {
public:
    IMTimer() : interval(0), start(0) {}
    IMTimer(const IMTimer&) = delete;
    IMTimer& operator=(const IMTimer&) = delete;

    // Period in milliseconds.
    DWORD interval;
    // Performance-counter value at which the current period began.
    LONGLONG start;
    // Fired with an event of code 0 whose sender is the window.
    IMSignal<IMEvent> Ticked;
};

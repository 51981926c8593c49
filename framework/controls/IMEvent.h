// Event objects that travel through the control tree. They are small value
// objects built on the stack by whoever raises the event and handed to the
// handlers by constant reference.
#pragma once

#include "platform/wintypes.h"

class IMControl;

// Codes of the framework's own events. Keyboard and mouse events from the
// window carry the window message number instead.
enum IMEventCode {
    IMEVENT_GENERIC = 0, // enable, disable, show, hide, change, timer tick, animation
    IMEVENT_PAINT = 15,
    IMEVENT_UPDATE = 16, // per-frame update, and close
    IMEVENT_CLOSE = 16,
    IMEVENT_FOCUS = 17,
    IMEVENT_FOCUSLOST = 18,
    IMEVENT_MOUSEMOVE = 512,
    IMEVENT_MOUSEENTER = 523,
    IMEVENT_LCLICK = 524,
    IMEVENT_RCLICK = 525,
    IMEVENT_MCLICK = 526,
    IMEVENT_MOUSELEAVE = 675,
};

class IMEvent {
public:
    IMEvent(IMControl* sender = nullptr, int code = 0) : sender(sender), code(code) {}

    virtual bool Is(int c) const { return code == c; }

    IMControl* sender;
    int code;
};

class IMWindowsEvent : public IMEvent {
public:
    IMWindowsEvent(IMControl* sender = nullptr, int code = 0, DWORD wParam = 0, LONG lParam = 0)
        : IMEvent(sender, code),
          wParam(wParam),
          lParam(lParam)
    {}

    DWORD wParam;
    LONG lParam;
};

class IMKeyboardEvent : public IMWindowsEvent {
public:
    IMKeyboardEvent(IMControl* sender = nullptr, int code = 0, DWORD wParam = 0, LONG lParam = 0)
        : IMWindowsEvent(sender, code, wParam, lParam)
    {}

    virtual bool IsMessage(UINT message) const { return Is(static_cast<int>(message)); }
};

class IMMouseEvent : public IMWindowsEvent {
public:
    IMMouseEvent() : IMWindowsEvent(), x(0), y(0) {}
    IMMouseEvent(IMControl* sender, int code, DWORD wParam, int x, int y)
        : IMWindowsEvent(sender, code, wParam, 0),
          x(x),
          y(y)
    {}

    virtual bool IsMessage(UINT message) const { return Is(static_cast<int>(message)); }

    int x;
    int y;
};

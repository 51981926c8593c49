// The top-level container bound to the program's single window: window
// creation and destruction, the window procedure that turns messages into
// the framework's events, the main loop (messages, per-frame update, render
// pass, timers, idle wait), pointer tracking and the window's timers.
// Everything here runs on the UI thread.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/window/IMTimer.h"
#include "platform/wintypes.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class IMWindow : public IMDialogBase<IMEmptyView> {
public:
    IMWindow();
    ~IMWindow() override;

    // Registers the window class, creates the window (its client area the
    // rectangle's size, at its left and top; 800 x 600 without one), starts
    // the resource manager, makes the window control and shows the window.
    // Ends the process with the system error code when the class or the
    // window cannot be made; a failed renderer start-up is thrown.
    static IMWindow* Create(HMENU menu, const RECT* rect, const std::wstring& caption,
                            bool windowed, HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The main loop: passes until WM_QUIT is taken. Returns 0.
    static int Run(IMWindow* window);
    // One pass of the main loop: drains the queued messages; then, unless
    // WM_QUIT was among them, updates and renders (not while the device is
    // lost), fires the due timers and waits for input until the next timer
    // is due or, while frames are being drawn, the next frame is.
    // Returns false once WM_QUIT has been taken.
    static bool RunPass(IMWindow* window);

    // Moves the system pointer to (x, y) of the client area.
    static long SetCursorPos(int x, int y);

    // The process-wide window handle and window control (null outside the
    // life of the window).
    static HWND Handle() { return handle; }
    static IMWindow* Instance() { return instance; }

    // One render pass.
    virtual long Render();
    // Pointer tracking, once per frame: enters and leaves of the client area.
    long Update() override;
    // Posts the quit message; the window is neither disconnected nor queued.
    long Destroy() override;

    // A new timer; identifiers start at 1 and are never reused.
    int AddTimer(DWORD interval);
    // Disconnects and removes the timer; unknown identifiers are ignored.
    // Safe from a slot of any timer while the timers fire: a removed timer
    // fires no more and is deleted once the timer walk is over.
    long RemoveTimer(int id);
    // Connects a slot to the timer's Ticked signal; unconnected for an
    // unknown identifier.
    Connection ConnectTimer(int id, const IMSignal<IMEvent>::slot_type& slot);

    bool IsMinimized() const { return minimized; }

    // For tests and benchmarks only (the program itself never asks): whether
    // the timer exists, how many there are, and a timer's interval (0 for an
    // unknown identifier).
    bool HasTimer(int id) const { return timers.count(id) != 0; }
    size_t TimerCount() const { return timers.size(); }
    DWORD GetTimerInterval(int id) const
    {
        const auto t = timers.find(id);
        return t == timers.end() ? 0 : t->second->interval;
    }
    // How long the loop would sleep now, after a pass that moved nothing.
    DWORD NextIdleWait() { return IdleWait(false); }

private:
    // Fires the due timers in ascending identifier order.
    void FireDueTimers();
    // How long the loop may sleep after a pass, in ms; `moved` says whether
    // the pass's update made the window dirty.
    DWORD IdleWait(bool moved);
    // The sound system's registered messages.
    static void HandleSoundMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static HWND handle;
    static IMWindow* instance;

    bool minimized;
    int lastTimerId;
    std::map<int, std::unique_ptr<IMTimer>> timers;
    // Timers removed while the timers fire, deleted when the walk is over.
    std::vector<std::unique_ptr<IMTimer>> retiredTimers;
    int firingDepth;
    // Performance counter at the last frame drawn and at the last update
    // that made the window dirty; 0 before the first.
    LONGLONG lastFrameAt = 0;
    LONGLONG lastMotionAt = 0;
    // Whether the last update had a control that goes by the clock.
    bool clockDriven = false;
    // Whether the last pass's frame was presented and its present held to
    // the refresh.
    bool presentHeld = false;
};

// The main loop and the window's timers.
#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"
#include "platform/kernel32.h"
#include "platform/present.h"
#include "platform/user32.h"

#include <algorithm>

int IMWindow::Run(IMWindow* window)
{
    while (RunPass(window)) {
    }
    return 0;
}

bool IMWindow::RunPass(IMWindow* window)
{
    // Queued messages are drained before any frame work.
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return false;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    IMResourceManager* manager = IMResourceManager::Instance();
    bool moved = false;
    const bool drawing = window && manager && !manager->IsDeviceLost();
    if (drawing) {
        // Something moves by the clock when the update, not a message or a
        // timer, made the window dirty.
        const bool dirtyBefore = window->IsDirty();
        IMControl::TakeClockDriven();
        window->OnUpdate(IMEvent(window, IMEVENT_UPDATE));
        window->clockDriven = IMControl::TakeClockDriven();
        const bool dirty = window->IsDirty();
        moved = dirty && !dirtyBefore;
        const uint64_t held = platform::HeldPresents();
        window->Render();
        window->presentHeld = platform::HeldPresents() != held;
        if (dirty && !window->IsDirty()) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            window->lastFrameAt = now.QuadPart;
        }
    }
    if (window)
        window->FireDueTimers();

    // A lost device is tried again at every WM_PAINT: no long sleep then.
    const DWORD wait = drawing ? window->IdleWait(moved) : 1;
    // No wait: the next pass takes what has come.
    if (wait > 0)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait,
                                  QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE |
                                      QS_TIMER | QS_PAINT | QS_HOTKEY);
    return true;
}

DWORD IMWindow::IdleWait(bool moved)
{
    // Controls move by the clock in their updates, and nothing tells the
    // loop when they will: while something has moved lately the next pass
    // comes at once after a present held to the refresh, else a third of a
    // refresh period before the next frame is due, and the present waits
    // out the rest; on a still screen only messages and
    // timers wake the loop, and a slow look round now and then: often while
    // an update says that it goes by the clock (a player's next frame may
    // be due), seldom otherwise (a hang-up signal is seen at the next look).
    // A window left dirty by a timer is drawn at once.
    const LONGLONG kMovingMs = 500;
    const LONGLONG kStillMs = clockDriven ? 100 : 1000;
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const LONGLONG f = frequency.QuadPart;
    if (f <= 0)
        return 1;
    if (moved)
        lastMotionAt = now.QuadPart;
    if (!minimized && IsDirty())
        return 0;

    LONGLONG until = now.QuadPart + f * kStillMs / 1000;
    bool early = false;
    const LONGLONG sinceMotion = now.QuadPart - lastMotionAt;
    const bool moving = lastMotionAt != 0 && lastFrameAt != 0 && sinceMotion >= 0 &&
                        sinceMotion < f * kMovingMs / 1000;
    // The frame just presented waited for its turn at the refresh, and the
    // next one's present will wait too: the next pass comes at once, and
    // that wait is the frame's only sleep. Messages that come meanwhile are
    // taken at the start of the pass, before the frame's work.
    if (moving && presentHeld && !minimized)
        return 0;
    if (moving) {
        const LONGLONG period = std::max<LONGLONG>(1, f / platform::GetPresentRefreshRate());
        // The first start of a frame's work after now, a third of a period
        // ahead of its present.
        const LONGLONG first = lastFrameAt + period - period / 3;
        const LONGLONG next =
            now.QuadPart < first ? first : first + ((now.QuadPart - first) / period + 1) * period;
        if (next < until) {
            until = next;
            early = true;
        }
    }
    for (const auto& entry : timers) {
        const IMTimer& timer = *entry.second;
        // Due once (now - start) * 1000 / f reaches the interval.
        const LONGLONG due = timer.start + (static_cast<LONGLONG>(timer.interval) * f + 999) / 1000;
        if (due < until) {
            until = due;
            early = false;
        }
    }
    if (until <= now.QuadPart)
        return 0;
    // A frame's pass may come early, as the present waits, but not at once
    // again (a pass that finds nothing to draw would spin); a timer's pass
    // may not come early.
    const LONGLONG left = (until - now.QuadPart) * 1000;
    return static_cast<DWORD>(early ? std::max<LONGLONG>(1, left / f) : (left + f - 1) / f);
}

int IMWindow::AddTimer(DWORD interval)
{
    std::unique_ptr<IMTimer> timer(new IMTimer());
    timer->interval = interval;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    timer->start = now.QuadPart;
    const int id = ++lastTimerId;
    timers[id] = std::move(timer);
    return id;
}

long IMWindow::RemoveTimer(int id)
{
    if (id == 0)
        return 0;
    auto it = timers.find(id);
    if (it == timers.end())
        return 0;
    it->second->Ticked.disconnect_all_slots();
    // A timer may be removed by a slot of its own signal: while the timers
    // fire, it is kept until the walk is over.
    if (firingDepth > 0)
        retiredTimers.push_back(std::move(it->second));
    timers.erase(it);
    return 0;
}

IMControl::Connection IMWindow::ConnectTimer(int id, const IMSignal<IMEvent>::slot_type& slot)
{
    if (id == 0)
        return Connection();
    auto it = timers.find(id);
    if (it == timers.end())
        return Connection();
    return it->second->Ticked.connect(slot);
}

void IMWindow::FireDueTimers()
{
    if (timers.empty())
        return;
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (frequency.QuadPart <= 0)
        return;

    // Only the timers that existed when the walk began fire in it; each step
    // looks the next identifier up afresh, so a timer removed by a slot is
    // never reached.
    const int lastAtStart = timers.rbegin()->first;
    ++firingDepth;
    for (auto it = timers.begin(); it != timers.end() && it->first <= lastAtStart;) {
        const int id = it->first;
        IMTimer* timer = it->second.get();
        const LONGLONG ticks = now.QuadPart - timer->start;
        const DWORD elapsed = ticks > 0 ? static_cast<DWORD>(ticks * 1000 / frequency.QuadPart) : 0;
        if (elapsed >= timer->interval) {
            LARGE_INTEGER fired;
            QueryPerformanceCounter(&fired);
            timer->start = fired.QuadPart;
            EmitSignal(timer->Ticked, IMEvent(this, IMEVENT_GENERIC));
        }
        it = timers.upper_bound(id);
    }
    if (--firingDepth == 0)
        retiredTimers.clear();
}

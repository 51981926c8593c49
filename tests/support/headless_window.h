// The main window for tests: created headless (the SDL offscreen driver that
// the tests run with), driven pass by pass on a clock that each pass moves
// on by one step, fed with input by posting the messages the window
// procedure gets.
#pragma once

#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"
#include "platform/present.h"
#include "platform/user32.h"
#include "support/device_faults.h"
#include "support/driven_clock.h"

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>

namespace testing_support {

// Discards every queued message (left over by an earlier window).
inline void DiscardQueuedMessages()
{
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class HeadlessWindow {
public:
    // windowed false: an 800 x 600 pop-up, as the program makes it.
    explicit HeadlessWindow(bool windowed = false)
    {
        DiscardQueuedMessages();
        const RECT rect{0, 0, 800, 600};
        window = IMWindow::Create(nullptr, &rect, L"Test window", windowed, nullptr);
        hwnd = IMWindow::Handle();
        // Frames stay in the device, where the tests read them; nothing is
        // put on the (offscreen) screen.
        platform::SetPresentFunction(nullptr);
    }

    ~HeadlessWindow()
    {
        delete window;
        DiscardQueuedMessages();
    }

    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // Runs up to n loop passes; returns how many ran before WM_QUIT was taken.
    int Pump(int passes = 1)
    {
        int ran = 0;
        while (ran < passes && !quit) {
            if (!Pass(window))
                quit = true;
            else
                ++ran;
        }
        return ran;
    }

    // Runs passes until the condition holds (tested before each pass), the
    // loop quits or maxPasses have run. Returns whether the condition held.
    bool PumpUntil(const std::function<bool()>& condition, int maxPasses = 2000)
    {
        for (int i = 0; i < maxPasses && !quit; ++i) {
            if (condition())
                return true;
            Pump(1);
        }
        return condition();
    }

    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        PostMessageW(hwnd, message, wParam, lParam);
    }

    void MoveMouse(int x, int y, WPARAM keys = 0) { Post(WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }

    // A move to (x, y), then press and release of the button there.
    void Click(int x, int y, UINT downMessage = WM_LBUTTONDOWN)
    {
        const WPARAM bit = downMessage == WM_RBUTTONDOWN   ? MK_RBUTTON
                           : downMessage == WM_MBUTTONDOWN ? MK_MBUTTON
                                                           : MK_LBUTTON;
        MoveMouse(x, y);
        Post(downMessage, bit, MAKELPARAM(x, y));
        Post(downMessage + 1, 0, MAKELPARAM(x, y));
    }

    void PressKey(WPARAM virtualKey)
    {
        Post(WM_KEYDOWN, virtualKey, 1);
        Post(WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
    }

    // One character message for each character of the text.
    void TypeText(const std::wstring& text)
    {
        for (wchar_t c : text)
            Post(WM_CHAR, static_cast<WPARAM>(c), 1);
    }

    // The pointer leaves the (windowed) window, as the window system tells
    // it: the platform then places the pointer outside the client area.
    void PointerLeavesWindow()
    {
        Uint32 last = 0;
        for (Uint32 id = 1; id < 1024; ++id)
            if (SDL_GetWindowFromID(id))
                last = id;
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = last;
        e.window.event = SDL_WINDOWEVENT_LEAVE;
        SDL_PushEvent(&e);
    }

    IMResourceManager* Manager() const { return IMResourceManager::Instance(); }

    // Frames the current device has presented.
    int Presents() const
    {
        IMResourceManager* manager = Manager();
        return manager && manager->Device() ? platform::d3d9test::PresentCount(manager->Device())
                                            : 0;
    }
    // The current device reports loss from now on.
    void LoseDevice() { platform::d3d9test::LoseDevice(Manager()->Device()); }

    // Made first and gone last: the window lives on driven time.
    DrivenClock clock;
    DeviceFaults faults;
    IMWindow* window = nullptr;
    HWND hwnd = nullptr;
    bool quit = false;
};

} // namespace testing_support

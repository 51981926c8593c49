// A headless window for the window-layer tests: its procedure records every
// message it gets and hands it on to DefWindowProcW.
#pragma once

#include "platform/sdl/input.h"
#include "platform/user32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace platform_test {

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Received>& ProcLog()
{
    static std::vector<Received> log;
    return log;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ProcLog().push_back(Received{hwnd, message, wParam, lParam});
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Takes every message out of the queue; translates and dispatches each one
// as a message loop does (without `dispatch`, only WM_PAINT, which stays due
// until validated), and returns them in the order taken.
inline std::vector<MSG> PumpAll(bool dispatch = true)
{
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(msg);
        if (taken.size() > 10000) {
            ADD_FAILURE() << "the queue never empties";
            break;
        }
        if (msg.message == WM_QUIT || (!dispatch && msg.message != WM_PAINT))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return taken;
}

inline std::vector<MSG> Only(const std::vector<MSG>& all, std::initializer_list<UINT> kinds)
{
    std::vector<MSG> out;
    for (const MSG& m : all)
        if (std::find(kinds.begin(), kinds.end(), m.message) != kinds.end())
            out.push_back(m);
    return out;
}

inline int CountReceived(UINT message)
{
    return static_cast<int>(
        std::count_if(ProcLog().begin(), ProcLog().end(),
                      [message](const Received& r) { return r.message == message; }));
}

class WindowTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"PlatformTestWindow";

    void SetUp() override { Open(WS_POPUP); }

    void Open(DWORD style)
    {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = kClass;
        ASSERT_NE(RegisterClassW(&wc), 0);
        hwnd_ = CreateWindowExW(0, kClass, L"Проба", style, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr) << "no window under the offscreen video driver";
        ShowWindow(hwnd_, SW_SHOWDEFAULT);
        UpdateWindow(hwnd_);
        PumpAll();
        ProcLog().clear();
    }

    void TearDown() override
    {
        if (hwnd_ != nullptr && IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        UnregisterClassW(kClass, nullptr);
        PumpAll(false);
        ProcLog().clear();
    }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    static SDL_Event Key(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod,
                         Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return e;
    }

    static SDL_Event Text(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, utf8, sizeof(e.text.text));
        return e;
    }

    HWND hwnd_ = nullptr;
};

} // namespace platform_test

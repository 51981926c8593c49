// The pointer's position, its visibility counter and the mouse messages of a
// full-screen window, headless.
#include "test_window.h"

#include "platform/kernel32.h"
#include "platform/sdl/letterbox.h"

#include <chrono>
#include <thread>

using namespace platform_test;

TEST_F(WindowTest, SetCursorPosMovesThePointerWhereGetCursorPosFindsIt)
{
    ASSERT_TRUE(SetCursorPos(123, 45));
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 45);
    // Moving the real pointer comes back as a move to the same place.
    for (const MSG& m : Only(PumpAll(), {WM_MOUSEMOVE})) {
        EXPECT_EQ(GET_X_LPARAM(m.lParam), 123);
        EXPECT_EQ(GET_Y_LPARAM(m.lParam), 45);
    }
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 45);
}

TEST_F(WindowTest, AFullScreenPointerStaysOnTheScreen)
{
    SetCursorPos(-40, 5000);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 599);
}

TEST_F(WindowTest, MotionIsMappedFromWindowPixelsToTheClientArea)
{
    int w = 0, h = 0;
    SDL_GetWindowSize(SDL_GetWindowFromID(platform::SdlWindowIdOf(hwnd_)), &w, &h);
    platform::Letterbox box = platform::ComputeLetterbox(w, h, 800, 600);
    POINT target = platform::ClientToOutput(box, 800, 600, POINT{700, 20});

    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = platform::SdlWindowIdOf(hwnd_);
    e.motion.x = target.x;
    e.motion.y = target.y;
    Push(e);
    auto moves = Only(PumpAll(), {WM_MOUSEMOVE});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 700);
    EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), 20);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 700);
    EXPECT_EQ(p.y, 20);
}

TEST_F(WindowTest, ThePointerLeavingTheWindowEndsTheWaitForInput)
{
    // It makes no message, but what the next pass finds changes: whether
    // it came before the wait or during it, the wait ends.
    SDL_Event leave{};
    leave.type = SDL_WINDOWEVENT;
    leave.window.event = SDL_WINDOWEVENT_LEAVE;
    leave.window.windowID = platform::SdlWindowIdOf(hwnd_);
    for (int during = 0; during < 2; ++during) {
        if (!during)
            Push(leave);
        std::thread pusher([&] {
            if (during) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                Push(leave);
            }
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 8000, QS_ALLINPUT), WAIT_OBJECT_0)
            << during;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 6000)
            << during;
        pusher.join();
    }
}

TEST_F(WindowTest, ADoubleClickReachesTheProcedure)
{
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.button = SDL_BUTTON_LEFT;
    SDL_Event release = press;
    release.type = SDL_MOUSEBUTTONUP;
    for (int i = 0; i < 2; ++i) {
        Push(press);
        Push(release);
    }
    PumpAll();
    // Pushed events are stamped with the time of pushing: well within the double-click time.
    EXPECT_EQ(CountReceived(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(CountReceived(WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(CountReceived(WM_LBUTTONUP), 2);
}

TEST_F(WindowTest, ShowCursorKeepsWindowsDisplayCounter)
{
    const int start = ShowCursor(TRUE) - 1;
    EXPECT_EQ(ShowCursor(FALSE), start);
    // Down to -1 and below: hidden until it is back at 0.
    int count = start;
    while (count >= 0)
        count = ShowCursor(FALSE);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    while (count < start)
        count = ShowCursor(TRUE);
}

TEST_F(WindowTest, SendMessageCallsTheProcedureAtOnce)
{
    EXPECT_EQ(SendMessageW(hwnd_, WM_USER + 7, 1, 2), 0);
    ASSERT_EQ(ProcLog().size(), 1u);
    EXPECT_EQ(ProcLog()[0].message, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(ProcLog()[0].wParam, 1u);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
}

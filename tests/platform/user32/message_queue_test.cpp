// The message queue without a window: thread messages (hwnd NULL).
#include "platform/kernel32.h"
#include "platform/user32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void Drain()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

} // namespace

TEST(MessageQueue, KeepsEachPostersOrderAcrossThreads)
{
    Drain();
    const int kThreads = 4, kEach = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([t] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(PostMessageW(nullptr, WM_USER, t, i));
        });
    std::vector<int> next(kThreads, 0);
    int taken = 0;
    const auto start = Clock::now();
    while (taken < kThreads * kEach && MillisecondsSince(start) < 20000) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        ASSERT_EQ(msg.message, static_cast<UINT>(WM_USER));
        ASSERT_EQ(msg.lParam, next[msg.wParam]) << "poster " << msg.wParam;
        ++next[msg.wParam];
        ++taken;
    }
    for (auto& p : posters)
        p.join();
    EXPECT_EQ(taken, kThreads * kEach);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, QuitComesOnceAfterEverythingPosted)
{
    Drain();
    PostMessageW(nullptr, WM_USER + 1, 0, 0);
    PostQuitMessage(7);
    PostMessageW(nullptr, WM_USER + 2, 0, 0);
    PostQuitMessage(3); // twice: still one quit, with the last code
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, NoRemoveAndRangeFilterLeaveTheRestInPlace)
{
    Drain();
    PostMessageW(nullptr, WM_USER + 1, 1, 0);
    PostMessageW(nullptr, WM_USER + 5, 5, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, PostingToANonexistentWindowFails)
{
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0xDEAD0), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(MsgWait, ReturnsAfterItsTimeOutWhenNothingComes)
{
    Drain();
    const auto start = Clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT), WAIT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 29);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
}

TEST(MsgWait, WakesForAMessagePostedByAnotherThread)
{
    Drain();
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageW(nullptr, WM_USER + 3, 0, 0);
    });
    const auto start = Clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_LT(MillisecondsSince(start), 5000);
    poster.join();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
}

TEST(MsgWait, ReturnsAtOnceWhileAMessageWaits)
{
    Drain();
    PostMessageW(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, 0xBF), WAIT_OBJECT_0);
    Drain();
}

TEST(MsgWait, ReportsWhichObjectWasSignalled)
{
    Drain();
    HANDLE events[2] = {CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        SetEvent(events[1]);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    setter.join();
    // The wait took the auto-reset event's signal.
    EXPECT_EQ(WaitForSingleObject(events[1], 0), WAIT_TIMEOUT);
    PostMessageW(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
    Drain();
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

TEST(RegisteredMessages, OneStableNumberPerName)
{
    UINT play = RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY");
    UINT label = RegisterWindowMessageW(L"WM_IM_ONLABEL");
    EXPECT_GE(play, 0xC000u);
    EXPECT_LE(play, 0xFFFFu);
    EXPECT_GE(label, 0xC000u);
    EXPECT_NE(play, label);
    EXPECT_EQ(RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY"), play);
    EXPECT_EQ(RegisterWindowMessageW(L"wm_im_onsoundplay"), play);
    EXPECT_NE(RegisterWindowMessageW(L"WM_IM_ONSOUNDPOUSE"), play);
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
}

TEST(RegisteredMessages, StableAcrossThreads)
{
    std::atomic<UINT> seen[4];
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back(
            [&seen, i] { seen[i] = RegisterWindowMessageW(L"Shared across threads"); });
    for (auto& t : threads)
        t.join();
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(seen[i].load(), seen[0].load());
}

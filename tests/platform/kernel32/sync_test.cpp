// Events, waits, threads and critical sections.
#include "platform/clock.h"
#include "platform/kernel32.h"

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

struct Gate {
    HANDLE release;
    HANDLE done;
    std::atomic<bool> finished{false};
};

DWORD WINAPI WaitsForTheGate(LPVOID param)
{
    Gate* gate = static_cast<Gate*>(param);
    WaitForSingleObject(gate->release, INFINITE);
    gate->finished = true;
    SetEvent(gate->done);
    return 42;
}

struct AutoResetWaiters {
    HANDLE event = nullptr;
    HANDLE woken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> timedOut{0};
};

DWORD WINAPI WaitsForTheEvent(LPVOID param)
{
    AutoResetWaiters* w = static_cast<AutoResetWaiters*>(param);
    if (WaitForSingleObject(w->event, 300) == WAIT_OBJECT_0)
        SetEvent(w->woken);
    else
        ++w->timedOut;
    return 0;
}

DWORD WINAPI ReturnsItsParameter(LPVOID param)
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(param));
}

} // namespace

TEST(Events, AutoResetReleasesOneWaitThenResets)
{
    HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    SetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(e));
}

TEST(Events, ManualResetStaysSignalledUntilReset)
{
    HANDLE e = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    ResetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
}

TEST(Events, AWaitTimesOutAfterItsTime)
{
    HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(e, 20), WAIT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 19);
    CloseHandle(e);
}

TEST(Events, OneSetOfAnAutoResetEventWakesOneOfTwoWaiters)
{
    // On driven time both threads are surely waiting when the event is set,
    // and the other's time-out comes only when the test moves time on.
    platform::clock::Drive();
    AutoResetWaiters w;
    w.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE a = CreateThread(nullptr, 0, &WaitsForTheEvent, &w, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, &WaitsForTheEvent, &w, 0, nullptr);
    platform::clock::AdvanceMs(0);
    SetEvent(w.event);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.woken, INFINITE));
    platform::clock::AdvanceMs(299);
    EXPECT_EQ(0, w.timedOut.load());
    platform::clock::AdvanceMs(1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(a, INFINITE));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(b, INFINITE));
    EXPECT_EQ(1, w.timedOut.load());
    platform::clock::Release();
    for (HANDLE h : {a, b, w.event, w.woken})
        CloseHandle(h);
}

TEST(Handles, ClosedAndUnknownHandlesAreInvalid)
{
    HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(e));
    EXPECT_FALSE(CloseHandle(e));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x5), 0), WAIT_FAILED);
    // A handle value is never handed out again.
    HANDLE next = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    EXPECT_NE(next, e);
    CloseHandle(next);
}

TEST(Threads, AThreadHandleIsSignalledWithItsExitCodeWhenItEnds)
{
    Gate gate;
    gate.release = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    gate.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitsForTheGate, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);

    SetEvent(gate.release);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(gate.finished.load());
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0); // stays signalled
    EXPECT_TRUE(CloseHandle(thread));
    CloseHandle(gate.release);
    CloseHandle(gate.done);
}

TEST(Threads, ClosingARunningThreadsHandleLetsItFinish)
{
    auto* gate = new Gate;
    gate->release = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    gate->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitsForTheGate, gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const auto start = Clock::now();
    EXPECT_TRUE(CloseHandle(thread)); // neither waits nor stops it
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_FALSE(gate->finished.load());
    SetEvent(gate->release);
    EXPECT_EQ(WaitForSingleObject(gate->done, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(gate->finished.load());
    CloseHandle(gate->release);
    CloseHandle(gate->done);
    delete gate;
}

TEST(Threads, ManyShortThreadsJoinWithTheirOwnCodes)
{
    std::vector<HANDLE> threads;
    for (uintptr_t i = 0; i < 16; ++i)
        threads.push_back(CreateThread(nullptr, 0, ReturnsItsParameter,
                                       reinterpret_cast<LPVOID>(i * 3), 0, nullptr));
    for (size_t i = 0; i < threads.size(); ++i) {
        ASSERT_EQ(WaitForSingleObject(threads[i], 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeThread(threads[i], &code);
        EXPECT_EQ(code, i * 3);
        CloseHandle(threads[i]);
    }
}

TEST(CriticalSections, ExcludeOtherThreadsAndLetTheOwnerReenter)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&cs);
                EnterCriticalSection(&cs); // the owner may enter again
                ++counter;
                LeaveCriticalSection(&cs);
                LeaveCriticalSection(&cs);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 80000);
    DeleteCriticalSection(&cs);
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD other = 1;
    std::thread t([&] {
        other = GetLastError();
        SetLastError(ERROR_FILE_NOT_FOUND);
    });
    t.join();
    EXPECT_EQ(other, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

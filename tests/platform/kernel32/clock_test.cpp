// The platform clock driven by a test: every time source stands still until
// the test advances it, and an advance lets other threads' waits end in the
// order of their deadlines.
#include "platform/clock.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/winmm.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LONGLONG Counter()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

struct Sleeper {
    HANDLE stop = nullptr;
    DWORD start = 0;
    std::vector<DWORD> woke; // ms after start, one per time-out; 0 when stopped
};

DWORD WINAPI WaitInSteps(LPVOID param)
{
    Sleeper& s = *static_cast<Sleeper*>(param);
    for (;;) {
        if (WaitForSingleObject(s.stop, 30) == WAIT_OBJECT_0) {
            s.woke.push_back(0);
            return 0;
        }
        s.woke.push_back(timeGetTime() - s.start);
    }
}

} // namespace

TEST(DrivenClock, EveryTimeSourceStandsStillUntilAdvancedAndNeverGoesBack)
{
    platform::clock::Drive();
    const LONGLONG counter = Counter();
    const DWORD ticks = GetTickCount();
    const DWORD multimedia = timeGetTime();
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // On the driving thread a wait with a time-out ends at once.
    Sleep(500);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 1000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT),
              MsgWaitForMultipleObjects(1, &event, FALSE, 1000, 0));
    EXPECT_EQ(counter, Counter());
    EXPECT_EQ(ticks, GetTickCount());
    EXPECT_EQ(multimedia, timeGetTime());

    platform::clock::AdvanceMs(250);
    EXPECT_EQ(counter + 250000000, Counter());
    EXPECT_EQ(ticks + 250, GetTickCount());
    EXPECT_EQ(multimedia + 250, timeGetTime());

    platform::clock::Release();
    EXPECT_GE(Counter(), counter + 250000000);
    CloseHandle(event);
}

TEST(DrivenClock, AnAdvanceEndsOtherThreadsWaitsOneDeadlineAtATime)
{
    platform::clock::Drive();
    Sleeper s;
    s.stop = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    s.start = timeGetTime();
    HANDLE thread = CreateThread(nullptr, 0, &WaitInSteps, &s, 0, nullptr);
    ASSERT_NE(nullptr, thread);

    // Each time-out is seen at its own time, and the advance returns only
    // once the thread waits again.
    platform::clock::AdvanceMs(100);
    EXPECT_EQ((std::vector<DWORD>{30, 60, 90}), s.woke);
    platform::clock::AdvanceMs(20);
    EXPECT_EQ((std::vector<DWORD>{30, 60, 90, 120}), s.woke);

    // What a thread waits for ends its wait without time passing.
    SetEvent(s.stop);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ((std::vector<DWORD>{30, 60, 90, 120, 0}), s.woke);
    EXPECT_EQ(s.start + 120, timeGetTime());

    platform::clock::Release();
    CloseHandle(thread);
    CloseHandle(s.stop);
}

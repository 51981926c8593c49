// Time from the platform's clock: the performance counter counts nanoseconds.
#include "platform/clock.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"

#include <chrono>
#include <thread>

namespace {

int64_t MonotonicNanoseconds()
{
    return platform::clock::Now();
}

} // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (count == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = MonotonicNanoseconds();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (frequency == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = 1000000000;
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    platform::clock::SleepUntil(MonotonicNanoseconds() + int64_t(milliseconds) * 1000000);
}

// Milliseconds of the clock, wrapping at 2^32 like the Windows tick count.
DWORD GetTickCount()
{
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000);
}

DWORD timeGetTime()
{
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000);
}

// Time the tests control: the platform clock driven by the test's thread,
// and loop passes that each move it on by one step, so that what a test sees
// depends on the passes it runs and not on how busy the machine is.
#pragma once

#include "framework/window/IMWindow.h"
#include "platform/clock.h"

#include <chrono>

namespace testing_support {

// The time one loop pass stands for: about a frame at the display's rate.
constexpr int kPassMs = 13;

// The platform clock as a std::chrono clock.
struct PlatformClock {
    typedef std::chrono::nanoseconds duration;
    typedef duration::rep rep;
    typedef duration::period period;
    typedef std::chrono::time_point<PlatformClock> time_point;
    static constexpr bool is_steady = true;
    static time_point now() { return time_point(duration(platform::clock::Now())); }
};

// Drives the platform clock from the constructing thread for the object's
// life; real time resumes after it.
class DrivenClock {
public:
    DrivenClock() { platform::clock::Drive(); }
    ~DrivenClock() { platform::clock::Release(); }
    DrivenClock(const DrivenClock&) = delete;
    DrivenClock& operator=(const DrivenClock&) = delete;

    void AdvanceMs(int milliseconds) { platform::clock::AdvanceMs(milliseconds); }
    void Advance(std::chrono::milliseconds span) { AdvanceMs(static_cast<int>(span.count())); }
};

// One pass of the window's loop, then, on a driven clock, one step of time.
// False once the loop has taken the quit message.
inline bool Pass(IMWindow* window, int stepMs = kPassMs)
{
    const bool running = IMWindow::RunPass(window);
    platform::clock::AdvanceMs(stepMs);
    return running;
}

} // namespace testing_support

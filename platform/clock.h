// The one clock every time source of the platform layer reads: the tick
// count, the performance counter, the multimedia timer, Sleep, the time-outs
// of every wait (events, threads, the message loop's waits) and the output
// that stands in for a sound device when there is none.
//
// It follows the monotonic clock unless a test drives it. Driven, time stands
// still until the driving thread advances it: waits with a time-out on the
// driving thread end at once, and other threads' waits end when time reaches
// their deadline (or what they wait for comes). An advance steps from one
// waiting thread's deadline to the next and lets each such thread run until
// it waits again, so what a test sees does not depend on the machine's load.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform::clock {

// A deadline that never comes.
constexpr int64_t kForever = INT64_MAX;

// Nanoseconds since an arbitrary start; never goes back.
int64_t Now();

// --- For tests ---

// The calling thread drives the clock from now on; time stands where it is.
void Drive();
// Back to the monotonic clock, going on from where driven time stood.
void Release();
bool Driven();
// The driving thread moves time on by that much (nothing when not driven).
// Returns once every thread that woke meanwhile waits again or has ended
// (within a few seconds of real time, should one be stuck).
void Advance(int64_t nanoseconds);
inline void AdvanceMs(int64_t milliseconds)
{
    Advance(milliseconds * 1000000);
}

// --- For the platform layer ---

// Waits on `changed` (whose mutex `lock` holds) until ready() holds or the
// clock reaches `deadline`; returns ready(). Whoever makes ready() true
// notifies `changed` and then calls Poke().
bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
               int64_t deadline, const std::function<bool()>& ready);
// Whether a wait with a time-out on this thread ends at once: the clock is
// driven and this thread drives it.
bool WaitsEndAtOnce();
// Tells driven waits that something they wait for may have come.
void Poke();
// Sleeps until the clock reaches `deadline` (at once on the driving thread).
void SleepUntil(int64_t deadline);
// Counts changes of driven time and pokes; WaitForChange returns once it
// differs from `seen` or the deadline is reached (at once when not driven).
uint64_t Generation();
void WaitForChange(uint64_t seen, int64_t deadline);
// A thread that waits in the clock: announced by its creator before it
// starts, so that an advance waits for its first wait, and gone at its end.
void ThreadCreated();
void ThreadNotCreated(); // the creator's start failed
void ThreadStarted();
void ThreadEnds();

} // namespace platform::clock

#include "platform/clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <time.h>

namespace platform::clock {
namespace {

int64_t Monotonic()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// How long an advance waits, in real time, for the threads it woke.
constexpr auto kPatience = std::chrono::seconds(5);

struct Waiter {
    int64_t deadline;
    uint64_t seen;
};

struct State {
    std::mutex mutex;
    std::condition_variable changed; // driven time moved, or a poke
    std::condition_variable settled; // a thread went back to waiting or ended
    std::atomic<bool> driven{false};
    // Not driven: Now() is the monotonic clock plus this.
    std::atomic<int64_t> offset{0};
    // Driven: the time.
    std::atomic<int64_t> now{0};
    std::atomic<uint64_t> generation{0};
    std::atomic<std::thread::id> driver{};
    // The threads other than the driver waiting in the clock.
    std::map<std::thread::id, Waiter> waiting;
    // Threads other than the driver that woke from a driven wait and have
    // not waited again or ended; threads announced but not started.
    std::set<std::thread::id> awake;
    int starting = 0;

    bool SettledLocked() const
    {
        if (starting > 0 || !awake.empty()) return false;
        const uint64_t g = generation.load();
        for (const auto& w : waiting)
            if (w.second.seen != g) return false;
        return true;
    }

    // Waits (under the lock) until every woken thread waits again.
    void SettleLocked(std::unique_lock<std::mutex>& lock)
    {
        settled.wait_for(lock, kPatience, [this] { return SettledLocked(); });
    }
};

State& S()
{
    static State* state = new State; // outlives every static destructor
    return *state;
}

bool OnDriver(State& s)
{
    return s.driven.load() && s.driver.load() == std::this_thread::get_id();
}

} // namespace

int64_t Now()
{
    State& s = S();
    if (s.driven.load(std::memory_order_acquire)) return s.now.load();
    return Monotonic() + s.offset.load();
}

void Drive()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.driven.load()) return;
    s.now = Monotonic() + s.offset.load();
    s.driver = std::this_thread::get_id();
    s.awake.clear();
    s.starting = 0;
    ++s.generation;
    s.driven.store(true, std::memory_order_release);
    s.changed.notify_all();
}

void Release()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.driven.load()) return;
    // Real time goes on from where driven time stood, or from where it is
    // should that be later: the clock never goes back.
    s.offset = std::max<int64_t>(s.offset.load(), s.now.load() - Monotonic());
    s.driven.store(false, std::memory_order_release);
    s.driver = std::thread::id();
    s.awake.clear();
    s.starting = 0;
    ++s.generation;
    s.changed.notify_all();
}

bool Driven()
{
    return S().driven.load(std::memory_order_acquire);
}

void Advance(int64_t nanoseconds)
{
    State& s = S();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!OnDriver(s) || nanoseconds < 0) return;
    const int64_t target = s.now.load() + nanoseconds;
    for (;;) {
        s.SettleLocked(lock);
        // The next deadline of a waiting thread, or the target.
        int64_t next = target;
        for (const auto& w : s.waiting)
            if (w.second.deadline > s.now.load()) next = std::min(next, w.second.deadline);
        s.now = next;
        ++s.generation;
        s.changed.notify_all();
        if (next == target) break;
    }
    s.SettleLocked(lock);
}

uint64_t Generation()
{
    return S().generation.load();
}

void WaitForChange(uint64_t seen, int64_t deadline)
{
    State& s = S();
    std::unique_lock<std::mutex> lock(s.mutex);
    const std::thread::id self = std::this_thread::get_id();
    const bool counted = s.driven.load() && s.driver.load() != self;
    if (counted) {
        s.awake.erase(self);
        s.waiting[self] = Waiter{deadline, seen};
        s.settled.notify_all();
    }
    s.changed.wait(lock, [&] {
        return !s.driven.load() || s.generation.load() != seen || s.now.load() >= deadline;
    });
    if (counted) {
        s.waiting.erase(self);
        if (s.driven.load()) s.awake.insert(self);
    }
}

bool WaitsEndAtOnce()
{
    return OnDriver(S());
}

void Poke()
{
    State& s = S();
    if (!s.driven.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.generation;
    s.changed.notify_all();
}

bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
               int64_t deadline, const std::function<bool()>& ready)
{
    for (;;) {
        if (Driven()) {
            const uint64_t seen = Generation();
            if (ready()) return true;
            if (Now() >= deadline) return false;
            if (deadline != kForever && OnDriver(S())) return false;
            lock.unlock();
            WaitForChange(seen, deadline);
            lock.lock();
            continue;
        }
        if (ready()) return true;
        if (deadline == kForever) {
            changed.wait(lock);
            continue;
        }
        const int64_t left = deadline - Now();
        if (left <= 0) return false;
        changed.wait_for(lock, std::chrono::nanoseconds(left));
    }
}

void SleepUntil(int64_t deadline)
{
    for (;;) {
        if (Driven()) {
            const uint64_t seen = Generation();
            if (Now() >= deadline) return;
            if (OnDriver(S())) {
                std::this_thread::yield();
                return;
            }
            WaitForChange(seen, deadline);
            continue;
        }
        const int64_t left = deadline - Now();
        if (left <= 0) return;
        // In slices, so that a switch to driven time is noticed.
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::min<int64_t>(left, 50000000)));
    }
}

void ThreadCreated()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.driven.load()) ++s.starting;
}

void ThreadNotCreated()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.starting > 0) --s.starting;
    s.settled.notify_all();
}

void ThreadStarted()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.starting == 0) return;
    --s.starting;
    s.awake.insert(std::this_thread::get_id());
}

void ThreadEnds()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.awake.erase(std::this_thread::get_id());
    s.settled.notify_all();
}

} // namespace platform::clock

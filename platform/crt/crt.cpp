#include "platform/crt.h"

#include <atomic>

namespace crt {

namespace {
// MSVC keeps one generator state per thread; the program draws on the UI
// thread only, so one process-wide state serves.
std::atomic<uint32_t> g_state{1};
} // namespace

void srand(unsigned int seed)
{
    g_state.store(seed, std::memory_order_relaxed);
}

int rand()
{
    uint32_t s = g_state.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_state.store(s, std::memory_order_relaxed);
    return static_cast<int>((s >> 16) & 0x7FFF);
}

time64_t _time64(time64_t* out)
{
    time64_t t = static_cast<time64_t>(std::time(nullptr));
    if (out) *out = t;
    return t;
}

bool _localtime64_s(std::tm* out, const time64_t* t)
{
    if (!out || !t) return false;
    std::time_t tt = static_cast<std::time_t>(*t);
    return localtime_r(&tt, out) != nullptr;
}

} // namespace crt

// The delay from starting a sound to its first samples in the mixer's
// real-time output, read from the output's capture on the mixing thread.
#pragma once

#include "platform/wintypes.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace benchsupport {

class FirstSound {
public:
    using Clock = std::chrono::steady_clock;

    // Installs the capture; the output must be running.
    FirstSound();
    // Removes it.
    ~FirstSound();
    FirstSound(const FirstSound&) = delete;
    FirstSound& operator=(const FirstSound&) = delete;

    // Starts the watch: the next non-zero sample counts, from now.
    void Arm();
    // Waits up to two seconds for it: the seconds since Arm, or a negative
    // number when nothing was heard.
    double Wait();

private:
    std::atomic<bool> armed{false};
    std::atomic<int64_t> heardAt{0};
    Clock::time_point start{};
};

// A window handle the sound code may post to; no window has it, so the
// messages go nowhere.
inline HWND NoWindow()
{
    return reinterpret_cast<HWND>(uintptr_t(0x5678));
}

} // namespace benchsupport

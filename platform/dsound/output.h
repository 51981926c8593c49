// Where the mix goes: an SDL audio device pulling 16-bit stereo blocks, or,
// when there is none (or SDL's dummy driver is chosen), a thread that pulls
// blocks at the real-time rate against the platform clock and drops them,
// resting while nothing plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::dsound {

// Fills `frames` interleaved stereo frames; called on the output's thread.
using RenderFunction = std::function<void(int16_t* stereo, size_t frames)>;

class Output {
public:
    virtual ~Output() = default;
    virtual uint32_t Rate() const = 0;
    // Frames the output asks for at a time.
    virtual uint32_t BlockFrames() const = 0;
    virtual const char* Kind() const = 0;
    // Starts pulling from `render`; the destructor stops and waits for it.
    virtual void Start(RenderFunction render) = 0;
    // Something may have started to play: an output resting while nothing
    // played goes on pulling.
    virtual void Wake() {}
};

// Null when SDL has no real audio device to give.
std::unique_ptr<Output> OpenSdlOutput();
// `idle` says whether nothing plays (called on the output's thread, without
// its lock): the clock thread then rests until Wake().
std::unique_ptr<Output> OpenClockOutput(uint32_t rate, std::function<bool()> idle);

} // namespace platform::dsound

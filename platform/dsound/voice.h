// One buffer's contribution to the mix: linear interpolation from the
// buffer's rate to the output's, with the position kept as a whole frame plus
// an exact remainder in 1/outputRate steps, so long sounds never drift.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::dsound {

struct VoicePosition {
    uint32_t frame = 0;     // frame of the buffer now playing
    uint32_t remainder = 0; // how far past it, in units of 1/outputRate frame
};

struct VoiceSource {
    const int16_t* samples; // interleaved, `channels` per frame
    uint32_t frames;        // frames in the buffer, at least 1
    int channels;           // 1 or 2
    uint32_t rate;          // frames per second of the buffer
};

// Adds up to `outFrames` stereo frames of the source to `acc` (interleaved
// left/right), moving `position` by exactly what was consumed; with `acc`
// null only the position moves. A looping
// voice wraps to frame 0; otherwise it stops at the end, `position` goes back
// to the start and false is returned (frames after the end get nothing).
bool MixVoice(const VoiceSource& source, bool looping, uint32_t outputRate, VoicePosition& position,
              int32_t* acc, size_t outFrames);

// Clamps the 32-bit sums to 16-bit samples.
void Saturate(const int32_t* acc, int16_t* out, size_t samples);

} // namespace platform::dsound

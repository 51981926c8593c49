#include "platform/dsound/voice.h"

namespace platform::dsound {

bool MixVoice(const VoiceSource& source, bool looping, uint32_t outputRate, VoicePosition& position,
              int32_t* acc, size_t outFrames)
{
    const uint32_t whole = source.rate / outputRate;
    const uint32_t part = source.rate % outputRate;
    // Interpolation weight in 1/32768 steps (remainder * 2^32 / outputRate >> 17),
    // so a full-scale difference times the weight still fits in 32 bits.
    const uint64_t weightScale = (uint64_t(1) << 32) / outputRate;
    const int channels = source.channels;
    const uint32_t frames = source.frames;
    uint32_t frame = position.frame;
    uint32_t remainder = position.remainder;

    for (size_t i = 0; i < outFrames; ++i) {
        if (acc) {
            const int16_t* a = source.samples + size_t(frame) * channels;
            int32_t left = a[0];
            int32_t right = a[channels - 1];
            if (remainder != 0) {
                uint32_t next = frame + 1;
                if (next == frames) next = looping ? 0 : frame;
                const int16_t* b = source.samples + size_t(next) * channels;
                const int32_t weight = int32_t((remainder * weightScale) >> 17);
                left += ((b[0] - left) * weight) >> 15;
                right += ((b[channels - 1] - right) * weight) >> 15;
            }
            acc[2 * i] += left;
            acc[2 * i + 1] += right;
        }

        frame += whole;
        remainder += part;
        if (remainder >= outputRate) {
            remainder -= outputRate;
            ++frame;
        }
        if (frame >= frames) {
            if (!looping) {
                position = VoicePosition{};
                return false;
            }
            frame %= frames;
        }
    }
    position.frame = frame;
    position.remainder = remainder;
    return true;
}

void Saturate(const int32_t* acc, int16_t* out, size_t samples)
{
    for (size_t i = 0; i < samples; ++i) {
        int32_t v = acc[i];
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        out[i] = int16_t(v);
    }
}

} // namespace platform::dsound

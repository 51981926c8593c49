// Short Ogg Vorbis sounds made on the spot, for the sound benchmarks and the
// sound tests: no file to keep beside them, and a tone whose every sample is
// known.
#pragma once

#include <vector>

namespace benchsupport {

// `frames` frames of a sine tone (every channel the same), as floats in
// -1..1; `phase` in radians (pi/2 makes a tone that is loud from its first
// sample).
std::vector<float> Tone(int channels, int rate, long frames, double hertz = 440.0,
                        double amplitude = 0.5, double phase = 0.0);

// Interleaved float samples as an Ogg Vorbis stream; empty when the encoder
// refuses the channel count or the rate.
std::vector<unsigned char> EncodeVorbis(int channels, int rate, const std::vector<float>& samples);

} // namespace benchsupport

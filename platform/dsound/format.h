// Checks of the wave formats buffers are made with.
#pragma once

#include "platform/dsound.h"

namespace platform::dsound {

// PCM with a consistent block size and byte rate, 1 or 2 channels, a rate
// DirectSound allows, and the given sample widths (8 or 16 bits when
// `only16Bits` is false).
inline bool IsValidPcm(const WAVEFORMATEX& f, bool only16Bits)
{
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels != 1 && f.nChannels != 2) return false;
    if (f.wBitsPerSample != 16 && (only16Bits || f.wBitsPerSample != 8)) return false;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

inline bool IsValidDescSize(DWORD size)
{
    return size == sizeof(DSBUFFERDESC) || size == DSBUFFERDESC_SIZE_32BIT;
}

} // namespace platform::dsound

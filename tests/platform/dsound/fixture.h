// Shared set-up of the DirectSound tests: a device with the real-time output
// paused, so buffers move only when a test mixes by hand.
#pragma once

#include "platform/dsound.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace dsoundtesting {

inline WAVEFORMATEX Pcm16(int channels, DWORD rate)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = WORD(channels);
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = WORD(channels * 2);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 18; // as the sound streams fill it
    return f;
}

// The description the sound streams use: 36 bytes, pan control only.
inline DSBUFFERDESC SecondaryDesc(WAVEFORMATEX* format, DWORD bytes)
{
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE_32BIT;
    d.dwFlags = DSBCAPS_CTRLPAN;
    d.dwBufferBytes = bytes;
    d.lpwfxFormat = format;
    return d;
}

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(uintptr_t(0x1234));
}

class DsoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::dsoundtest::PauseOutput(true);
        ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &ds_, nullptr), DS_OK);
        ASSERT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_EXCLUSIVE), DS_OK);
        rate_ = DWORD(platform::dsoundtest::OutputRate());
        ASSERT_GT(rate_, 0u);
    }

    void TearDown() override
    {
        for (IDirectSoundBuffer8* b : buffers_)
            b->Release();
        if (ds_)
            ds_->Release();
        platform::dsoundtest::PauseOutput(false);
    }

    // Made as the streams make theirs: queried for the version-8 interface,
    // the first one released. Released by the fixture.
    IDirectSoundBuffer8* MakeBuffer(int channels, DWORD rate, DWORD bytes)
    {
        WAVEFORMATEX format = Pcm16(channels, rate);
        DSBUFFERDESC desc = SecondaryDesc(&format, bytes);
        IDirectSoundBuffer* first = nullptr;
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &first, nullptr), DS_OK);
        if (!first)
            return nullptr;
        void* second = nullptr;
        EXPECT_EQ(first->QueryInterface(IID_IDirectSoundBuffer8, &second), S_OK);
        first->Release();
        auto* buffer = static_cast<IDirectSoundBuffer8*>(second);
        if (buffer)
            buffers_.push_back(buffer);
        return buffer;
    }

    IDirectSoundBuffer8* MakeSecond(int channels, DWORD rate)
    {
        return MakeBuffer(channels, rate, rate * DWORD(channels) * 2);
    }

    static void Write(IDirectSoundBuffer* buffer, DWORD offset, const std::vector<int16_t>& samples)
    {
        const DWORD bytes = DWORD(samples.size() * sizeof(int16_t));
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_EQ(buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        ASSERT_EQ(n1 + n2, bytes);
        std::memcpy(p1, samples.data(), n1);
        if (n2)
            std::memcpy(p2, reinterpret_cast<const char*>(samples.data()) + n1, n2);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }

    static std::vector<int16_t> Mix(size_t frames)
    {
        std::vector<int16_t> out(2 * frames, 0x5555);
        EXPECT_TRUE(platform::dsoundtest::MixInto(out.data(), frames));
        return out;
    }

    static DWORD PlayCursor(IDirectSoundBuffer* buffer)
    {
        DWORD play = 0xFFFFFFFF;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        return play;
    }

    static DWORD Status(IDirectSoundBuffer* buffer)
    {
        DWORD status = 0xFFFFFFFF;
        EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
        return status;
    }

    IDirectSound8* ds_ = nullptr;
    DWORD rate_ = 0;
    std::vector<IDirectSoundBuffer8*> buffers_;
};

// Distinct, never silent samples.
inline std::vector<int16_t> Ramp(size_t samples, int16_t first = 1)
{
    std::vector<int16_t> v(samples);
    for (size_t i = 0; i < samples; ++i)
        v[i] = int16_t(first + int(i % 30000));
    return v;
}

} // namespace dsoundtesting

// Making the device, its primary buffer and secondary buffers, and the
// reference counts that keep them alive.
#include "fixture.h"

#include <cstdlib>

using namespace dsoundtesting;

namespace {

DSBUFFERDESC PrimaryDesc()
{
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE_32BIT;
    d.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    return d;
}

} // namespace

TEST(DirectSoundCreate, SucceedsForTheDefaultDeviceThroughTheClockOutputWhenHeadless)
{
    IDirectSound8* a = nullptr;
    IDirectSound8* b = nullptr;
    ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &a, nullptr), DS_OK);
    ASSERT_EQ(DirectSoundCreate8(&GUID_NULL, &b, nullptr), DS_OK);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, a);
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) {
        EXPECT_STREQ(platform::dsoundtest::OutputKind(), "clock");
        EXPECT_EQ(platform::dsoundtest::OutputRate(), 44100);
    }
    EXPECT_EQ(a->Release(), 0u);
    EXPECT_EQ(b->Release(), 0u);
    EXPECT_STREQ(platform::dsoundtest::OutputKind(), ""); // the output closes with the last
}

TEST(DirectSoundCreate, RejectsBadArguments)
{
    EXPECT_EQ(DirectSoundCreate8(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(uintptr_t(1));
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectSoundCreate8(&other, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, reinterpret_cast<IUnknown*>(uintptr_t(8))),
              DSERR_NOAGGREGATION);
    EXPECT_EQ(ds, nullptr);
}

TEST_F(DsoundTest, PrimaryBufferTakesTheProgramsFormatAndPlaysLooping)
{
    DSBUFFERDESC desc = PrimaryDesc();
    IDirectSoundBuffer* primary = nullptr;
    IDirectSoundBuffer* again = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &again, nullptr), DS_OK);
    EXPECT_EQ(again, primary); // one primary buffer per device
    EXPECT_EQ(again->Release(), 1u);
    WAVEFORMATEX format = Pcm16(2, 44100);
    EXPECT_EQ(primary->SetFormat(&format), DS_OK);
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(primary), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary->Stop(), DS_OK);
    EXPECT_EQ(Status(primary), 0u);
    // Neither lockable nor a version-8 buffer.
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(primary->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_INVALIDCALL);
    EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, &p), E_NOINTERFACE);
    EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(DsoundTest, PrimaryFormatNeedsPriorityLevelAndValidPcm)
{
    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->SetCooperativeLevel(FakeWindow(), 5), DSERR_INVALIDPARAM);
    ASSERT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL), DS_OK);
    DSBUFFERDESC desc = PrimaryDesc();
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    WAVEFORMATEX format = Pcm16(2, 44100);
    EXPECT_EQ(primary->SetFormat(&format), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);
    format.nBlockAlign = 2;
    EXPECT_EQ(primary->SetFormat(&format), DSERR_BADFORMAT);
    primary->Release();
    desc.dwBufferBytes = 4096; // a primary buffer has no size of its own
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary, nullptr);
}

TEST_F(DsoundTest, SecondaryBuffersOfTheSoundRatesAndChannelCountsStartSilent)
{
    for (int channels : {1, 2}) {
        for (DWORD rate : {44000u, 44100u, 22050u}) {
            SCOPED_TRACE(::testing::Message() << channels << " ch " << rate << " Hz");
            IDirectSoundBuffer8* buffer = MakeSecond(channels, rate);
            ASSERT_NE(buffer, nullptr);
            EXPECT_EQ(Status(buffer), 0u);
            void* p = nullptr;
            DWORD n = 0;
            ASSERT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
            ASSERT_EQ(n, rate * DWORD(channels) * 2);
            EXPECT_EQ(std::memcmp(p, std::vector<uint8_t>(n, 0).data(), n), 0);
            EXPECT_EQ(buffer->Unlock(p, 0, nullptr, 0), DS_OK);
        }
    }
}

TEST_F(DsoundTest, BadSecondaryDescriptionsAreRejected)
{
    struct Case {
        const char* what;
        void (*spoil)(WAVEFORMATEX&, DSBUFFERDESC&);
        HRESULT expected;
    };
    const Case cases[] = {
        {"8-bit",
         [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.wBitsPerSample = 8;
             f.nBlockAlign = 2;
             f.nAvgBytesPerSec = 88200;
         },
         DSERR_BADFORMAT},
        {"3 channels",
         [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.nChannels = 3;
             f.nBlockAlign = 6;
             f.nAvgBytesPerSec = 264600;
         },
         DSERR_BADFORMAT},
        {"block align", [](WAVEFORMATEX& f, DSBUFFERDESC&) { f.nBlockAlign = 2; }, DSERR_BADFORMAT},
        {"rate",
         [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.nSamplesPerSec = 50;
             f.nAvgBytesPerSec = 200;
         },
         DSERR_BADFORMAT},
        {"no format", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.lpwfxFormat = nullptr; },
         DSERR_INVALIDPARAM},
        {"no bytes", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwBufferBytes = 0; },
         DSERR_INVALIDPARAM},
        {"part frame", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwBufferBytes = 4002; },
         DSERR_INVALIDPARAM},
        {"desc size", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwSize = 20; }, DSERR_INVALIDPARAM},
        {"flag", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwFlags |= 0x10; }, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WAVEFORMATEX format = Pcm16(2, 44100);
        DSBUFFERDESC desc = SecondaryDesc(&format, 176400);
        c.spoil(format, desc);
        IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(uintptr_t(1));
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), c.expected);
        EXPECT_EQ(buffer, nullptr);
    }
}

TEST_F(DsoundTest, ReferenceCountsFollowAddRefReleaseAndQueryInterface)
{
    WAVEFORMATEX format = Pcm16(1, 22050);
    DSBUFFERDESC desc = SecondaryDesc(&format, 44100);
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    EXPECT_EQ(buffer->AddRef(), 2u);
    void* v8 = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundBuffer8, &v8), S_OK);
    EXPECT_EQ(v8, static_cast<void*>(buffer));
    const GUID other = {9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 9}};
    void* none = buffer;
    EXPECT_EQ(buffer->QueryInterface(other, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(static_cast<IDirectSoundBuffer8*>(v8)->Release(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);

    EXPECT_EQ(ds_->AddRef(), 2u);
    void* ds8 = nullptr;
    ASSERT_EQ(ds_->QueryInterface(IID_IDirectSound8, &ds8), S_OK);
    EXPECT_EQ(ds8, static_cast<void*>(ds_));
    EXPECT_EQ(ds_->Release(), 2u);
    EXPECT_EQ(ds_->Release(), 1u);
}

TEST_F(DsoundTest, ReleasedBufferLeavesTheMix)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 16);
    Write(a, 0, std::vector<int16_t>(8, 10));
    Write(b, 0, std::vector<int16_t>(8, 20));
    ASSERT_EQ(a->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(1)[0], 30);
    EXPECT_EQ(b->Release(), 0u);
    buffers_.pop_back();
    EXPECT_EQ(Mix(1)[0], 10);
}

TEST_F(DsoundTest, BufferOutlivesTheDeviceAndTheMixerGoesWithTheLast)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    EXPECT_EQ(ds_->Release(), 0u);
    ds_ = nullptr;
    Write(buffer, 0, std::vector<int16_t>(8, 1000));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2)[0], 1000);

    EXPECT_EQ(buffer->Release(), 0u);
    buffers_.clear();
    int16_t out[4] = {1, 1, 1, 1};
    EXPECT_FALSE(platform::dsoundtest::MixInto(out, 2));
    EXPECT_EQ(out[0], 0);
}

// Making the device, its primary buffer and secondary buffers, and the
// reference counts that keep them alive.
#include "dsound_fixture.h"

#include <cstdlib>
#include <cstring>

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

TEST(DirectSoundCreate, SucceedsWithTheDummyDriverThroughTheClockOutput)
{
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &ds, nullptr), DS_OK);
    ASSERT_NE(ds, nullptr);
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) {
        EXPECT_STREQ(platform::dsoundtest::OutputKind(), "clock");
        EXPECT_EQ(platform::dsoundtest::OutputRate(), 44100);
    }
    EXPECT_GT(platform::dsoundtest::OutputRate(), 0);
    EXPECT_EQ(ds->Release(), 0u);
    EXPECT_STREQ(platform::dsoundtest::OutputKind(), "");
}

TEST(DirectSoundCreate, AcceptsTheDefaultDeviceByNullOrGuidNull)
{
    IDirectSound8* a = nullptr;
    IDirectSound8* b = nullptr;
    EXPECT_EQ(DirectSoundCreate8(nullptr, &a, nullptr), DS_OK);
    EXPECT_EQ(DirectSoundCreate8(&GUID_NULL, &b, nullptr), DS_OK);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    a->Release();
    b->Release();
}

TEST(DirectSoundCreate, RejectsBadArguments)
{
    EXPECT_EQ(DirectSoundCreate8(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(uintptr_t(1));
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectSoundCreate8(&other, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    ds = reinterpret_cast<IDirectSound8*>(uintptr_t(1));
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, reinterpret_cast<IUnknown*>(uintptr_t(8))),
              DSERR_NOAGGREGATION);
    EXPECT_EQ(ds, nullptr);
}

TEST_F(DsoundTest, CooperativeLevelNeedsAWindowAndAKnownLevel)
{
    EXPECT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->SetCooperativeLevel(FakeWindow(), 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->SetCooperativeLevel(FakeWindow(), 5), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL), DS_OK);
}

TEST_F(DsoundTest, PrimaryBufferTakesTheProgramsFormatAndPlaysLooping)
{
    DSBUFFERDESC desc = PrimaryDesc();
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    ASSERT_NE(primary, nullptr);
    WAVEFORMATEX format = Pcm16(2, 44100);
    EXPECT_EQ(primary->SetFormat(&format), DS_OK);
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(primary), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(primary->Stop(), DS_OK);
    EXPECT_EQ(Status(primary), 0u);
    EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(DsoundTest, PrimaryFormatNeedsPriorityLevelAndValidPcm)
{
    ASSERT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL), DS_OK);
    DSBUFFERDESC desc = PrimaryDesc();
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    WAVEFORMATEX format = Pcm16(2, 44100);
    EXPECT_EQ(primary->SetFormat(&format), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(ds_->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);
    format.nBlockAlign = 2;
    EXPECT_EQ(primary->SetFormat(&format), DSERR_BADFORMAT);
    EXPECT_EQ(primary->SetFormat(nullptr), DSERR_INVALIDPARAM);
    primary->Release();
}

TEST_F(DsoundTest, PrimaryBufferIsOneObjectAndCannotBeLockedOrQueriedForVersion8)
{
    DSBUFFERDESC desc = PrimaryDesc();
    IDirectSoundBuffer* a = nullptr;
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &a, nullptr), DS_OK);
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    EXPECT_EQ(a, b);
    void* v8 = reinterpret_cast<void*>(uintptr_t(1));
    EXPECT_EQ(a->QueryInterface(IID_IDirectSoundBuffer8, &v8), E_NOINTERFACE);
    EXPECT_EQ(v8, nullptr);
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(a->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_INVALIDCALL);
    EXPECT_EQ(a->Play(0, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(a->Release(), 1u);
    EXPECT_EQ(b->Release(), 0u);
}

TEST_F(DsoundTest, PrimaryDescriptionWithSizeOrFormatIsRejected)
{
    WAVEFORMATEX format = Pcm16(2, 44100);
    DSBUFFERDESC desc = PrimaryDesc();
    desc.dwBufferBytes = 4096;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    desc = PrimaryDesc();
    desc.lpwfxFormat = &format;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(DsoundTest, SecondaryBuffersOfTheSoundRatesAndChannelCounts)
{
    for (int channels : {1, 2}) {
        for (DWORD rate : {44000u, 44100u, 22050u}) {
            SCOPED_TRACE(::testing::Message() << channels << " ch " << rate << " Hz");
            IDirectSoundBuffer8* buffer = MakeSecond(channels, rate);
            ASSERT_NE(buffer, nullptr);
            EXPECT_EQ(PlayCursor(buffer), 0u);
            EXPECT_EQ(Status(buffer), 0u);
            void *p1 = nullptr, *p2 = nullptr;
            DWORD n1 = 0, n2 = 0;
            ASSERT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
            EXPECT_EQ(n1, rate * DWORD(channels) * 2);
            EXPECT_EQ(n2, 0u);
            // A new buffer is silent.
            std::vector<uint8_t> zeros(n1, 0);
            EXPECT_EQ(std::memcmp(p1, zeros.data(), n1), 0);
            EXPECT_EQ(buffer->Unlock(p1, 0, p2, 0), DS_OK);
        }
    }
}

TEST_F(DsoundTest, FullSizeDescriptionIsAcceptedToo)
{
    WAVEFORMATEX format = Pcm16(2, 44100);
    DSBUFFERDESC desc = SecondaryDesc(&format, 4000);
    desc.dwSize = sizeof(DSBUFFERDESC);
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    buffer->Release();
}

TEST_F(DsoundTest, BadSecondaryDescriptionsAreRejected)
{
    struct Case {
        const char* what;
        void (*spoil)(WAVEFORMATEX&, DSBUFFERDESC&);
        HRESULT expected;
    };
    const Case cases[] = {
        {"8-bit samples", [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.wBitsPerSample = 8; f.nBlockAlign = 2; f.nAvgBytesPerSec = 88200; },
         DSERR_BADFORMAT},
        {"three channels", [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.nChannels = 3; f.nBlockAlign = 6; f.nAvgBytesPerSec = 44100 * 6; },
         DSERR_BADFORMAT},
        {"not PCM", [](WAVEFORMATEX& f, DSBUFFERDESC&) { f.wFormatTag = 3; }, DSERR_BADFORMAT},
        {"block align", [](WAVEFORMATEX& f, DSBUFFERDESC&) { f.nBlockAlign = 2; }, DSERR_BADFORMAT},
        {"byte rate", [](WAVEFORMATEX& f, DSBUFFERDESC&) { f.nAvgBytesPerSec = 1; }, DSERR_BADFORMAT},
        {"rate too low", [](WAVEFORMATEX& f, DSBUFFERDESC&) {
             f.nSamplesPerSec = 50; f.nAvgBytesPerSec = 200; },
         DSERR_BADFORMAT},
        {"no format", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.lpwfxFormat = nullptr; },
         DSERR_INVALIDPARAM},
        {"zero bytes", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwBufferBytes = 0; },
         DSERR_INVALIDPARAM},
        {"part of a frame", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwBufferBytes = 4002; },
         DSERR_INVALIDPARAM},
        {"description size", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwSize = 20; },
         DSERR_INVALIDPARAM},
        {"unknown flag", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.dwFlags |= 0x10; },
         DSERR_INVALIDPARAM},
        {"3D algorithm", [](WAVEFORMATEX&, DSBUFFERDESC& d) { d.guid3DAlgorithm.Data1 = 7; },
         DSERR_INVALIDPARAM},
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
    WAVEFORMATEX format = Pcm16(2, 44100);
    DSBUFFERDESC desc = SecondaryDesc(&format, 176400);
    EXPECT_EQ(ds_->CreateSoundBuffer(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, reinterpret_cast<IUnknown*>(uintptr_t(8))),
              DSERR_NOAGGREGATION);
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
    void* unknown = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IUnknown, &unknown), S_OK);
    const GUID other = {9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 9}};
    void* none = reinterpret_cast<void*>(uintptr_t(1));
    EXPECT_EQ(buffer->QueryInterface(other, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(buffer->QueryInterface(IID_IDirectSoundBuffer8, nullptr), E_POINTER);
    EXPECT_EQ(buffer->Release(), 3u);
    EXPECT_EQ(static_cast<IDirectSoundBuffer8*>(v8)->Release(), 2u);
    EXPECT_EQ(static_cast<IDirectSoundBuffer*>(unknown)->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);

    EXPECT_EQ(ds_->AddRef(), 2u);
    void* ds8 = nullptr;
    ASSERT_EQ(ds_->QueryInterface(IID_IDirectSound8, &ds8), S_OK);
    EXPECT_EQ(ds8, static_cast<void*>(ds_));
    EXPECT_EQ(ds_->Release(), 2u);
    EXPECT_EQ(ds_->Release(), 1u);
}

TEST_F(DsoundTest, BufferOutlivesTheDeviceAndTheMixerGoesWithTheLast)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, 44100);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(ds_->Release(), 0u);
    ds_ = nullptr;
    Write(buffer, 0, std::vector<int16_t>(8, 1000));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(2);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(PlayCursor(buffer), 8u);

    EXPECT_EQ(buffer->Release(), 0u);
    buffers_.clear();
    int16_t silence[4] = {1, 1, 1, 1};
    EXPECT_FALSE(platform::dsoundtest::MixInto(silence, 2));
    EXPECT_EQ(silence[0], 0);
    EXPECT_EQ(platform::dsoundtest::OutputRate(), 0);
}

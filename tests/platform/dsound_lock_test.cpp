// Locking regions of a secondary buffer, writing them back with Unlock, and
// the lost-buffer road of lock, restore, lock again.
#include "dsound_fixture.h"

using namespace dsoundtesting;

namespace {

struct Locked {
    HRESULT result;
    void* p1;
    DWORD n1;
    void* p2;
    DWORD n2;
};

Locked LockRegion(IDirectSoundBuffer* buffer, DWORD offset, DWORD bytes, DWORD flags = 0)
{
    Locked l{E_FAIL, nullptr, 0, nullptr, 0};
    l.result = buffer->Lock(offset, bytes, &l.p1, &l.n1, &l.p2, &l.n2, flags);
    return l;
}

std::vector<int16_t> ReadBack(IDirectSoundBuffer* buffer, DWORD offset, DWORD bytes)
{
    Locked l = LockRegion(buffer, offset, bytes);
    EXPECT_EQ(l.result, DS_OK);
    std::vector<int16_t> v((l.n1 + l.n2) / 2);
    std::memcpy(v.data(), l.p1, l.n1);
    if (l.n2) std::memcpy(reinterpret_cast<char*>(v.data()) + l.n1, l.p2, l.n2);
    EXPECT_EQ(buffer->Unlock(l.p1, 0, l.p2, 0), DS_OK);
    return v;
}

} // namespace

TEST_F(DsoundTest, RegionPastTheEndComesBackInTwoParts)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    Locked l = LockRegion(buffer, 3000, 2000);
    ASSERT_EQ(l.result, DS_OK);
    EXPECT_EQ(l.n1, 1000u);
    EXPECT_EQ(l.n2, 1000u);
    ASSERT_NE(l.p1, nullptr);
    ASSERT_NE(l.p2, nullptr);
    std::vector<int16_t> data = Ramp(1000);
    std::memcpy(l.p1, data.data(), 1000);
    std::memcpy(l.p2, data.data() + 500, 1000);
    ASSERT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DS_OK);

    // Part one landed at the end, part two at the start.
    std::vector<int16_t> end = ReadBack(buffer, 3000, 1000);
    std::vector<int16_t> start = ReadBack(buffer, 0, 1000);
    EXPECT_EQ(end, std::vector<int16_t>(data.begin(), data.begin() + 500));
    EXPECT_EQ(start, std::vector<int16_t>(data.begin() + 500, data.end()));
}

TEST_F(DsoundTest, RegionInsideTheBufferHasNoSecondPart)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    Locked l = LockRegion(buffer, 2000, 2000);
    ASSERT_EQ(l.result, DS_OK);
    EXPECT_EQ(l.n1, 2000u);
    EXPECT_EQ(l.n2, 0u);
    EXPECT_EQ(l.p2, nullptr);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, nullptr, 0), DS_OK);
}

TEST_F(DsoundTest, WithoutASecondPointerTheRegionStopsAtTheEnd)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    void* p1 = nullptr;
    DWORD n1 = 0;
    ASSERT_EQ(buffer->Lock(3000, 2000, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
}

TEST_F(DsoundTest, LockHandsOutTheBuffersCurrentContents)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, 22050, 2000);
    std::vector<int16_t> data = Ramp(1000, 100);
    Write(buffer, 0, data);
    EXPECT_EQ(ReadBack(buffer, 0, 2000), data);
    // Unlocking less than was locked keeps the rest as it was.
    Locked l = LockRegion(buffer, 0, 2000);
    ASSERT_EQ(l.result, DS_OK);
    std::memset(l.p1, 0, 2000);
    ASSERT_EQ(buffer->Unlock(l.p1, 4, nullptr, 0), DS_OK);
    std::vector<int16_t> after = ReadBack(buffer, 0, 2000);
    EXPECT_EQ(after[0], 0);
    EXPECT_EQ(after[1], 0);
    EXPECT_EQ(after[2], data[2]);
    EXPECT_EQ(after[999], data[999]);
}

TEST_F(DsoundTest, EntireBufferAndWriteCursorFlags)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    Locked all = LockRegion(buffer, 0, 0, DSBLOCK_ENTIREBUFFER);
    ASSERT_EQ(all.result, DS_OK);
    EXPECT_EQ(all.n1, 4000u);
    EXPECT_EQ(all.n2, 0u);
    ASSERT_EQ(buffer->Unlock(all.p1, 0, nullptr, 0), DS_OK);
    // The size is ignored, the offset is not: the whole buffer from there on.
    Locked wrapped = LockRegion(buffer, 1000, 4, DSBLOCK_ENTIREBUFFER);
    ASSERT_EQ(wrapped.result, DS_OK);
    EXPECT_EQ(wrapped.n1, 3000u);
    EXPECT_EQ(wrapped.n2, 1000u);
    ASSERT_EQ(buffer->Unlock(wrapped.p1, 0, wrapped.p2, 0), DS_OK);

    // Stopped, the write cursor is the play cursor.
    ASSERT_EQ(buffer->SetCurrentPosition(3600), DS_OK);
    Locked fromWrite = LockRegion(buffer, 0, 800, DSBLOCK_FROMWRITECURSOR);
    ASSERT_EQ(fromWrite.result, DS_OK);
    EXPECT_EQ(fromWrite.n1, 400u);
    EXPECT_EQ(fromWrite.n2, 400u);
    ASSERT_EQ(buffer->Unlock(fromWrite.p1, 0, fromWrite.p2, 0), DS_OK);
}

TEST_F(DsoundTest, LockRejectsRegionsOutsideTheBuffer)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    EXPECT_EQ(LockRegion(buffer, 4000, 4).result, DSERR_INVALIDPARAM);
    EXPECT_EQ(LockRegion(buffer, 0, 4004).result, DSERR_INVALIDPARAM);
    EXPECT_EQ(LockRegion(buffer, 0, 0).result, DSERR_INVALIDPARAM);
    EXPECT_EQ(LockRegion(buffer, 0, 4, 0x80).result, DSERR_INVALIDPARAM);
    void* p1 = nullptr;
    EXPECT_EQ(buffer->Lock(0, 4, &p1, nullptr, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DsoundTest, UnlockTakesOnlyWhatWasLocked)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    Locked l = LockRegion(buffer, 3000, 2000);
    ASSERT_EQ(l.result, DS_OK);
    int16_t elsewhere[4] = {};
    EXPECT_EQ(buffer->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1 + 4, l.p2, l.n2), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2 + 4), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, elsewhere, l.n2), DSERR_INVALIDPARAM);
    // A refused unlock leaves the lock in place.
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DS_OK);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DSERR_INVALIDPARAM);
}

TEST_F(DsoundTest, TwoHalvesLockedAtOnceUnlockIndependently)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, 22050, 2000);
    Locked first = LockRegion(buffer, 0, 1000);
    Locked second = LockRegion(buffer, 1000, 1000);
    ASSERT_EQ(first.result, DS_OK);
    ASSERT_EQ(second.result, DS_OK);
    std::memset(first.p1, 0x11, 1000);
    std::memset(second.p1, 0x22, 1000);
    ASSERT_EQ(buffer->Unlock(second.p1, 1000, nullptr, 0), DS_OK);
    ASSERT_EQ(buffer->Unlock(first.p1, 1000, nullptr, 0), DS_OK);
    std::vector<int16_t> all = ReadBack(buffer, 0, 2000);
    EXPECT_EQ(all[0], 0x1111);
    EXPECT_EQ(all[499], 0x1111);
    EXPECT_EQ(all[500], 0x2222);
    EXPECT_EQ(all[999], 0x2222);
}

TEST_F(DsoundTest, WrittenSamplesAreHeardOnlyAfterUnlock)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 400);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Locked l = LockRegion(buffer, 0, 400);
    ASSERT_EQ(l.result, DS_OK);
    std::vector<int16_t> data = Ramp(200);
    std::memcpy(l.p1, data.data(), 400);
    EXPECT_EQ(Mix(100), std::vector<int16_t>(200, 0));
    ASSERT_EQ(buffer->Unlock(l.p1, 400, nullptr, 0), DS_OK);
    EXPECT_EQ(Mix(100), data);
}

TEST_F(DsoundTest, LostBufferRefusesLockAndPlayUntilRestored)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 4000);
    Write(buffer, 0, std::vector<int16_t>(2000, 500));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(10);
    platform::dsoundtest::LoseBuffer(buffer);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING | DSBSTATUS_BUFFERLOST);
    // It plays on in silence, so its cursor keeps moving.
    EXPECT_EQ(Mix(10), std::vector<int16_t>(20, 0));
    EXPECT_EQ(PlayCursor(buffer), 80u);

    Locked l = LockRegion(buffer, 0, 2000);
    EXPECT_EQ(l.result, DSERR_BUFFERLOST);
    EXPECT_EQ(l.p1, nullptr);
    EXPECT_EQ(l.n1, 0u);
    EXPECT_EQ(LockRegion(buffer, 0, 2000).result, DSERR_BUFFERLOST);
    EXPECT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);

    EXPECT_EQ(buffer->Restore(), DS_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(Mix(1), std::vector<int16_t>(2, 500));
    l = LockRegion(buffer, 0, 2000);
    EXPECT_EQ(l.result, DS_OK);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DS_OK);
    EXPECT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
}

TEST_F(DsoundTest, RestoreAndLockOnceMoreSucceeds)
{
    // The streams' road: a lost lock is followed by Restore and one more Lock.
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    platform::dsoundtest::LoseBuffer(buffer);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    HRESULT hr = buffer->Lock(0, 2000, &p1, &n1, &p2, &n2, 0);
    ASSERT_EQ(hr, DSERR_BUFFERLOST);
    buffer->Restore();
    hr = buffer->Lock(0, 2000, &p1, &n1, &p2, &n2, 0);
    ASSERT_EQ(hr, DS_OK);
    EXPECT_EQ(n1, 2000u);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
}

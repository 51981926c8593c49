// Locking regions of a secondary buffer, writing them back with Unlock, and
// the lost-buffer road of lock, restore, lock again.
#include "fixture.h"

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
    if (l.n2)
        std::memcpy(reinterpret_cast<char*>(v.data()) + l.n1, l.p2, l.n2);
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
    ASSERT_EQ(l.n2, 1000u);
    std::vector<int16_t> data = Ramp(1000);
    std::memcpy(l.p1, data.data(), 1000);
    std::memcpy(l.p2, data.data() + 500, 1000);
    ASSERT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DS_OK);
    // Part one landed at the end, part two at the start.
    EXPECT_EQ(ReadBack(buffer, 3000, 1000), std::vector<int16_t>(data.begin(), data.begin() + 500));
    EXPECT_EQ(ReadBack(buffer, 0, 1000), std::vector<int16_t>(data.begin() + 500, data.end()));

    // Inside the buffer there is no second part; without a pointer for one
    // the region stops at the end.
    l = LockRegion(buffer, 2000, 2000);
    EXPECT_EQ(l.n2, 0u);
    EXPECT_EQ(l.p2, nullptr);
    ASSERT_EQ(buffer->Unlock(l.p1, l.n1, nullptr, 0), DS_OK);
    void* p1 = nullptr;
    DWORD n1 = 0;
    ASSERT_EQ(buffer->Lock(3000, 2000, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
}

TEST_F(DsoundTest, EntireBufferAndWriteCursorFlagsAndRegionsOutside)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    // The size is ignored, the offset is not.
    Locked all = LockRegion(buffer, 1000, 4, DSBLOCK_ENTIREBUFFER);
    ASSERT_EQ(all.result, DS_OK);
    EXPECT_EQ(all.n1, 3000u);
    EXPECT_EQ(all.n2, 1000u);
    ASSERT_EQ(buffer->Unlock(all.p1, 0, all.p2, 0), DS_OK);
    // Stopped, the write cursor is the play cursor.
    ASSERT_EQ(buffer->SetCurrentPosition(3600), DS_OK);
    Locked fromWrite = LockRegion(buffer, 0, 800, DSBLOCK_FROMWRITECURSOR);
    ASSERT_EQ(fromWrite.result, DS_OK);
    EXPECT_EQ(fromWrite.n1, 400u);
    EXPECT_EQ(fromWrite.n2, 400u);
    ASSERT_EQ(buffer->Unlock(fromWrite.p1, 0, fromWrite.p2, 0), DS_OK);
    // Regions outside the buffer.
    EXPECT_EQ(LockRegion(buffer, 4000, 4).result, DSERR_INVALIDPARAM);
    EXPECT_EQ(LockRegion(buffer, 0, 4004).result, DSERR_INVALIDPARAM);
    EXPECT_EQ(LockRegion(buffer, 0, 0).result, DSERR_INVALIDPARAM);
}

TEST_F(DsoundTest, UnlockWritesBackOnlyWhatWasLockedAndWritten)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    std::vector<int16_t> data = Ramp(2000, 100);
    Write(buffer, 0, data);
    Locked l = LockRegion(buffer, 3000, 2000);
    ASSERT_EQ(l.result, DS_OK);
    // The lock holds the buffer's contents.
    EXPECT_EQ(static_cast<int16_t*>(l.p1)[0], data[1500]);
    int16_t elsewhere[4] = {};
    EXPECT_EQ(buffer->Unlock(elsewhere, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1 + 4, l.p2, l.n2), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2 + 4), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, elsewhere, l.n2), DSERR_INVALIDPARAM);
    // A refused unlock leaves the lock in place. Four bytes of part two are
    // written back, the rest keeps what it held.
    std::memset(l.p1, 0, l.n1);
    std::memset(l.p2, 0, l.n2);
    EXPECT_EQ(buffer->Unlock(l.p1, 0, l.p2, 4), DS_OK);
    EXPECT_EQ(buffer->Unlock(l.p1, 0, l.p2, 4), DSERR_INVALIDPARAM);
    std::vector<int16_t> after = ReadBack(buffer, 0, 4000);
    EXPECT_EQ(after[0], 0);
    EXPECT_EQ(after[1], 0);
    after[0] = data[0];
    after[1] = data[1];
    EXPECT_EQ(after, data);
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
    for (int attempt = 0; attempt < 2; ++attempt) {
        Locked l = LockRegion(buffer, 0, 2000);
        EXPECT_EQ(l.result, DSERR_BUFFERLOST);
        EXPECT_EQ(l.p1, nullptr);
        EXPECT_EQ(l.n1, 0u);
    }
    EXPECT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);

    EXPECT_EQ(buffer->Restore(), DS_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(Mix(1), std::vector<int16_t>(2, 500));
    Locked l = LockRegion(buffer, 0, 2000);
    ASSERT_EQ(l.result, DS_OK);
    EXPECT_EQ(buffer->Unlock(l.p1, l.n1, l.p2, l.n2), DS_OK);
    EXPECT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
}

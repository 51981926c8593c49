// The play cursor: it moves by exactly what the mixer consumed, wraps while
// looping, stops at the end otherwise, and stays put while stopped.
#include "fixture.h"

using namespace dsoundtesting;

TEST_F(DsoundTest, CursorAdvancesByExactlyTheConsumedBytes)
{
    IDirectSoundBuffer8* stereo = MakeSecond(2, rate_);
    IDirectSoundBuffer8* mono = MakeSecond(1, rate_);
    IDirectSoundBuffer8* half = MakeSecond(1, rate_ / 2);
    for (auto* b : {stereo, mono, half})
        ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(1000);
    EXPECT_EQ(PlayCursor(stereo), 4000u);
    EXPECT_EQ(PlayCursor(mono), 2000u);
    EXPECT_EQ(PlayCursor(half), 1000u);
    Mix(1);
    EXPECT_EQ(PlayCursor(stereo), 4004u);
    EXPECT_EQ(PlayCursor(half), 1000u); // half a frame on: not the next frame yet
    Mix(1);
    EXPECT_EQ(PlayCursor(half), 1002u);
}

TEST_F(DsoundTest, LoopingCursorWrapsAndDoesNotDriftAtAnotherRate)
{
    IDirectSoundBuffer8* same = MakeSecond(2, rate_);
    IDirectSoundBuffer8* other = MakeSecond(1, 44000);
    ASSERT_EQ(same->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(other->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(rate_ - 1);
    EXPECT_EQ(PlayCursor(same), (rate_ - 1) * 4);
    Mix(1);
    EXPECT_EQ(PlayCursor(same), 0u);
    // After ten whole seconds the 44,000 Hz loop is back exactly at its start.
    for (int second = 1; second < 10; ++second)
        Mix(rate_);
    EXPECT_EQ(PlayCursor(other), 0u);
    Mix(rate_ / 4);
    EXPECT_EQ(PlayCursor(other), 44000u / 4 * 2);
    EXPECT_EQ(Status(other), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(DsoundTest, NonLoopingBufferStopsAtItsEndAndReplaysWhole)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 400); // 100 frames
    std::vector<int16_t> data = Ramp(200);
    Write(buffer, 0, data);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING);
    std::vector<int16_t> out = Mix(150);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 200), data);
    EXPECT_EQ(std::vector<int16_t>(out.begin() + 200, out.end()), std::vector<int16_t>(100, 0));
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(PlayCursor(buffer), 0u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Mix(100), data);
}

TEST_F(DsoundTest, StopHoldsTheCursorAndPlayResumesThere)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 4000);
    std::vector<int16_t> data = Ramp(2000);
    Write(buffer, 0, data);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(300);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(Mix(50), std::vector<int16_t>(100, 0));
    EXPECT_EQ(PlayCursor(buffer), 1200u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2), std::vector<int16_t>(data.begin() + 600, data.begin() + 604));
    // Play while playing changes only the looping: now it ends at the end.
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(PlayCursor(buffer), 1208u);
    Mix(698);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(buffer->Play(1, 0, 0), DSERR_INVALIDPARAM);
}

TEST_F(DsoundTest, SetCurrentPositionMovesThePlayCursor)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 4000);
    std::vector<int16_t> data = Ramp(2000);
    Write(buffer, 0, data);
    ASSERT_EQ(buffer->SetCurrentPosition(2000), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(1), std::vector<int16_t>(data.begin() + 1000, data.begin() + 1002));
    ASSERT_EQ(buffer->SetCurrentPosition(2003), DS_OK); // inside a frame: its start
    EXPECT_EQ(PlayCursor(buffer), 2000u);
    ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK); // while playing
    EXPECT_EQ(Mix(1), std::vector<int16_t>(data.begin(), data.begin() + 2));
    EXPECT_EQ(buffer->SetCurrentPosition(4000), DSERR_INVALIDPARAM);
    EXPECT_EQ(PlayCursor(buffer), 4u);
}

TEST_F(DsoundTest, WriteCursorRunsAheadOfThePlayCursorWhilePlaying)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    const DWORD bytes = rate_ * 4;
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(rate_ - 10);
    DWORD play = 1, write = 1;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, bytes - 40);
    EXPECT_EQ(write % 4, 0u);
    EXPECT_LT(write, bytes);
    // Ahead by less than a tenth of a second, round past the end.
    const DWORD ahead = (write + bytes - play) % bytes;
    EXPECT_GT(ahead, 0u);
    EXPECT_LT(ahead, bytes / 10);
}

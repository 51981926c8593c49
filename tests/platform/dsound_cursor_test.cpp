// The play cursor: it moves by exactly what the mixer consumed, wraps while
// looping, stops at the end otherwise, and stays put while stopped.
#include "dsound_fixture.h"

using namespace dsoundtesting;

TEST_F(DsoundTest, CursorAdvancesByExactlyTheConsumedBytes)
{
    IDirectSoundBuffer8* stereo = MakeSecond(2, rate_);
    IDirectSoundBuffer8* mono = MakeSecond(1, rate_);
    ASSERT_EQ(stereo->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(mono->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(1000);
    EXPECT_EQ(PlayCursor(stereo), 4000u);
    EXPECT_EQ(PlayCursor(mono), 2000u);
    Mix(1);
    EXPECT_EQ(PlayCursor(stereo), 4004u);
    EXPECT_EQ(PlayCursor(mono), 2002u);
}

TEST_F(DsoundTest, CursorOfAHalfRateBufferMovesAtHalfTheSpeed)
{
    IDirectSoundBuffer8* buffer = MakeSecond(1, rate_ / 2);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(1000);
    EXPECT_EQ(PlayCursor(buffer), 1000u); // 500 frames of 2 bytes
    Mix(1);
    EXPECT_EQ(PlayCursor(buffer), 1000u); // half a frame on: not yet the next one
    Mix(1);
    EXPECT_EQ(PlayCursor(buffer), 1002u);
}

TEST_F(DsoundTest, LoopingCursorWrapsAroundTheBuffer)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(rate_ - 1);
    EXPECT_EQ(PlayCursor(buffer), (rate_ - 1) * 4);
    Mix(1);
    EXPECT_EQ(PlayCursor(buffer), 0u);
    Mix(rate_ / 2);
    EXPECT_EQ(PlayCursor(buffer), rate_ / 2 * 4);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(DsoundTest, LongLoopAtAnotherRateDoesNotDrift)
{
    // 44,000 frames a second against the output's rate: after ten whole
    // seconds of output the cursor is back exactly where it began.
    IDirectSoundBuffer8* buffer = MakeSecond(1, 44000);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    for (int second = 0; second < 10; ++second) Mix(rate_);
    EXPECT_EQ(PlayCursor(buffer), 0u);
    Mix(rate_ / 4);
    EXPECT_EQ(PlayCursor(buffer), 11000u * 2);
}

TEST_F(DsoundTest, NonLoopingBufferStopsAtItsEnd)
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
    // It stands at the start again, so the next Play plays it whole.
    EXPECT_EQ(PlayCursor(buffer), 0u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    out = Mix(100);
    EXPECT_EQ(out, data);
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
    EXPECT_EQ(PlayCursor(buffer), 1200u);
    EXPECT_EQ(Mix(50), std::vector<int16_t>(100, 0));
    EXPECT_EQ(PlayCursor(buffer), 1200u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(2);
    EXPECT_EQ(out, std::vector<int16_t>(data.begin() + 600, data.begin() + 604));
    EXPECT_EQ(buffer->Stop(), DS_OK); // stopping twice is harmless
    EXPECT_EQ(buffer->Stop(), DS_OK);
}

TEST_F(DsoundTest, PlayWhilePlayingChangesOnlyTheLooping)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 400);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(60);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(PlayCursor(buffer), 240u);
    Mix(40);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(buffer->Play(1, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Play(0, 0, 0x8), DSERR_INVALIDPARAM);
}

TEST_F(DsoundTest, SetCurrentPositionMovesThePlayCursor)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(2, rate_, 4000);
    std::vector<int16_t> data = Ramp(2000);
    Write(buffer, 0, data);
    ASSERT_EQ(buffer->SetCurrentPosition(2000), DS_OK);
    EXPECT_EQ(PlayCursor(buffer), 2000u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(1), std::vector<int16_t>(data.begin() + 1000, data.begin() + 1002));
    // Inside a frame: down to the frame's start.
    ASSERT_EQ(buffer->SetCurrentPosition(2003), DS_OK);
    EXPECT_EQ(PlayCursor(buffer), 2000u);
    // Back to 0 while playing, as the streams rewind before the first fill.
    ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK);
    EXPECT_EQ(Mix(1), std::vector<int16_t>(data.begin(), data.begin() + 2));
    EXPECT_EQ(buffer->SetCurrentPosition(4000), DSERR_INVALIDPARAM);
    EXPECT_EQ(PlayCursor(buffer), 4u);
}

TEST_F(DsoundTest, WriteCursorRunsAheadOfThePlayCursorWhilePlaying)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    DWORD play = 1, write = 1;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Mix(rate_ - 10);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, (rate_ - 10) * 4);
    EXPECT_EQ(write % 4, 0u);
    EXPECT_LT(write, rate_ * 4);
    // Ahead by less than a tenth of a second, past the end and round.
    const DWORD ahead = (write + rate_ * 4 - play) % (rate_ * 4);
    EXPECT_GT(ahead, 0u);
    EXPECT_LT(ahead, rate_ * 4 / 10);
    // Either cursor may be asked for alone.
    EXPECT_EQ(buffer->GetCurrentPosition(nullptr, &write), DS_OK);
    EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
}

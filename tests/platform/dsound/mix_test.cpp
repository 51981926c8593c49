// What the mixer puts out: the saturated sum of every playing buffer, mono
// on both channels, each buffer resampled to the output's rate.
#include "fixture.h"

using namespace dsoundtesting;

TEST_F(DsoundTest, MixIsTheSumOfThePlayingBuffers)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 400);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 400);
    IDirectSoundBuffer8* c = MakeBuffer(2, rate_, 400);
    std::vector<int16_t> da(200), db(200);
    for (int i = 0; i < 200; ++i) {
        da[i] = int16_t(i * 37 - 3000);
        db[i] = int16_t(5000 - i * 11);
    }
    Write(a, 0, da);
    Write(b, 0, db);
    Write(c, 0, std::vector<int16_t>(200, 7777)); // not playing: adds nothing
    ASSERT_EQ(a->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(100);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(out[i], da[i] + db[i]) << "sample " << i;
}

TEST_F(DsoundTest, SumSaturatesAtTheSixteenBitLimits)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* c = MakeBuffer(2, rate_, 16);
    Write(a, 0, {30000, -30000, 32767, -32768, 20000, -100, 0, 1});
    Write(b, 0, {30000, -30000, 32767, -32768, 12767, 100, 0, -1});
    Write(c, 0, {30000, -30000, 32767, -32768, 1, 0, 0, 0});
    for (auto* x : {a, b, c})
        ASSERT_EQ(x->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(4), (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, 0, 0, 0}));
}

TEST_F(DsoundTest, MonoGoesToBothChannelsAndStereoKeepsItsSides)
{
    IDirectSoundBuffer8* mono = MakeBuffer(1, rate_, 8);
    IDirectSoundBuffer8* stereo = MakeBuffer(2, rate_, 16);
    Write(mono, 0, {100, 200, 300, 400});
    Write(stereo, 0, {1, -1, 2, -2, 3, -3, 4, -4});
    ASSERT_EQ(mono->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2), (std::vector<int16_t>{100, 100, 200, 200}));
    ASSERT_EQ(stereo->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(2), (std::vector<int16_t>{301, 299, 402, 398}));
}

TEST_F(DsoundTest, HalfRateBufferIsInterpolatedBetweenItsFramesAndRoundTheLoop)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, rate_ / 2, 8);
    Write(buffer, 0, {0, 1000, -1000, 3000});
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(8);
    // The last output frame lies between the buffer's last frame and its first.
    const int expected[8] = {0, 500, 1000, 0, -1000, 1000, 3000, 1500};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(out[2 * i], expected[i], 1) << "frame " << i;
        EXPECT_EQ(out[2 * i + 1], out[2 * i]);
    }
}

TEST_F(DsoundTest, OneSecondBufferLastsOneSecondOfOutputAtAnyRate)
{
    for (DWORD rate : {22050u, 44000u, 44100u, 48000u, 11025u}) {
        SCOPED_TRACE(::testing::Message() << rate << " Hz");
        IDirectSoundBuffer8* buffer = MakeSecond(2, rate);
        Write(buffer, 0, std::vector<int16_t>(2 * rate, 1000));
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        EXPECT_EQ(Mix(rate_ - 1).back(), 1000);
        EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING);
        EXPECT_EQ(Mix(1)[0], 1000);
        EXPECT_EQ(Status(buffer), 0u);
        EXPECT_EQ(Mix(1)[0], 0);
    }
}

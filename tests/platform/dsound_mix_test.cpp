// What the mixer puts out: the saturated sum of every playing buffer, mono
// on both channels, each buffer resampled to the output's rate.
#include "dsound_fixture.h"

#include <cmath>

using namespace dsoundtesting;

namespace {

const double kPi = 3.14159265358979323846;

std::vector<int16_t> Constant(size_t samples, int16_t value)
{
    return std::vector<int16_t>(samples, value);
}

} // namespace

TEST_F(DsoundTest, NothingPlayingMixesSilence)
{
    MakeSecond(2, rate_);
    EXPECT_EQ(Mix(64), Constant(128, 0));
}

TEST_F(DsoundTest, MixIsTheSumOfThePlayingBuffers)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 400);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 400);
    IDirectSoundBuffer8* c = MakeBuffer(2, rate_, 400);
    std::vector<int16_t> da(200), db(200), dc(200, 7777);
    for (int i = 0; i < 200; ++i) {
        da[i] = int16_t(i * 37 - 3000);
        db[i] = int16_t(5000 - i * 11);
    }
    Write(a, 0, da);
    Write(b, 0, db);
    Write(c, 0, dc);
    ASSERT_EQ(a->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    // c is not playing and adds nothing.
    std::vector<int16_t> out = Mix(100);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(out[i], da[i] + db[i]) << "sample " << i;
}

TEST_F(DsoundTest, SumSaturatesAtTheSixteenBitLimits)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* c = MakeBuffer(2, rate_, 16);
    Write(a, 0, {30000, -30000, 32767, -32768, 20000, -100, 0, 1});
    Write(b, 0, {30000, -30000, 32767, -32768, 12767, 100, 0, -1});
    Write(c, 0, {30000, -30000, 32767, -32768, 1, 0, 0, 0});
    for (auto* x : {a, b, c}) ASSERT_EQ(x->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(4);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, 0, 0, 0}));
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

TEST_F(DsoundTest, HalfRateBufferIsInterpolatedBetweenItsFrames)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, rate_ / 2, 8);
    Write(buffer, 0, {0, 1000, -1000, 3000});
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(8);
    const int expected[8] = {0, 500, 1000, 0, -1000, 1000, 3000, 1500};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(out[2 * i], expected[i], 1) << "frame " << i;
        EXPECT_EQ(out[2 * i + 1], out[2 * i]);
    }
}

TEST_F(DsoundTest, OneSecondBufferLastsOneSecondAtAnyRate)
{
    for (DWORD rate : {22050u, 44000u, 44100u, 48000u, 11025u}) {
        SCOPED_TRACE(::testing::Message() << rate << " Hz");
        IDirectSoundBuffer8* buffer = MakeSecond(2, rate);
        Write(buffer, 0, Constant(2 * rate, 1000));
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        std::vector<int16_t> out = Mix(rate_ - 1);
        EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING);
        EXPECT_EQ(out.back(), 1000);
        out = Mix(1);
        EXPECT_EQ(out[0], 1000);
        EXPECT_EQ(Status(buffer), 0u);
        EXPECT_EQ(Mix(1)[0], 0);
    }
}

TEST_F(DsoundTest, ResampledSineKeepsItsFrequency)
{
    // 441 Hz sampled at 22,050 Hz: 50 frames a period in, rate_/441 out.
    const DWORD rate = 22050;
    IDirectSoundBuffer8* buffer = MakeSecond(1, rate);
    std::vector<int16_t> sine(rate);
    for (DWORD i = 0; i < rate; ++i)
        sine[i] = int16_t(std::lround(10000.0 * std::sin(2 * kPi * 441.0 * i / rate)));
    Write(buffer, 0, sine);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(rate_);
    int upward = 0;
    for (size_t i = 1; i < rate_; ++i)
        if (out[2 * (i - 1)] < 0 && out[2 * i] >= 0) ++upward;
    EXPECT_NEAR(upward, 441, 1);
    for (size_t i = 0; i < rate_; i += 97) {
        const double want = 10000.0 * std::sin(2 * kPi * 441.0 * double(i) / rate_);
        EXPECT_NEAR(out[2 * i], want, 120) << "frame " << i;
    }
}

TEST_F(DsoundTest, EndOfALoopBlendsTowardsItsStart)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, rate_ / 2, 4);
    Write(buffer, 0, {2000, 4000});
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<int16_t> out = Mix(4);
    EXPECT_NEAR(out[2], 3000, 1);
    EXPECT_NEAR(out[6], 3000, 1); // between the last frame and the first
}

TEST_F(DsoundTest, ReleasedBufferLeavesTheMix)
{
    IDirectSoundBuffer8* a = MakeBuffer(2, rate_, 16);
    IDirectSoundBuffer8* b = MakeBuffer(2, rate_, 16);
    Write(a, 0, Constant(8, 10));
    Write(b, 0, Constant(8, 20));
    ASSERT_EQ(a->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mix(1)[0], 30);
    EXPECT_EQ(b->Release(), 0u);
    buffers_.pop_back();
    EXPECT_EQ(Mix(1)[0], 10);
}

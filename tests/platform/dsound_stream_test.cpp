// The sound streams' way of playing: a one-second looping buffer refilled
// half by half as the play cursor leaves each half, polled every 20 ms.
// Mixed by hand, the output must be the source, unbroken.
#include "dsound_fixture.h"

using namespace dsoundtesting;

namespace {

// A source of distinct samples: sample i is (i * 7919) mod 60001 - 30000.
int16_t SourceSample(size_t i)
{
    return int16_t(int((i * 7919) % 60001) - 30000);
}

class HalfStreamer {
public:
    HalfStreamer(IDirectSoundBuffer* buffer, DWORD bufferBytes)
        : buffer_(buffer), half_(bufferBytes / 2)
    {
    }

    void Prefill()
    {
        ASSERT_EQ(buffer_->SetCurrentPosition(0), DS_OK);
        Fill(0);
        fillSecondHalf_ = true;
    }

    // One pass of the stream thread.
    void Poll()
    {
        DWORD play = 0, write = 0;
        ASSERT_EQ(buffer_->GetCurrentPosition(&play, &write), DS_OK);
        if (play < half_ && fillSecondHalf_) {
            Fill(half_);
            fillSecondHalf_ = false;
        } else if (play > half_ && !fillSecondHalf_) {
            Fill(0);
            fillSecondHalf_ = true;
        }
    }

private:
    void Fill(DWORD offset)
    {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        HRESULT hr = buffer_->Lock(offset, half_, &p1, &n1, &p2, &n2, 0);
        if (hr == DSERR_BUFFERLOST) {
            buffer_->Restore();
            hr = buffer_->Lock(offset, half_, &p1, &n1, &p2, &n2, 0);
        }
        ASSERT_EQ(hr, DS_OK);
        ASSERT_EQ(n1, half_);
        auto* samples = static_cast<int16_t*>(p1);
        for (DWORD i = 0; i < n1 / 2; ++i) samples[i] = SourceSample(next_++);
        ASSERT_EQ(buffer_->Unlock(p1, n1, p2, n2), DS_OK);
    }

    IDirectSoundBuffer* buffer_;
    DWORD half_;
    bool fillSecondHalf_ = false;
    size_t next_ = 0;
};

} // namespace

TEST_F(DsoundTest, HalfByHalfRefillPlaysTheSourceUnbroken)
{
    const DWORD bytes = rate_ * 4;
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    HalfStreamer streamer(buffer, bytes);
    streamer.Prefill();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const size_t step = rate_ / 50; // 20 ms
    size_t produced = 0;
    for (int pass = 0; pass < 250; ++pass) { // five seconds
        streamer.Poll();
        std::vector<int16_t> out = Mix(step);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], SourceSample(produced + i)) << "output sample " << produced + i;
        produced += out.size();
    }
}

TEST_F(DsoundTest, HalfByHalfRefillRestoresALostBufferAndGoesOn)
{
    const DWORD bytes = rate_ * 4;
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    HalfStreamer streamer(buffer, bytes);
    streamer.Prefill();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const size_t step = rate_ / 50;
    size_t produced = 0;
    for (int pass = 0; pass < 10; ++pass) {
        streamer.Poll();
        produced += Mix(step).size();
    }
    // Lost in the first half: it plays silence until the cursor enters the
    // second half, where the refill of the first half restores it.
    platform::dsoundtest::LoseBuffer(buffer);
    bool silentWhileLost = true;
    while (Status(buffer) & DSBSTATUS_BUFFERLOST) {
        ASSERT_LT(produced, size_t(rate_) * 2 * 2) << "never restored";
        streamer.Poll();
        if (!(Status(buffer) & DSBSTATUS_BUFFERLOST)) break;
        std::vector<int16_t> out = Mix(step);
        for (int16_t v : out) silentWhileLost = silentWhileLost && v == 0;
        produced += out.size();
    }
    EXPECT_TRUE(silentWhileLost);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    // The buffer kept its second half, and refills go on from there, so the
    // output is the source again, at the place it would have had.
    for (int pass = 0; pass < 100; ++pass) {
        streamer.Poll();
        std::vector<int16_t> out = Mix(step);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], SourceSample(produced + i)) << "output sample " << produced + i;
        produced += out.size();
    }
}

// The sound streams' way of playing: a one-second looping buffer refilled
// half by half as the play cursor leaves each half, polled every 20 ms.
// Mixed by hand, the output must be the source, unbroken.
#include "fixture.h"

using namespace dsoundtesting;

namespace {

int16_t SourceSample(size_t i)
{
    return int16_t(int((i * 7919) % 60001) - 30000);
}

class HalfStreamer {
public:
    HalfStreamer(IDirectSoundBuffer* buffer, DWORD bufferBytes)
        : buffer_(buffer),
          half_(bufferBytes / 2)
    {
        EXPECT_EQ(buffer_->SetCurrentPosition(0), DS_OK);
        Fill(0);
    }

    // One pass of a stream thread.
    void Poll()
    {
        const DWORD play = PlayCursorOf(buffer_);
        if (play < half_ && fillSecondHalf_) {
            Fill(half_);
            fillSecondHalf_ = false;
        } else if (play > half_ && !fillSecondHalf_) {
            Fill(0);
            fillSecondHalf_ = true;
        }
    }

private:
    static DWORD PlayCursorOf(IDirectSoundBuffer* buffer)
    {
        DWORD play = 0;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        return play;
    }

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
        for (DWORD i = 0; i < n1 / 2; ++i)
            samples[i] = SourceSample(next_++);
        ASSERT_EQ(buffer_->Unlock(p1, n1, p2, n2), DS_OK);
    }

    IDirectSoundBuffer* buffer_;
    DWORD half_;
    bool fillSecondHalf_ = true;
    size_t next_ = 0;
};

} // namespace

class HalfStreamTest : public DsoundTest {
protected:
    // Polls and mixes 20 ms per pass; checks the output against the source
    // unless `silent`, where it must be silence.
    void Run(HalfStreamer& streamer, int passes, bool silent = false)
    {
        for (int pass = 0; pass < passes; ++pass) {
            streamer.Poll();
            std::vector<int16_t> out = Mix(rate_ / 50);
            for (size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ(out[i], silent ? 0 : SourceSample(produced_ + i))
                    << "output sample " << produced_ + i;
            produced_ += out.size();
        }
    }

    size_t produced_ = 0;
};

TEST_F(HalfStreamTest, HalfByHalfRefillPlaysTheSourceUnbroken)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    HalfStreamer streamer(buffer, rate_ * 4);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Run(streamer, 250); // five seconds
}

TEST_F(HalfStreamTest, RefillRestoresALostBufferAndTheSourceGoesOn)
{
    IDirectSoundBuffer8* buffer = MakeSecond(2, rate_);
    HalfStreamer streamer(buffer, rate_ * 4);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Run(streamer, 10);
    // Lost 0.2 s into the first half: silence until the cursor has passed
    // into the second half, where refilling the first half restores it.
    platform::dsoundtest::LoseBuffer(buffer);
    Run(streamer, 16, true);
    EXPECT_TRUE(Status(buffer) & DSBSTATUS_BUFFERLOST);
    // The second half was kept and refills go on from there.
    Run(streamer, 100);
    EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

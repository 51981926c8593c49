// The real-time output (clock-driven under the dummy driver the tests run
// with): cursors move at about the real rate, sounds end by themselves, and
// the streams' threads may lock their buffers while the output mixes.
#include "fixture.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace dsoundtesting;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class RealtimeTest : public DsoundTest {
protected:
    void SetUp() override
    {
        DsoundTest::SetUp();
        platform::dsoundtest::PauseOutput(false);
    }

    void TearDown() override
    {
        platform::dsoundtest::SetCapture(nullptr);
        DsoundTest::TearDown();
    }

    // Waits until `done` holds, for at most `limit`.
    template <typename Done>
    static bool WaitFor(Done done, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > end)
                return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
};

} // namespace

TEST_F(RealtimeTest, CursorMovesAtAboutTheRealRate)
{
    // The cursor is judged against what the output itself has mixed, not
    // against the test's clock: on a loaded machine the output may be held
    // up and drop its backlog, and the cursor must follow the output then.
    std::atomic<uint64_t> mixed{0};
    platform::dsoundtest::SetCapture([&](const int16_t*, size_t frames) { mixed += frames; });
    // 20 s: however long this thread is held up, the cursor does not wrap.
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 44100 * 4 * 20);
    const double outputRate = platform::dsoundtest::OutputRate();
    ASSERT_GT(outputRate, 0.0);
    // The cursor and the frames mixed so far, read between two mixes.
    auto read = [&](DWORD* cursorMs, double* mixedMs) {
        uint64_t before = 0;
        do {
            before = mixed.load();
            *cursorMs = PlayCursor(buffer) / 4 * 1000 / 44100;
        } while (mixed.load() != before);
        *mixedMs = double(before) * 1000.0 / outputRate;
    };
    DWORD cursor0 = 0, cursor1 = 0;
    double mixed0 = 0, mixed1 = 0;
    const auto start = Clock::now();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    read(&cursor0, &mixed0);
    ASSERT_TRUE(
        WaitFor([&] { return mixed.load() * 1000.0 / outputRate >= mixed0 + 200; }, 10000ms));
    read(&cursor1, &mixed1);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    // One block of the output (256 frames, under 6 ms) may be mixed but not
    // yet counted, and the first read may fall either side of one.
    EXPECT_NEAR(double(cursor1 - cursor0), mixed1 - mixed0, 15.0);
    // Never ahead of the clock by more than the 50 ms an output held up
    // may catch up at once.
    EXPECT_LE(double(cursor1 - cursor0), double(elapsed) + 60);
    // The hook refers to this function's counter.
    platform::dsoundtest::SetCapture(nullptr);
}

TEST_F(RealtimeTest, ShortNonLoopingSoundEndsByItself)
{
    IDirectSoundBuffer8* buffer = MakeBuffer(1, 22050, 22050 / 5 * 2); // 200 ms
    const auto start = Clock::now();
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    ASSERT_TRUE(WaitFor([&] { return Status(buffer) == 0; }, 10000ms));
    // Not at once: after a stall the output catches up by at most 50 ms.
    EXPECT_GE(Clock::now() - start, 140ms);
    EXPECT_EQ(PlayCursor(buffer), 0u);
}

TEST_F(RealtimeTest, OutputRestsWhileNothingPlaysAndGoesOnWhenASoundStarts)
{
    std::atomic<uint64_t> mixed{0};
    platform::dsoundtest::SetCapture([&](const int16_t*, size_t frames) { mixed += frames; });
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 44100 * 4);
    // A block under way when the buffer came may still be mixed.
    std::this_thread::sleep_for(30ms);
    mixed = 0;
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(mixed.load(), 0u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_TRUE(WaitFor([&] { return PlayCursor(buffer) != 0; }, 10000ms));
    EXPECT_GT(mixed.load(), 0u);
    platform::dsoundtest::SetCapture(nullptr);
}

TEST_F(RealtimeTest, PausedOutputHoldsTheCursors)
{
    platform::dsoundtest::PauseOutput(true);
    IDirectSoundBuffer8* buffer = MakeSecond(2, 44100);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(PlayCursor(buffer), 0u);
    platform::dsoundtest::PauseOutput(false);
    EXPECT_TRUE(WaitFor([&] { return PlayCursor(buffer) != 0; }, 10000ms));
}

TEST_F(RealtimeTest, CaptureSeesWhatThePlayingBufferHolds)
{
    std::mutex mutex;
    int16_t loudest = 0;
    platform::dsoundtest::SetCapture([&](const int16_t* stereo, size_t frames) {
        std::lock_guard<std::mutex> lock(mutex);
        for (size_t i = 0; i < 2 * frames; ++i)
            loudest = std::max(loudest, stereo[i]);
    });
    IDirectSoundBuffer8* buffer = MakeBuffer(2, 44100, 4000);
    Write(buffer, 0, std::vector<int16_t>(2000, 1234));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_TRUE(WaitFor(
        [&] {
            std::lock_guard<std::mutex> lock(mutex);
            return loudest == 1234;
        },
        10000ms));
    // The hook refers to this function's variables.
    platform::dsoundtest::SetCapture(nullptr);
}

TEST_F(RealtimeTest, StreamThreadsLockTheirBuffersWhileTheOutputMixes)
{
    // Four streams refill their halves on threads of their own, as the sound
    // streams do, while this thread makes and releases buffers and another
    // mixes by hand.
    struct Stream {
        int channels;
        DWORD rate;
        IDirectSoundBuffer8* buffer = nullptr;
        int refills = 0;
        int failures = 0;
    };
    Stream streams[4] = {{2, 44100}, {1, 44000}, {2, 22050}, {1, 48000}};
    for (Stream& s : streams)
        ASSERT_NE(s.buffer = MakeSecond(s.channels, s.rate), nullptr);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (Stream& s : streams) {
        threads.emplace_back([&s, &stop] {
            const DWORD half = s.rate * DWORD(s.channels);
            bool fillSecond = true;
            s.failures += s.buffer->Play(0, 0, DSBPLAY_LOOPING) != DS_OK;
            while (!stop) {
                std::this_thread::sleep_for(5ms);
                DWORD play = 0;
                s.failures += s.buffer->GetCurrentPosition(&play, nullptr) != DS_OK;
                if (fillSecond ? play >= half : play <= half)
                    continue;
                void *p1 = nullptr, *p2 = nullptr;
                DWORD n1 = 0, n2 = 0;
                if (s.buffer->Lock(fillSecond ? half : 0, half, &p1, &n1, &p2, &n2, 0) != DS_OK) {
                    ++s.failures;
                    continue;
                }
                fillSecond = !fillSecond;
                std::memset(p1, 0x11, n1);
                s.failures += s.buffer->Unlock(p1, n1, p2, n2) != DS_OK;
                ++s.refills;
            }
            s.buffer->Stop();
        });
    }
    threads.emplace_back([&stop] {
        std::vector<int16_t> out(2 * 64);
        while (!stop) {
            platform::dsoundtest::MixInto(out.data(), 64);
            std::this_thread::sleep_for(3ms);
        }
    });

    const auto end = Clock::now() + 1200ms;
    while (Clock::now() < end) {
        IDirectSoundBuffer8* extra = MakeBuffer(1, 22050, 4410);
        ASSERT_NE(extra, nullptr);
        Write(extra, 0, std::vector<int16_t>(2205, 99));
        extra->Play(0, 0, 0);
        std::this_thread::sleep_for(4ms);
        buffers_.pop_back();
        EXPECT_EQ(extra->Release(), 0u);
    }
    stop = true;
    for (std::thread& t : threads)
        t.join();
    for (const Stream& s : streams) {
        SCOPED_TRACE(::testing::Message() << s.channels << " ch " << s.rate << " Hz");
        EXPECT_EQ(s.failures, 0);
        EXPECT_GE(s.refills, 1); // over a second of play, at least one half
    }
}

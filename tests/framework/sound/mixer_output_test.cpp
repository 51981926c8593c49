// What reaches the mixer: the decoded samples of a playing sound, half by
// half, cut 20 ms short for a resource sound; by hand with the output paused
// and in real time through the output's capture hook.
#include "sound_fixture.h"

#include "platform/dsound.h"
#include "platform/kernel32_resource.h"

#include <mutex>

using namespace soundtesting;
using namespace std::chrono_literals;

namespace {

class SoundMixerOutput : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        if (platform::dsoundtest::OutputRate() != 44100)
            GTEST_SKIP() << "the output does not run at 44,100 Hz";
        platform::dsoundtest::PauseOutput(true);
    }

    // Starts the sound and mixes one second of output by hand, after the
    // thread has had the time to fill the second half.
    std::vector<int16_t> PlayOneSecond(unsigned long id)
    {
        EXPECT_TRUE(Sound().Play(id));
        Wait(100ms);
        std::vector<int16_t> out(2 * 44100, 0x5555);
        EXPECT_TRUE(platform::dsoundtest::MixInto(out.data(), 44100));
        EXPECT_TRUE(Sound().Stop(id));
        return out;
    }

    static bool AllZero(const std::vector<int16_t>& v, size_t from)
    {
        for (size_t i = from; i < v.size(); ++i)
            if (v[i] != 0)
                return false;
        return true;
    }
};

} // namespace

TEST_F(SoundMixerOutput, OutputCarriesTheDecodedSamplesThenSilence)
{
    const std::vector<unsigned char> ogg = ToneSound(2, 44100, 800);
    const std::vector<int16_t> decoded = DecodeAll(ogg);
    ASSERT_EQ(decoded.size(), size_t(2 * 44100 * 8 / 10));
    const unsigned long id = AddFromMemory(L"tone", ogg);

    const std::vector<int16_t> out = PlayOneSecond(id);
    ASSERT_TRUE(std::equal(decoded.begin(), decoded.end(), out.begin()));
    EXPECT_TRUE(AllZero(out, decoded.size()));
}

TEST_F(SoundMixerOutput, ResourceSoundEndsTwentyMillisecondsShortOfItsData)
{
    static const std::vector<unsigned char> ogg = ToneSound(2, 44100, 700);
    platform::RegisterExecutableResource(4201, ogg.data(), ogg.size());
    const std::vector<int16_t> decoded = DecodeAll(ogg);
    const size_t kept = decoded.size() - 2 * 882;

    const std::vector<int16_t> out = PlayOneSecond(Sound().AddSoundFromResource(L"4201"));
    ASSERT_TRUE(std::equal(decoded.begin(), decoded.begin() + long(kept), out.begin()));
    EXPECT_TRUE(AllZero(out, kept));
    // The tone itself is not silent there.
    EXPECT_FALSE(AllZero(std::vector<int16_t>(decoded.begin() + long(kept), decoded.end()), 0));
}

TEST_F(SoundTest, RealTimeOutputCarriesTheWholeSound)
{
    if (platform::dsoundtest::OutputRate() != 44100)
        GTEST_SKIP() << "the output does not run at 44,100 Hz";
    const std::vector<unsigned char> ogg = ToneSound(2, 44100, 700);
    const std::vector<int16_t> decoded = DecodeAll(ogg);
    std::mutex mutex;
    std::vector<int16_t> heard;
    platform::dsoundtest::SetCapture([&](const int16_t* stereo, size_t frames) {
        std::lock_guard<std::mutex> lock(mutex);
        heard.insert(heard.end(), stereo, stereo + 2 * frames);
    });
    const unsigned long id = AddFromMemory(L"tone", ogg);
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 3s));
    platform::dsoundtest::SetCapture(nullptr);

    std::lock_guard<std::mutex> lock(mutex);
    // Lined up by their first sample that is not silent, the sound comes whole.
    auto firstSound = [](const std::vector<int16_t>& v) {
        return size_t(std::find_if(v.begin(), v.end(), [](int16_t s) { return s != 0; }) -
                      v.begin());
    };
    const size_t inDecoded = firstSound(decoded);
    const size_t inHeard = firstSound(heard);
    ASSERT_LT(inDecoded, decoded.size());
    ASSERT_GE(inHeard, inDecoded);
    const size_t start = inHeard - inDecoded;
    ASSERT_EQ(start % 2, 0u);
    ASSERT_GE(heard.size(), start + decoded.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), heard.begin() + long(start)));
}

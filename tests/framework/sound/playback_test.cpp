// Playing and stopping in real time: when a sound ends, what is posted and
// written to the debugger, a stop that waits for the thread, and sounds that
// cannot play.
#include "sound_fixture.h"

using namespace soundtesting;
using namespace std::chrono_literals;

namespace {

const std::wstring kPlaying = L" звук играет\n";
const std::wstring kStopping = L" звук стой\n";
const std::wstring kEnded = L" звук остановился\n";

} // namespace

TEST_F(SoundTest, ShortSoundEndsAboutOneSecondAfterPlay)
{
    const unsigned long id = AddFromMemory(L"short", ToneSound(2, 44100, 200));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());

    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_TRUE(Sound().IsPlaying(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends > 0; }, 3s));
    // Its data and the rest of the first half, then one silent half.
    const double took = Seconds(n.endedAt - start);
    EXPECT_GT(took, 0.9);
    EXPECT_LT(took, 1.5);
    EXPECT_FALSE(Sound().IsPlaying(id));
    EXPECT_EQ(debug->Count(kPlaying), 1u);
    EXPECT_EQ(debug->Count(kEnded), 1u);
    EXPECT_EQ(debug->Count(kStopping), 0u);

    // Nothing more arrives, and the sound plays again from its start.
    PumpFor(100ms);
    EXPECT_EQ(n.ends, 1);
    const Clock::time_point again = Clock::now();
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 2; }, 3s));
    EXPECT_GT(Seconds(n.endedAt - again), 0.9);
}

TEST_F(SoundTest, SoundFillingItsLastHalfIsFollowedByHalfASecondOfSilence)
{
    // Exactly one second: both halves full; the end comes as the second
    // silent half begins, half a second after the data.
    const unsigned long id = AddFromMemory(L"second", ToneSound(1, 22050, 1000));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends > 0; }, 4s));
    const double took = Seconds(n.endedAt - start);
    EXPECT_GT(took, 1.4);
    EXPECT_LT(took, 2.0);
}

TEST_F(SoundTest, PlayOfAPlayingSoundIsTrueAndPostsNothing)
{
    const unsigned long id = AddFromMemory(L"twice", ToneSound(2, 44100, 300));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    CSoundStream* stream = Sound().FindStream(id);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_TRUE(Sound().Play(id));
    EXPECT_FALSE(stream->Play());
    EXPECT_EQ(stream->Start(), CSoundStream::StartResult::AlreadyPlaying);
    ASSERT_TRUE(PumpUntil([&] { return n.ends > 0; }, 3s));
    PumpFor(100ms);
    EXPECT_EQ(n.ends, 1);
    EXPECT_EQ(debug->Count(kPlaying), 1u);
}

TEST_F(SoundTest, StopWaitsForTheThreadAndStillDeliversTheEnd)
{
    const unsigned long id = AddFromMemory(L"long", ToneSound(2, 44100, 3000));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    PumpFor(200ms);

    const Clock::time_point stop = Clock::now();
    EXPECT_TRUE(Sound().Stop(id));
    EXPECT_LT(Seconds(Clock::now() - stop), 0.5);
    // The thread has ended: its last line is written before Stop returns.
    EXPECT_FALSE(Sound().IsPlaying(id));
    EXPECT_EQ(debug->Count(kStopping), 1u);
    EXPECT_EQ(debug->Count(kEnded), 1u);
    // The end reaches the slots through the queue, on the UI thread.
    EXPECT_EQ(n.ends, 0);
    window->Pump(2);
    EXPECT_EQ(n.ends, 1);
    EXPECT_EQ(n.events.back(), "end " + std::to_string(id));

    // A stopped sound: the system says true, the stream false, nothing posted.
    EXPECT_TRUE(Sound().Stop(id));
    EXPECT_FALSE(Sound().FindStream(id)->Stop());
    PumpFor(50ms);
    EXPECT_EQ(n.ends, 1);
    EXPECT_EQ(debug->Count(kStopping), 1u);
}

TEST_F(SoundTest, SoundsPlayTogetherAndEndOneByOne)
{
    const unsigned long a = AddFromMemory(L"a", ToneSound(2, 44100, 200));
    const unsigned long b = AddFromMemory(L"b", ToneSound(1, 22050, 1200));
    const unsigned long c = AddFromMemory(L"c", ToneSound(2, 48000, 3000));
    Notifications n;
    for (unsigned long id : {a, b, c})
        Sound().SetOnStop(id, n.EndSlot());
    for (unsigned long id : {a, b, c})
        ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 2; }, 4s));
    EXPECT_EQ(n.events, (std::vector<std::string>{"end 1", "end 2"}));
    EXPECT_TRUE(Sound().IsPlaying(c));
    // The window goes while c plays: teardown ends its thread.
}

TEST_F(SoundTest, SoundWithoutABufferCannotPlayButStillEnds)
{
    // 50 samples a second, below what the sound device plays: no buffer can
    // be made in that format.
    const unsigned long id = AddFromMemory(L"too slow", EncodeVorbis(1, 50, Tone(1, 50, 50, 5.0)));
    ASSERT_NE(id, 0u);
    ASSERT_FALSE(Sound().FindStream(id)->HasBuffer());
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    Sound().AddLabel(id, 10, n.LabelSlot());

    EXPECT_FALSE(Sound().Play(id));
    EXPECT_FALSE(Sound().IsPlaying(id));
    EXPECT_TRUE(Sound().Stop(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 1s));
    PumpFor(50ms);
    EXPECT_EQ(n.events, (std::vector<std::string>{"end " + std::to_string(id)}));
    EXPECT_EQ(Window()->HasTimer(1), false);
}

TEST_F(SoundTest, ClosingSoundOfTheProgramPlaysAndEnds)
{
    const unsigned long id = Sound().AddSoundFromResource(L"107");
    ASSERT_NE(id, 0u);
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_TRUE(PumpUntil([&] { return n.ends == 1; }, 20s));
}

TEST_F(SoundTest, LostBufferIsRestoredAndTheSoundStillEnds)
{
    const unsigned long id = AddFromMemory(L"lost", ToneSound(2, 44100, 1200));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    // Lost before or after the thread starts the buffer, as it happens.
    platform::dsoundtest::LoseBuffer(Sound().FindStream(id)->Buffer());
    EXPECT_TRUE(PumpUntil([&] { return n.ends == 1; }, 4s));

    // Lost while stopped: the first fill restores it.
    platform::dsoundtest::LoseBuffer(Sound().FindStream(id)->Buffer());
    EXPECT_TRUE(Sound().Play(id));
    EXPECT_TRUE(PumpUntil([&] { return n.ends == 2; }, 4s));
}

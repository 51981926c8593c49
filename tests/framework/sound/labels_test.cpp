// Label positions: they fire by the window's timers at their time after
// Play, once; a stop before their time keeps them; their timers are the UI
// thread's and go when the sound ends.
#include "sound_fixture.h"


using namespace soundtesting;
using namespace std::chrono_literals;

namespace {

std::string Label(unsigned long id, unsigned long position)
{
    return "label " + std::to_string(id) + " " + std::to_string(position);
}

} // namespace

TEST_F(SoundTest, LabelFiresAtItsTimeOnce)
{
    const unsigned long id = AddFromMemory(L"speech", ToneSound(2, 44100, 1500));
    Notifications n;
    Clock::time_point firedAt{};
    Sound().AddLabel(id, 300, [&](unsigned long sound, unsigned long position) -> long {
        firedAt = Clock::now();
        n.events.push_back(Label(sound, position));
        return 0;
    });
    Sound().AddLabel(id, 600, n.LabelSlot());
    Sound().SetOnStop(id, n.EndSlot());

    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 4s));
    EXPECT_EQ(n.events, (std::vector<std::string>{Label(id, 300), Label(id, 600),
                                                  "end " + std::to_string(id)}));
    const double at = Seconds(firedAt - start);
    EXPECT_GE(at, 0.3);
    EXPECT_LT(at, 0.6);

    // A label that has fired is not armed again.
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 2; }, 4s));
    EXPECT_EQ(n.Count(Label(id, 300)), 1);
    EXPECT_EQ(n.Count(Label(id, 600)), 1);
}

TEST_F(SoundTest, LabelSurvivesAStopBeforeItsTime)
{
    const unsigned long id = AddFromMemory(L"speech", ToneSound(2, 44100, 1500));
    Notifications n;
    Sound().AddLabel(id, 400, n.LabelSlot());
    ASSERT_TRUE(Sound().Play(id));
    PumpFor(100ms);
    ASSERT_TRUE(Sound().Stop(id));
    // Its timer went with the stop.
    EXPECT_EQ(Sound().FindStream(id)->ArmedLabelCount(), 0u);
    PumpFor(500ms);
    EXPECT_EQ(n.Count(Label(id, 400)), 0);

    ASSERT_TRUE(Sound().Play(id));
    EXPECT_TRUE(PumpUntil([&] { return n.Count(Label(id, 400)) == 1; }, 2s));
}

TEST_F(SoundTest, LabelAddedWhilePlayingIsNotArmedButStaysConnected)
{
    const unsigned long id = AddFromMemory(L"speech", ToneSound(2, 44100, 200));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_FALSE(Sound().FindStream(id)->AddLabelPosition(100));
    Sound().AddLabel(id, 100, n.LabelSlot());
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 3s));
    EXPECT_EQ(n.Count(Label(id, 100)), 0);

    // The slot is on the position's signal: a label message reaches it, and
    // so does a label added again.
    Sound().OnLabelMessage(id, 100);
    EXPECT_EQ(n.Count(Label(id, 100)), 1);
    Sound().AddLabel(id, 100, n.LabelSlot());
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 2; }, 3s));
    // Two slots on the one position now.
    EXPECT_EQ(n.Count(Label(id, 100)), 3);
}

TEST_F(SoundTest, LabelsBeyondTheEndAreRemovedOnTheUiThreadAndKept)
{
    const unsigned long id = AddFromMemory(L"short", ToneSound(1, 44100, 100));
    Notifications n;
    Sound().AddLabel(id, 5000, n.LabelSlot());
    int timersAtEnd = -1;
    Sound().SetOnStop(id, [&](unsigned long) -> long {
        // The end slot runs after the timers are gone, on the UI thread.
        timersAtEnd = int(Sound().FindStream(id)->ArmedLabelCount());
        ++n.ends;
        return 0;
    });
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_EQ(Sound().FindStream(id)->ArmedLabelCount(), 1u);
    const int timer = 1; // the window's first timer
    EXPECT_TRUE(Window()->HasTimer(timer));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 3s));
    EXPECT_EQ(timersAtEnd, 0);
    EXPECT_FALSE(Window()->HasTimer(timer));

    // The position was not reached, so the next play arms it again.
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_EQ(Sound().FindStream(id)->ArmedLabelCount(), 1u);
    ASSERT_TRUE(Sound().Stop(id));
    EXPECT_EQ(n.Count(Label(id, 5000)), 0);
}

TEST_F(SoundTest, LabelOfAnEndedSoundWhoseEndIsStillQueuedDoesNotFire)
{
    const unsigned long id = AddFromMemory(L"short", ToneSound(2, 44100, 100));
    Notifications n;
    Sound().AddLabel(id, 1000, n.LabelSlot());
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    // Let the sound end without handling its end message: only the timers run.
    CSoundStream* stream = Sound().FindStream(id);
    const Clock::time_point limit = Clock::now() + 3s;
    while (stream->IsPlaying() && Clock::now() < limit)
        Wait(5ms);
    ASSERT_FALSE(stream->IsPlaying());
    // The label's time passes with the end still queued.
    Wait(200ms);
    stream->OnLabelTimer(1, 1000);
    EXPECT_EQ(stream->ArmedLabelCount(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 1s));
    PumpFor(50ms);
    EXPECT_EQ(n.Count(Label(id, 1000)), 0);
}

TEST_F(SoundTest, EndOfAnEarlierPlayLeavesTheLabelsOfTheNextOne)
{
    const unsigned long id = AddFromMemory(L"short", ToneSound(2, 44100, 100));
    Notifications n;
    Sound().AddLabel(id, 300, n.LabelSlot());
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(Sound().Stop(id));
    // Played again before the first end message is handled.
    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 1; }, 1s));
    EXPECT_TRUE(Sound().IsPlaying(id));
    EXPECT_EQ(Sound().FindStream(id)->ArmedLabelCount(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return n.ends == 2; }, 3s));
    EXPECT_EQ(n.events, (std::vector<std::string>{"end 1", "label 1 300", "end 1"}));
}

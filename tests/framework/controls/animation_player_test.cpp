// The frame-animation player: which frame each update shows for the time
// since Play, the signals it fires, and how the range ends. Time is set by
// the player's clock, which the test holds still, half a period clear of any
// frame edge.
#include "framework/controls/IMAnimationBase.h"
#include "framework/views/IMSequenceView.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::HeadlessWindow;

namespace {

// A player whose clock the test sets, logging its signals.
template <class V>
class TestPlayer : public IMAnimationBase<V> {
public:
    explicit TestPlayer(IMControl::Container* parent = nullptr) : IMAnimationBase<V>(parent, 0)
    {
        this->ConnectFrameChanged([this](const IMEvent& e) -> long {
            log.push_back("changed");
            EXPECT_EQ(e.sender, this);
            EXPECT_EQ(e.code, 0);
            return 0;
        });
        this->ConnectFinished([this](const IMEvent&) -> long {
            log.push_back(this->IsPlaying() ? "finished while playing" : "finished");
            return 0;
        });
        this->Started.connect([this](const IMEvent&) -> long {
            log.push_back("started");
            return 0;
        });
    }

    // Moves the clock to `periods` frame periods after Play.
    void SetElapsed(double periods)
    {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        const double seconds = periods * this->period / 60000.0;
        now = this->start + static_cast<int64_t>(seconds * frequency.QuadPart);
    }

    // Updates as if `periods` frame periods had passed since Play.
    void UpdateAfter(double periods)
    {
        SetElapsed(periods);
        this->Update();
    }

    // Play, and the clock stays where Play found it.
    void Play()
    {
        IMAnimationBase<V>::Play();
        now = this->start;
    }

    std::vector<std::string> TakeLog()
    {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }

    std::vector<std::string> log;
    int64_t now = 1000;

protected:
    int64_t Clock() const override { return now; }
};

// A frame view with no frame list, so any range can be set.
class OpenRangeView : public IMTextureView, public IMAnimationView {
public:
    long SetFrame(int f) override
    {
        current = f;
        return 0;
    }
    int GetFrame() const override { return current; }
    int GetFirstFrame() const override { return first; }
    int GetLastFrame() const override { return last; }
    long SetFirstFrame(int f) override
    {
        first = f;
        return 0;
    }
    long SetLastFrame(int f) override
    {
        last = f;
        return 0;
    }

    int current = 0;
    int first = 0;
    int last = 0;
};

typedef std::vector<std::string> Log;

class Player : public ::testing::Test {
protected:
    // A sequence of `count` frames, every one a skin, the whole list the range.
    void Frames(TestPlayer<IMSequenceView>& p, int count)
    {
        for (int i = 0; i < count; ++i)
            p.AddFrame(i % 2 ? L"PrintButtonNuv" : L"PrintButton");
        p.SetLastFrame(count - 1);
    }

    HeadlessWindow window;
};

} // namespace

TEST_F(Player, PlayFiresStartedThenFrameChangedAndMovesNoFrame)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 4);
    p.SetFrame(2);
    EXPECT_FALSE(p.IsPlaying());
    p.Play();
    EXPECT_TRUE(p.IsPlaying());
    EXPECT_EQ(p.TakeLog(), (Log{"started", "changed"}));
    EXPECT_EQ(p.GetFrame(), 2);
}

TEST_F(Player, TenFramesAtTheDefaultPeriodRunFourHundredMilliseconds)
{
    TestPlayer<IMSequenceView> p;
    ASSERT_EQ(p.period, 2400);
    Frames(p, 10);
    p.Play();
    p.TakeLog();

    p.UpdateAfter(0.5); // frame 0 is already shown
    EXPECT_EQ(p.GetFrame(), 0);
    EXPECT_TRUE(p.TakeLog().empty());
    p.UpdateAfter(1.5);
    EXPECT_EQ(p.GetFrame(), 1);
    EXPECT_EQ(p.TakeLog(), Log{"changed"});
    p.UpdateAfter(1.7); // the same frame: nothing
    EXPECT_TRUE(p.TakeLog().empty());
    p.UpdateAfter(9.5); // 380 ms: the last frame
    EXPECT_EQ(p.GetFrame(), 9);
    EXPECT_TRUE(p.IsPlaying());
    p.UpdateAfter(10.5); // 420 ms: run through
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(p.GetFrame(), 9);
    EXPECT_EQ(p.TakeLog(), (Log{"changed", "finished"}));
    p.UpdateAfter(20.5); // stopped: nothing more
    EXPECT_TRUE(p.TakeLog().empty());
}

TEST_F(Player, PeriodSetsTheFrameRate)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 20);
    p.period = 5000; // 12 frames per second
    p.Play();
    p.UpdateAfter(11.5);
    EXPECT_EQ(p.GetFrame(), 11);
    // 11.5 periods of 5000 are 0.958 s; at 25 frames per second that would be frame 23.
}

TEST_F(Player, SlowLoopSkipsFramesInsteadOfDelaying)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 10);
    p.Play();
    p.TakeLog();
    p.UpdateAfter(6.5);
    EXPECT_EQ(p.GetFrame(), 6);
    EXPECT_EQ(p.TakeLog(), Log{"changed"});
}

TEST_F(Player, RangeInsideTheListStartsAtItsFirstFrame)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 6);
    p.SetFirstFrame(2);
    p.SetLastFrame(4);
    p.Play();
    p.UpdateAfter(0.5);
    EXPECT_EQ(p.GetFrame(), 2);
    p.UpdateAfter(2.5);
    EXPECT_EQ(p.GetFrame(), 4);
    p.UpdateAfter(3.5);
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(p.GetFrame(), 4);
}

TEST_F(Player, OneFrameRangeShowsItsFrameForOnePeriodAndEnds)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 4);
    p.SetFirstFrame(2);
    p.SetLastFrame(2);
    p.Play();
    p.TakeLog();
    p.UpdateAfter(0.5);
    EXPECT_EQ(p.GetFrame(), 2);
    EXPECT_EQ(p.TakeLog(), Log{"changed"});
    p.UpdateAfter(1.5);
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(p.TakeLog(), Log{"finished"});
}

TEST_F(Player, EndIsNotMissedWhenTimeJumpsByWholeRanges)
{
    // Four frames, the first one shown; the next update comes after exactly
    // one run of the range, where the frame would be the first again.
    TestPlayer<IMSequenceView> p;
    Frames(p, 4);
    p.Play();
    p.TakeLog();
    p.UpdateAfter(4.5);
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(p.GetFrame(), 0);
    EXPECT_EQ(p.TakeLog(), Log{"finished"});

    TestPlayer<IMSequenceView> q;
    Frames(q, 4);
    q.Play();
    q.UpdateAfter(8.5);
    EXPECT_FALSE(q.IsPlaying());
}

TEST_F(Player, RangeUpToTheLargestFrameNumberIsCountedInSixtyFourBits)
{
    TestPlayer<OpenRangeView> p;
    p.SetFirstFrame(0);
    p.SetLastFrame(0x7FFFFFFF);
    p.Play();
    p.UpdateAfter(3.5);
    EXPECT_EQ(p.GetFrame(), 3);
    EXPECT_TRUE(p.IsPlaying());

    TestPlayer<OpenRangeView> q;
    q.SetFirstFrame(5);
    q.SetLastFrame(0x7FFFFFFF);
    q.Play();
    q.UpdateAfter(100.5);
    EXPECT_EQ(q.GetFrame(), 105);
    EXPECT_TRUE(q.IsPlaying());
}

TEST_F(Player, RangeWithTheLastBeforeTheFirstEndsAfterOneFrame)
{
    TestPlayer<OpenRangeView> p;
    p.SetFirstFrame(3);
    p.SetLastFrame(1);
    p.Play();
    p.UpdateAfter(0.5);
    EXPECT_EQ(p.GetFrame(), 3);
    p.UpdateAfter(1.5);
    EXPECT_FALSE(p.IsPlaying());
}

TEST_F(Player, PlayOnARunningPlayerStartsAgain)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 10);
    p.Play();
    p.UpdateAfter(5.5);
    ASSERT_EQ(p.GetFrame(), 5);
    p.TakeLog();
    p.Play();
    EXPECT_EQ(p.TakeLog(), (Log{"started", "changed"}));
    p.Update(); // just started: back to the first frame
    EXPECT_EQ(p.GetFrame(), 0);

    // A finished player plays again from the start.
    p.UpdateAfter(10.5);
    ASSERT_FALSE(p.IsPlaying());
    p.Play();
    p.UpdateAfter(1.5);
    EXPECT_EQ(p.GetFrame(), 1);
    EXPECT_TRUE(p.IsPlaying());
}

TEST_F(Player, WindowUpdatePassDrivesThePlayer)
{
    auto* p = new TestPlayer<IMSequenceView>(window.window);
    Frames(*p, 3);
    window.Pump(1); // joins the window
    p->Play();
    p->SetElapsed(1.5);
    window.Pump(1);
    EXPECT_EQ(p->GetFrame(), 1);
    // The frame change reaches the screen: the player is dirty.
    EXPECT_EQ(p->GetTextureId(), window.Manager()->FindTexture(L"PrintButtonNuv"));
}

TEST_F(Player, ClosedPlayerStopsAndCallsNoSlot)
{
    auto* p = new TestPlayer<IMSequenceView>(window.window);
    Frames(*p, 3);
    window.Pump(1);
    p->Play();
    p->TakeLog();
    p->Close();
    EXPECT_FALSE(p->IsPlaying());
    p->UpdateAfter(5.5); // an update that still reaches it before deletion
    EXPECT_TRUE(p->log.empty());
    window.Pump(2);
}

TEST_F(Player, ZeroPeriodNeverDividesByZero)
{
    TestPlayer<IMSequenceView> p;
    Frames(p, 3);
    p.Play();
    p.period = 0;
    p.Update();
    EXPECT_EQ(p.GetFrame(), 0);
    EXPECT_TRUE(p.IsPlaying());
}

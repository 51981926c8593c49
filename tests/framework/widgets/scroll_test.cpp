// The scroll bar: geometry with the defaults and after moves, clamping of
// the position, the press-and-hold repeat on one timer at a time, and the
// slider's drag with its limits.
#include "widget_fixture.h"

#include "framework/widgets/IMScroll.h"
#include "framework/window/IMWindow.h"

#include <boost/bind/bind.hpp>

#include <vector>

using widget_test::Equal;
using widget_test::WidgetFixture;

namespace {

class ScrollBar : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        const RECT r{100, 100, 116, 300};
        bar = new IMScroll(screen, &r);
        bar->Layout();
        bar->PositionChanged.connect([this](const IMEvent& e, int p) -> long {
            EXPECT_EQ(bar, e.sender);
            EXPECT_EQ(0, e.code);
            reported.push_back(p);
            return 0;
        });
        Settle();
    }

    IMMouseEvent Press(IMControl* part)
    {
        return IMMouseEvent(part, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    }
    IMMouseEvent Release(IMControl* part) { return IMMouseEvent(part, WM_LBUTTONUP, 0, 5, 5); }
    IMMouseEvent Tick(IMControl* part) { return IMMouseEvent(part, 0, MK_LBUTTON, 5, 5); }

    IMScroll* bar = nullptr;
    std::vector<int> reported;
};

} // namespace

TEST_F(ScrollBar, DefaultGeometryOnASixteenByTwoHundredBar)
{
    EXPECT_TRUE(Equal(RECT{0, 0, 16, 16}, RectOf(bar->GetUpButton())));
    EXPECT_TRUE(Equal(RECT{0, 184, 16, 200}, RectOf(bar->GetDownButton())));
    EXPECT_TRUE(Equal(RECT{0, 16, 16, 32}, RectOf(bar->GetSlider())));
    EXPECT_TRUE(Equal(RECT{0, 16, 16, 16}, RectOf(bar->GetUpperTrack())));
    EXPECT_TRUE(Equal(RECT{0, 32, 16, 184}, RectOf(bar->GetLowerTrack())));

    bar->SetPosition(50);
    // T = 168: the slider at 16 + 84, the tracks meet it on both sides.
    EXPECT_TRUE(Equal(RECT{0, 100, 16, 116}, RectOf(bar->GetSlider())));
    EXPECT_TRUE(Equal(RECT{0, 16, 16, 100}, RectOf(bar->GetUpperTrack())));
    EXPECT_TRUE(Equal(RECT{0, 116, 16, 184}, RectOf(bar->GetLowerTrack())));

    // Sized through the view, it lays itself out again.
    bar->SetSize(14, 100);
    EXPECT_TRUE(Equal(RECT{0, 86, 14, 100}, RectOf(bar->GetDownButton())));
    EXPECT_TRUE(Equal(RECT{0, 14 + 36, 14, 14 + 36 + 7}, RectOf(bar->GetSlider())));
}

TEST_F(ScrollBar, WithoutARectangleItRunsAlongTheParentsRightEdge)
{
    IMScroll* strip = new IMScroll(screen, nullptr);
    EXPECT_TRUE(Equal(RECT{784, 0, 800, 600}, RectOf(strip)));
    EXPECT_TRUE(Equal(RECT{0, 584, 16, 600}, RectOf(strip->GetDownButton())));
}

TEST_F(ScrollBar, PositionIsClampedAndOnlyChangesAreReported)
{
    bar->SetPosition(95);
    EXPECT_EQ(90, bar->position);
    bar->SetPosition(-5);
    EXPECT_EQ(0, bar->position);
    bar->SetPosition(0);
    bar->SetPosition(30);
    bar->SetPosition(30);
    EXPECT_EQ((std::vector<int>{90, 0, 30}), reported);
}

TEST_F(ScrollBar, ArrowsStepATenthOfAPageAndTracksAWholePage)
{
    bar->OnButtonMouse(Press(bar->GetDownButton()));
    bar->OnButtonMouse(Release(bar->GetDownButton()));
    EXPECT_EQ(1, bar->position);
    bar->OnButtonMouse(Press(bar->GetLowerTrack()));
    bar->OnButtonMouse(Release(bar->GetLowerTrack()));
    EXPECT_EQ(11, bar->position);
    bar->OnButtonMouse(Press(bar->GetUpperTrack()));
    bar->OnButtonMouse(Release(bar->GetUpperTrack()));
    EXPECT_EQ(1, bar->position);
    bar->OnButtonMouse(Press(bar->GetUpButton()));
    bar->OnButtonMouse(Release(bar->GetUpButton()));
    EXPECT_EQ(0, bar->position);

    // A page below 10 gives the arrows no step.
    bar->page = 9;
    bar->Layout();
    bar->OnButtonMouse(Press(bar->GetDownButton()));
    bar->OnButtonMouse(Release(bar->GetDownButton()));
    EXPECT_EQ(0, bar->position);
}

TEST_F(ScrollBar, HoldingAButtonRepeatsAfter500ThenEvery50OnOneTimer)
{
    IMWindow& w = *window.window;
    IMControl* down = bar->GetDownButton();
    bar->OnButtonMouse(Press(down));
    EXPECT_EQ(1, bar->position);
    const int first = bar->GetRepeatTimer();
    ASSERT_TRUE(w.HasTimer(first));
    EXPECT_EQ(500u, w.GetTimerInterval(first));
    EXPECT_TRUE(bar->IsTracking());

    // Each tick steps once and replaces its timer by a 50 ms one.
    int previous = first;
    for (int i = 0; i < 5; ++i) {
        bar->OnButtonMouse(Tick(down));
        const int next = bar->GetRepeatTimer();
        EXPECT_NE(previous, next);
        EXPECT_FALSE(w.HasTimer(previous));
        EXPECT_TRUE(w.HasTimer(next));
        EXPECT_EQ(50u, w.GetTimerInterval(next));
        previous = next;
    }
    EXPECT_EQ(6, bar->position);

    // Leaving the button ends the repeat and its timer.
    bar->OnButtonMouse(IMMouseEvent(down, IMEVENT_MOUSELEAVE, 0, 5, 5));
    EXPECT_FALSE(w.HasTimer(previous));
    EXPECT_FALSE(bar->IsTracking());
    EXPECT_EQ(0, bar->GetRepeatTimer());
}

TEST_F(ScrollBar, ReleaseSeenByTheWindowFirstStillEndsTheRepeat)
{
    IMWindow& w = *window.window;
    IMControl* down = bar->GetDownButton();
    bar->OnButtonMouse(Press(down));
    const int timer = bar->GetRepeatTimer();
    // The window hears the release before the button does.
    bar->OnEvent(IMMouseEvent(&w, WM_LBUTTONUP, 0, 108, 290));
    bar->OnButtonMouse(Release(down));
    EXPECT_FALSE(w.HasTimer(timer));
    EXPECT_FALSE(bar->IsTracking());
}

TEST_F(ScrollBar, RepeatRunsOnTheWindowsTimers)
{
    IMControl* down = bar->GetDownButton();
    bar->OnButtonMouse(Press(down));
    ASSERT_TRUE(window.PumpUntil([this] { return bar->position >= 3; }, 100000));
    bar->OnButtonMouse(Release(down));
    const int reached = bar->position;
    window.Pump(5);
    EXPECT_EQ(reached, bar->position);
}

TEST_F(ScrollBar, DraggingTheSliderFollowsThePointerWithinTheTrack)
{
    // The slider covers window pixels (100 … 115, 116 … 131).
    window.MoveMouse(108, 120);
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(108, 120));
    window.Pump(2);
    ASSERT_TRUE(bar->IsTracking());

    window.MoveMouse(108, 220, MK_LBUTTON);
    window.Pump(2);
    // top 116: floor(100 × 100 / 168 + 0.5) = 60.
    EXPECT_EQ(116, RectOf(bar->GetSlider()).top);
    EXPECT_EQ(60, bar->position);

    window.MoveMouse(108, 590, MK_LBUTTON);
    window.Pump(2);
    EXPECT_EQ(168, RectOf(bar->GetSlider()).top);
    EXPECT_EQ(90, bar->position);

    window.MoveMouse(108, 5, MK_LBUTTON);
    window.Pump(2);
    EXPECT_EQ(16, RectOf(bar->GetSlider()).top);
    EXPECT_EQ(0, bar->position);

    // Released far from the bar (on the same row): the drag is over.
    window.MoveMouse(500, 5, MK_LBUTTON);
    window.Post(WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    window.Pump(2);
    EXPECT_FALSE(bar->IsTracking());
    window.MoveMouse(108, 300);
    window.Pump(2);
    EXPECT_EQ(0, bar->position);
}

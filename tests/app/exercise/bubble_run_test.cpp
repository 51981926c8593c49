// Whole runs in the headless main window: bubbles launched, popped by
// clicks posted at their centres, the run's end through the closing sound,
// and the statistics rows in the saved workbook.
#include "app/App.h"
#include "app/exercise/Bubble.h"
#include "app/exercise/description.h"
#include "app/support/app_fixture.h"
#include "platform/codepage.h"
#include "platform/winmm.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <functional>

using namespace app_test;

namespace {

class BubbleRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::DiscardQueuedMessages();
        app = &IMApp<App>::Instance(exercise::kInstanceName, 0);
        // Small, fast bubbles: each one's centre is on the screen soon.
        app->initialDiameter = 200;
        app->finalDiameter = 200;
        app->initialSpeed = 10;
        app->finalSpeed = 10;
        app->bubbleCount = 3;
    }

    void TearDown() override
    {
        while (IMApp<App>::Existing())
            IMApp<App>::Release();
        testing_support::DiscardQueuedMessages();
    }

    bool Pump() { return testing_support::Pass(app->mainWindow); }

    // Passes until the condition holds, for at most `ms` milliseconds.
    bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 5000)
    {
        const DWORD start = timeGetTime();
        while (!condition()) {
            if (timeGetTime() - start > ms || !Pump())
                return condition();
        }
        return true;
    }

    void Post(UINT message, WPARAM wParam, int x, int y)
    {
        PostMessageW(IMWindow::Handle(), message, wParam, MAKELPARAM(x, y));
    }

    void ClickAt(POINT p, UINT down = WM_LBUTTONDOWN, WPARAM bit = MK_LBUTTON, bool move = true)
    {
        if (move)
            Post(WM_MOUSEMOVE, 0, p.x, p.y);
        Post(down, bit, p.x, p.y);
        Post(down + 1, 0, p.x, p.y);
    }

    // The run, as Start and Esc on the instruction begin it; one pass puts
    // the exercise on the screen.
    void StartRun(const std::wstring& pupil)
    {
        app->StartWithPupil(pupil, nullptr);
        PostMessageW(IMWindow::Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
        ASSERT_TRUE(PumpUntil([this] { return app->exerciseDialog != nullptr; }));
        Pump();
    }

    // The bubble's centre once it lies well inside the screen.
    POINT CentreOnScreen()
    {
        POINT centre{-1, -1};
        PumpUntil([&] {
            if (!app->bubble)
                return false;
            RECT r;
            app->bubble->GetRect(&r);
            centre = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            return centre.x >= 40 && centre.x < 760 && centre.y >= 40 && centre.y < 560;
        });
        return centre;
    }

    // Waits for the launch after the one numbered `launched`, or the run's end.
    bool NextLaunchOrEnd(int launched)
    {
        return PumpUntil([&] { return !app->bubble || app->run.launchedCount > launched; });
    }

    App* app = nullptr;
    ScratchDataHome dataHome;
};

} // namespace

TEST_F(BubbleRunTest, PoppingEveryBubbleWritesTheStatisticsAndShowsTheResults)
{
    StartRun(L"Тестов");
    for (int i = 0; i < 3; ++i) {
        const int launched = app->run.launchedCount;
        const POINT centre = CentreOnScreen();
        ClickAt(centre);
        ASSERT_TRUE(PumpUntil([&] { return app->run.poppedCount == i + 1; })) << "bubble " << i;
        // The burst shows its frames, then the next bubble flies.
        ASSERT_TRUE(PumpUntil([&] { return app->bubble && app->bubble->GetFrame() > 0; }));
        ASSERT_TRUE(NextLaunchOrEnd(launched));
    }
    EXPECT_EQ(nullptr, app->bubble);
    EXPECT_EQ(0, app->run.missedCount);
    EXPECT_EQ(3, app->run.screenClickCount);
    ASSERT_EQ(3u, app->run.flightTimes.size());

    // The closing sound ends, the praise plays its clip, the results follow.
    ASSERT_TRUE(PumpUntil([&] { return app->stepDialog == nullptr; }, 30000));
    app->mainWindow->Close();

    const std::vector<SheetRow> rows = ReadSheet(dataHome.ResultsFile(), L"Тестов");
    ASSERT_EQ(7u, rows.size());
    EXPECT_EQ(L"String:Время начала работы с упражнением", rows[0][0]);
    EXPECT_EQ((SheetRow{L"String:Число пропущенных пузырей", L"Number:0"}), rows[1]);
    EXPECT_EQ((SheetRow{L"String:Число промахов", L"Number:0"}), rows[2]);
    const std::wstring mean = std::to_wstring(app->run.MeanFlightTime()) + L" мсек";
    EXPECT_EQ((SheetRow{L"String:Среднее время полета пузыря", L"String:" + mean}), rows[3]);
    EXPECT_EQ((SheetRow{L"String:Количество дополнительных вызовов инструкций", L"Number:0"}),
              rows[4]);
    EXPECT_EQ(L"String:Общее время работы с упражнением. с.", rows[5][0]);
    EXPECT_TRUE(rows[6].empty());
}

TEST_F(BubbleRunTest, AnyButtonPopsAndEveryOtherClickIsAMiss)
{
    StartRun(L"Тестов");
    ClickAt(POINT{2, 2}); // nothing there
    const POINT centre = CentreOnScreen();
    ClickAt(centre, WM_RBUTTONDOWN, MK_RBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return app->run.poppedCount == 1; }));
    ASSERT_TRUE(NextLaunchOrEnd(1));
    ClickAt(CentreOnScreen(), WM_MBUTTONDOWN, MK_MBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return app->run.poppedCount == 2; }));
    EXPECT_EQ(3, app->run.screenClickCount);
    EXPECT_EQ(L"1", app->run.StatisticsRows()[1].value);
}

TEST_F(BubbleRunTest, AClickDuringTheBurstDoesNotPopAgain)
{
    StartRun(L"Тестов");
    const POINT centre = CentreOnScreen();
    // Both clicks are taken in one pass: the second lands during the burst.
    ClickAt(centre);
    ClickAt(centre);
    ASSERT_TRUE(PumpUntil([&] { return app->run.screenClickCount == 2; }));
    EXPECT_EQ(1, app->run.poppedCount);
    EXPECT_EQ(1u, app->run.flightTimes.size());
}

TEST_F(BubbleRunTest, ABubbleDriftingUnderAStillPointerIsTheOneClicked)
{
    StartRun(L"Тестов");
    ASSERT_TRUE(PumpUntil([&] { return app->bubble != nullptr; }));
    // Where the centre will be a little later on its straight path.
    const float t = 0.35f;
    const POINT ahead{static_cast<LONG>(app->bubble->flight.X(t)) + app->bubble->GetWidth() / 2,
                      static_cast<LONG>(app->bubble->flight.Y(t)) + app->bubble->GetHeight() / 2};
    ASSERT_TRUE(ahead.x > 0 && ahead.x < 800 && ahead.y > 0 && ahead.y < 600);
    Post(WM_MOUSEMOVE, 0, ahead.x, ahead.y);
    // The bubble is asked for at every pass: the run deletes it once it has
    // flown off, and the test then fails instead of reading a freed one.
    const int launch = app->run.launchedCount;
    ASSERT_TRUE(PumpUntil([&] {
        if (!app->bubble || app->run.launchedCount != launch)
            return true;
        RECT r;
        app->bubble->GetRect(&r);
        return std::abs((r.left + r.right) / 2 - ahead.x) < 30 &&
               std::abs((r.top + r.bottom) / 2 - ahead.y) < 30;
    }));
    ASSERT_TRUE(app->bubble != nullptr && app->run.launchedCount == launch);
    ClickAt(ahead, WM_LBUTTONDOWN, MK_LBUTTON, false);
    ASSERT_TRUE(PumpUntil([&] { return app->run.poppedCount == 1; }));
}

TEST_F(BubbleRunTest, ABubbleLeftAloneIsMissedAndTheNextFlies)
{
    app->bubbleCount = 2;
    StartRun(L"Тестов");
    ASSERT_TRUE(NextLaunchOrEnd(1));
    EXPECT_EQ(1, app->run.missedCount);
    EXPECT_EQ(2, app->run.launchedCount);
    ASSERT_TRUE(PumpUntil([&] { return app->bubble == nullptr; }));
    EXPECT_EQ(2, app->run.missedCount);
    EXPECT_EQ(2u, app->run.flightTimes.size());
    // The closing sound is playing: the file already holds the whole block,
    // closing rows and empty row included, as a crash now would leave it.
    const std::vector<SheetRow> rows = ReadSheet(dataHome.ResultsFile(), L"Тестов");
    ASSERT_EQ(7u, rows.size());
    EXPECT_EQ(L"String:Количество дополнительных вызовов инструкций", rows[4][0]);
    EXPECT_EQ(L"String:Общее время работы с упражнением. с.", rows[5][0]);
    EXPECT_TRUE(rows[6].empty());
}

TEST_F(BubbleRunTest, ARunOfNoBubblesEndsAtOnceWithAMeanOfZero)
{
    app->bubbleCount = 0;
    StartRun(L"Тестов");
    EXPECT_EQ(0, app->run.launchedCount);
    ASSERT_TRUE(PumpUntil([&] { return app->stepDialog == nullptr; }, 30000));
    app->mainWindow->Close();
    const std::vector<SheetRow> rows = ReadSheet(dataHome.ResultsFile(), L"Тестов");
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ((SheetRow{L"String:Среднее время полета пузыря", L"String:0 мсек"}), rows[3]);
}

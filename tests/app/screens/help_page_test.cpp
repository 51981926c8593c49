// The help page that stands in for the instruction: it closes itself after
// five seconds by the window's own timer clock, starting the run after
// Start, and leaves neither a timer nor a raised flag behind.
#include "app/screens/help_page.h"
#include "app/screens/screens_fixture.h"
#include "platform/kernel32.h"

using namespace app_test;

namespace {

double Seconds()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int HelpTimers(IMWindow* window)
{
    int n = 0;
    for (int id = 1; id < 1000; ++id)
        n += window->HasTimer(id) && window->GetTimerInterval(id) == screens::kHelpPageMilliseconds;
    return n;
}

} // namespace

TEST_F(ScreensTest, AfterStartTheHelpPageClosesByItselfAndTheRunBegins)
{
    ShowTitle();
    Press(VK_RETURN, L'\r');
    const double shown = Seconds();
    Dialog* page = Top();
    ASSERT_NE(nullptr, page);
    screens::TextLine* heading = LineWithText(page, L"Справка");
    ASSERT_NE(nullptr, heading);
    RECT r;
    heading->GetRect(&r);
    EXPECT_EQ(400 - (r.right - r.left) / 2, r.left);
    EXPECT_EQ(100, r.top);
    EXPECT_EQ(1, HelpTimers(app->mainWindow));

    while (!app->exerciseDialog && Seconds() - shown < 120)
        Pump();
    ASSERT_NE(nullptr, app->exerciseDialog);
    // Measured on the clock the window's timers read, never early.
    EXPECT_GE(Seconds() - shown, 4.99);
    EXPECT_FALSE(app->modal);
    EXPECT_EQ(0, HelpTimers(app->mainWindow));

    // F1 works again: a replay, which the next key ends, timer and all.
    Press(VK_F1);
    EXPECT_TRUE(app->modal);
    EXPECT_EQ(1, app->f1Count);
    EXPECT_EQ(1, HelpTimers(app->mainWindow));
    Press('A');
    Pump();
    EXPECT_FALSE(app->modal);
    EXPECT_EQ(0, HelpTimers(app->mainWindow));
}

// The help page that stands in for the instruction: it closes itself after
// five seconds by the window's own timer clock, starting the run after
// Start, and leaves neither a timer nor a raised flag behind.
#include "app/screens/help_page.h"
#include "app/screens/screens_fixture.h"
#include "platform/kernel32.h"

using namespace app_test;

namespace {

int HelpTimers(IMWindow* window)
{
    int n = 0;
    for (int id = 1; id < 1000; ++id)
        n += window->HasTimer(id) && window->GetTimerInterval(id) == screens::kHelpPageMilliseconds;
    return n;
}

} // namespace

TEST_F(ScreensTest, TheShellsHelpPageClosesByItselfAndLowersTheFlag)
{
    // The shell's own page, as an application without an instruction of its
    // own shows it after Start.
    app->modal = true;
    Dialog* page = new Dialog(app->mainWindow, nullptr, 0);
    bool closed = false;
    page->ConnectClosing([&closed](const IMEvent&) -> long {
        closed = true;
        return 0;
    });
    const double shown = Seconds();
    app->IMApp<App>::ShowInstruction(page);
    Pump(3);
    screens::TextLine* heading = LineWithText(page, L"Справка");
    ASSERT_NE(nullptr, heading);
    RECT r;
    heading->GetRect(&r);
    EXPECT_EQ(400 - (r.right - r.left) / 2, r.left);
    EXPECT_EQ(100, r.top);
    EXPECT_EQ(1, HelpTimers(app->mainWindow));

    while (!closed && Seconds() - shown < 120)
        Pump();
    ASSERT_TRUE(closed);
    // Measured on the clock the window's timers read, never early.
    EXPECT_GE(Seconds() - shown, 4.99);
    EXPECT_FALSE(app->modal);
    EXPECT_EQ(0, HelpTimers(app->mainWindow));
}

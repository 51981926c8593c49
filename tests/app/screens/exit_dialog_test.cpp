// The exit dialog: one at a time, Cancel and Retry, the pointer's display
// count, and the veil and the framed panel as they land on the screen.
#include "app/screens/exit_dialog.h"
#include "app/screens/screens_fixture.h"

using namespace app_test;

namespace {

class ExitDialogTest : public ScreensTest {
protected:
    screens::Button* PanelButton(int index)
    {
        std::vector<Dialog*> panels = ChildrenOf<Dialog>(app->childScreen);
        if (panels.size() != 1)
            return nullptr;
        std::vector<screens::Button*> buttons = ChildrenOf<screens::Button>(panels[0]);
        if (buttons.size() != 3)
            return nullptr;
        return buttons[static_cast<size_t>(index)];
    }
    // A button of the panel, in screen coordinates.
    POINT OnScreen(int index)
    {
        std::vector<Dialog*> panels = ChildrenOf<Dialog>(app->childScreen);
        RECT panel;
        panels.at(0)->GetRect(&panel);
        const POINT c = CentreOf(PanelButton(index));
        return POINT{panel.left + c.x, panel.top + c.y};
    }
};

} // namespace

TEST_F(ExitDialogTest, F12TwiceBuildsOneDialogAndCancelLeavesTheScreenAsItWas)
{
    Dialog* title = ShowTitle();
    Type(L"Оля");
    const int pointer = PointerCount();
    Press(VK_F12);
    Press(VK_F12);
    Dialog* veil = app->childScreen;
    ASSERT_NE(nullptr, veil);
    EXPECT_EQ(2u, app->mainWindow->LiveChildren().size());
    EXPECT_EQ(pointer + 1, PointerCount());

    Click(OnScreen(2));
    Pump();
    EXPECT_EQ(nullptr, app->childScreen);
    EXPECT_EQ(pointer, PointerCount());
    EXPECT_EQ(std::vector<IMControl*>{title}, app->mainWindow->LiveChildren());
    EXPECT_EQ(L"Оля", ChildrenOf<IMEditBar>(title).at(0)->GetText());

    // A later F12 opens a fresh dialog.
    Press(VK_F12);
    EXPECT_NE(nullptr, app->childScreen);
}

TEST_F(ExitDialogTest, RetryOnTheTitleScreenOnlyRemovesTheDialog)
{
    Dialog* title = ShowTitle();
    const int pointer = PointerCount();
    Press(VK_F12);
    Click(OnScreen(0));
    Pump();
    EXPECT_EQ(nullptr, app->childScreen);
    EXPECT_EQ(std::vector<IMControl*>{title}, app->mainWindow->LiveChildren());
    EXPECT_EQ(pointer, PointerCount());
}

TEST_F(ExitDialogTest, RetryDuringARunGoesBackToOneTitleScreenWithThePointerBalanced)
{
    ShowTitle();
    Press(VK_RETURN, L'\r');
    Press(VK_ESCAPE);
    Pump();
    ASSERT_NE(nullptr, app->exerciseDialog);
    const int pointer = PointerCount();
    Press(VK_F12);
    Click(OnScreen(0));
    Pump();
    EXPECT_EQ(pointer, PointerCount());
    EXPECT_EQ(nullptr, app->stepDialog);
    ASSERT_EQ(1u, app->mainWindow->LiveChildren().size());
    EXPECT_EQ(1u, ChildrenOf<IMEditBar>(Top()).size());
}

TEST_F(ExitDialogTest, TheVeilDarkensTheScreenAndThePanelIsFramedInBlack)
{
    ShowTitle();
    const platform::d3d9test::Frame before = Frame();
    Press(VK_F12);
    const platform::d3d9test::Frame after = Frame();
    ASSERT_FALSE(before.Empty());
    ASSERT_FALSE(after.Empty());

    // Black at alpha 75 of 255 over the page: each channel keeps 180/255.
    for (POINT p : {POINT{100, 100}, POINT{700, 550}, POINT{331, 300}, POINT{468, 300}}) {
        for (int shift : {0, 8, 16}) {
            const int was = static_cast<int>((before.At(p.x, p.y) >> shift) & 0xFF);
            const int now = static_cast<int>((after.At(p.x, p.y) >> shift) & 0xFF);
            EXPECT_NEAR(was * 180 / 255, now, 2) << p.x << "," << p.y;
        }
    }
    // The 1-pixel frame of the panel spanning (332, 200) to (468, 400).
    for (POINT p : {POINT{332, 200}, POINT{332, 300}, POINT{332, 399}, POINT{400, 200},
                    POINT{467, 200}, POINT{467, 300}, POINT{467, 399}, POINT{400, 399}})
        EXPECT_EQ(0u, after.At(p.x, p.y) & 0xFFFFFF) << p.x << "," << p.y;
    // Inside the frame the panel's background shows, not the veil.
    EXPECT_NE(0u, after.At(333, 201) & 0xFFFFFF);
    EXPECT_NE(after.At(331, 201), after.At(333, 201));
}

// The exit dialog: one at a time, Cancel, Retry and Close, the pointer's
// display count, typing after it, and the veil and the framed panel as they
// land on the screen.
#include "app/screens/screens_fixture.h"

using namespace app_test;

namespace {

class ExitDialogTest : public ScreensTest {
protected:
    // Retry (0), Close (1) or Cancel (2), in screen coordinates.
    POINT Button(size_t index)
    {
        Dialog* panel = ChildrenOf<Dialog>(app->childScreen).at(0);
        RECT r;
        panel->GetRect(&r);
        const POINT c = CentreOf(ChildrenOf<screens::Button>(panel).at(index));
        return POINT{r.left + c.x, r.top + c.y};
    }
};

} // namespace

TEST_F(ExitDialogTest, F12TwiceBuildsOneCancelLeavesTheTitleScreenAsItWasAndCloseEnds)
{
    Dialog* title = ShowTitle();
    Type(L"Оля");
    const int pointer = PointerCount();
    Press(VK_F12);
    Press(VK_F12);
    ASSERT_NE(nullptr, app->childScreen);
    EXPECT_EQ(2u, app->mainWindow->LiveChildren().size());
    EXPECT_EQ(pointer + 1, PointerCount());
    Click(Button(2));
    EXPECT_EQ(nullptr, app->childScreen);
    EXPECT_EQ(pointer, PointerCount());
    EXPECT_EQ(std::vector<IMControl*>{title}, app->mainWindow->LiveChildren());
    // Typing goes on in the name.
    Type(L"нька");
    EXPECT_EQ(L"Олянька", ChildrenOf<IMEditBar>(title).at(0)->GetText());

    // A fresh dialog; its Close ends the program.
    Press(VK_F12);
    ASSERT_NE(nullptr, app->childScreen);
    EXPECT_FALSE(Click(Button(1)));
}

TEST_F(ExitDialogTest, DuringARunCancelLetsItGoOnAndRetryGoesBackToAFreshTitleScreen)
{
    ShowTitle();
    Type(L"Оля");
    Press(VK_RETURN, L'\r');
    Press(VK_ESCAPE);
    ASSERT_NE(nullptr, app->exerciseDialog);
    Dialog* run = app->stepDialog;
    ASSERT_NE(nullptr, run);
    const int pointer = PointerCount();
    Press(VK_F12);
    Click(Button(2));
    EXPECT_EQ(run, app->stepDialog);
    EXPECT_EQ(std::vector<IMControl*>{run}, app->mainWindow->LiveChildren());
    EXPECT_NE(nullptr, app->bubble);

    Press(VK_F12);
    Click(Button(0));
    EXPECT_EQ(pointer, PointerCount());
    EXPECT_EQ(nullptr, app->stepDialog);
    ASSERT_EQ(1u, app->mainWindow->LiveChildren().size());
    // A new title screen: the name bar empty and taking what is typed.
    const std::vector<IMEditBar*> name = ChildrenOf<IMEditBar>(Top());
    ASSERT_EQ(1u, name.size());
    EXPECT_EQ(L"", name[0]->GetText());
    Type(L"Аня");
    EXPECT_EQ(L"Аня", name[0]->GetText());
}

TEST_F(ExitDialogTest, TheVeilDarkensTheScreenAndThePanelIsFramedInBlack)
{
    ShowTitle();
    const platform::d3d9test::Frame before = Frame();
    Press(VK_F12);
    const platform::d3d9test::Frame after = Frame();
    ASSERT_FALSE(before.Empty() || after.Empty());
    // Black at alpha 75 of 255 over the page: each channel keeps 180/255.
    for (POINT p : {POINT{100, 100}, POINT{700, 550}, POINT{331, 300}, POINT{468, 300}})
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(static_cast<int>((before.At(p.x, p.y) >> shift) & 0xFF) * 180 / 255,
                        static_cast<int>((after.At(p.x, p.y) >> shift) & 0xFF), 2)
                << p.x << "," << p.y;
    // The 1-pixel frame of the panel spanning (332, 200) to (468, 400).
    for (POINT p : {POINT{332, 200}, POINT{332, 399}, POINT{400, 200}, POINT{467, 300},
                    POINT{467, 399}, POINT{400, 399}})
        EXPECT_EQ(0u, after.At(p.x, p.y) & 0xFFFFFF) << p.x << "," << p.y;
    // Inside it the panel's own background, undarkened.
    EXPECT_NE(after.At(331, 201), after.At(333, 201));
    EXPECT_NE(0u, after.At(333, 201) & 0xFFFFFF);
}

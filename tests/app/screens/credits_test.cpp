// The credits overlay: Ctrl+I only with Ctrl and in either layout, one at a
// time, again after Exit, above the exit dialog, and the pointer's display
// count given back.
#include "app/screens/credits.h"
#include "app/screens/screens_fixture.h"

using namespace app_test;

namespace {

class CreditsTest : public ScreensTest {
protected:
    int Overlays()
    {
        int n = 0;
        for (Dialog* d : ChildrenOf<Dialog>(app->mainWindow))
            n += ChildrenOf<screens::TextLine>(d).size() == screens::kCreditLineCount;
        return n;
    }
    void ExitOverlay()
    {
        Click(CentreOf(ChildrenOf<screens::Button>(Top()).at(0)));
        ASSERT_EQ(0, Overlays());
    }
};

} // namespace

TEST_F(CreditsTest, CtrlIOpensOneOverlayInEitherLayoutAndGivesThePointerBack)
{
    ShowTitle();
    // Over the title screen the pointer shows, and shows again after the credits.
    const int shown = PointerCount();
    ASSERT_GE(shown, 0);
    KeyI(false);
    EXPECT_EQ(0, Overlays());
    KeyI(true);
    KeyI(true);
    ASSERT_EQ(1, Overlays());
    EXPECT_EQ(L"Ольмарис", ChildrenOf<screens::TextLine>(Top()).at(0)->GetText());
    EXPECT_GE(PointerCount(), 2);
    ExitOverlay();
    EXPECT_EQ(shown, PointerCount());
    // Typing goes on in the name below.
    Type(L"Аня");
    EXPECT_EQ(L"Аня", ChildrenOf<IMEditBar>(Top()).at(0)->GetText());

    // The Cyrillic layout puts "ш" on the key: the key, and Ctrl+I, stay.
    // The pointer shows over the credits however often it was hidden below
    // (as a running instruction hides it), and is hidden again after.
    int hides = 0;
    for (; PointerCount() >= -1; ++hides)
        ShowCursor(FALSE);
    const int hidden = PointerCount();
    KeyI(true, 0x0448);
    EXPECT_EQ(1, Overlays());
    EXPECT_GE(PointerCount(), 2);
    ExitOverlay();
    EXPECT_EQ(hidden, PointerCount());
    while (hides-- > 0)
        ShowCursor(TRUE);
}

TEST_F(CreditsTest, F12UnderTheCreditsBuildsTheExitDialogBeneathThem)
{
    ShowTitle();
    KeyI(true);
    Dialog* overlay = Top();
    Press(VK_F12);
    ASSERT_NE(nullptr, app->childScreen);
    // Painted last, the overlay covers the dialog until it is closed.
    EXPECT_EQ(overlay, Top());
    ExitOverlay();
    EXPECT_EQ(app->childScreen, Top());
}

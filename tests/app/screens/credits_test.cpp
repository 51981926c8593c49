// The credits overlay: Ctrl+I only with Ctrl and in any layout, one at a
// time, again after Exit, above the exit dialog, and the pointer's display
// count given back.
#include "app/screens/credits.h"
#include "app/screens/screens_fixture.h"

using namespace app_test;

namespace {

class CreditsTest : public ScreensTest {
protected:
    Dialog* Overlay()
    {
        Dialog* top = Top();
        return top && ChildrenOf<screens::TextLine>(top).size() == 15 ? top : nullptr;
    }
    void ExitOverlay()
    {
        Click(CentreOf(ChildrenOf<screens::Button>(Overlay()).at(0)));
        Pump();
    }
    int Overlays()
    {
        int n = 0;
        for (IMControl* child : app->mainWindow->LiveChildren())
            if (Dialog* d = dynamic_cast<Dialog*>(child))
                n += ChildrenOf<screens::TextLine>(d).size() == 15;
        return n;
    }
};

} // namespace

TEST_F(CreditsTest, CtrlIOpensOneOverlayInEitherLayoutAndAgainAfterExit)
{
    ShowTitle();
    const int pointer = PointerCount();
    PlainI();
    EXPECT_EQ(0, Overlays());

    CtrlI();
    ASSERT_NE(nullptr, Overlay());
    EXPECT_EQ(L"Ольмарис", ChildrenOf<screens::TextLine>(Overlay()).at(0)->GetText());
    EXPECT_GE(PointerCount(), 2);
    CtrlI();
    EXPECT_EQ(1, Overlays());

    ExitOverlay();
    EXPECT_EQ(0, Overlays());
    EXPECT_EQ(pointer, PointerCount());

    // The Cyrillic layout puts "ш" on the key: the key, and so Ctrl+I, is the same.
    CtrlI(0x0448);
    EXPECT_EQ(1, Overlays());
    ExitOverlay();
    EXPECT_EQ(pointer, PointerCount());
}

TEST_F(CreditsTest, AHiddenPointerShowsOverTheCreditsAndIsHiddenAgainAfter)
{
    ShowTitle();
    ShowCursor(FALSE);
    ShowCursor(FALSE);
    const int hidden = PointerCount();
    CtrlI();
    ASSERT_NE(nullptr, Overlay());
    EXPECT_GE(PointerCount(), 0);
    ExitOverlay();
    EXPECT_EQ(hidden, PointerCount());
    ShowCursor(TRUE);
    ShowCursor(TRUE);
}

TEST_F(CreditsTest, F12UnderTheCreditsBuildsTheExitDialogBeneathThem)
{
    ShowTitle();
    CtrlI();
    Dialog* overlay = Overlay();
    ASSERT_NE(nullptr, overlay);
    Press(VK_F12);
    ASSERT_NE(nullptr, app->childScreen);
    // Painted last, the overlay covers the dialog until it is closed.
    EXPECT_EQ(overlay, Top());
    ExitOverlay();
    EXPECT_EQ(app->childScreen, Top());
}

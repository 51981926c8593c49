// The mouse demonstration: its pictures, textures and sound shared by two
// demonstrations, and one click with its sound.
#include "app/screens/instruction_fixture.h"

using namespace app_test;
using namespace screens;

namespace {

const wchar_t* const kTextures[] = {L"MOUSE_M",     L"MOUSE_MB", L"MOUSE_MB_PR", L"MOUSE_MB_R1",
                                    L"MOUSE_MB_R2", L"MOUSE_ML", L"MOUSE_MR",    L"CURSOR"};

class MouseDemonstration : public InstructionTest {
protected:
    void SetUp() override
    {
        InstructionTest::SetUp();
        dialog = new Dialog(app->mainWindow, nullptr, 0);
    }

    bool AnyTextureRegistered()
    {
        for (const wchar_t* name : kTextures)
            if (Manager().FindTexture(name) != Manager().SlotCount())
                return true;
        return false;
    }

    IMControl* ClickAnimation()
    {
        IMControl* click = nullptr;
        return ChildrenAtDepth(dialog, CursorMouse::kDepth + 1, &click) == 1 ? click : nullptr;
    }

    Dialog* dialog = nullptr;
};

} // namespace

TEST_F(MouseDemonstration, ASecondDemonstrationSharesTexturesAndSoundAndReleaseGivesThemBack)
{
    ASSERT_FALSE(AnyTextureRegistered());
    CursorMouse* first = new CursorMouse(dialog);
    CursorMouse* second = new CursorMouse(dialog);
    Pump();
    EXPECT_NE(0ul, first->clickSound);
    EXPECT_EQ(first->clickSound, second->clickSound);
    EXPECT_EQ(46, RectOf(first->mouse).right - RectOf(first->mouse).left);

    first->Release();
    delete first;
    EXPECT_NE(Manager().FindTexture(L"MOUSE_MB"), Manager().SlotCount());
    second->Release();
    delete second;
    Pump(2);
    EXPECT_FALSE(AnyTextureRegistered());
}

TEST_F(MouseDemonstration, AClickCoversTheMouseForOneFrameWithOneClickSound)
{
    CursorMouse demo(dialog);
    Pump();
    demo.mouse->SetPosition(461, 357);
    demo.Click();
    EXPECT_TRUE(Manager().IsPlaying(demo.clickSound));
    EXPECT_EQ(1, demo.clickCount);
    Pump();
    IMControl* click = ClickAnimation();
    ASSERT_NE(nullptr, click);
    const RECT r = RectOf(click);
    EXPECT_EQ(461, r.left);
    EXPECT_EQ(357, r.top);
    EXPECT_EQ(46, r.right - r.left);
    EXPECT_EQ(79, r.bottom - r.top);

    // The pressed frame, then the mouse at rest, then the animation closes.
    ASSERT_TRUE(PumpUntil([&] { return ClickAnimation() == nullptr; }));
    // A pass stands for less than a frame: both frames' changes are seen,
    // the click sound only at the first.
    EXPECT_EQ(2, demo.clickCount);
    demo.Release();
}

// The instruction screen: what it builds, how its bubbles drift, what each
// label of the voice does, its one ending with the keyboard page, and the
// keyboard page's blinking space bar and Space.
#include "app/screens/instruction_fixture.h"
#include "app/screens/instruction_screen.h"
#include "app/screens/keyboard_page.h"
#include "framework/sound/CSoundSystem.h"

using namespace app_test;

namespace {

typedef IMStaticPictureBase<IMTextureView> Picture;

class InstructionScreen : public InstructionTest {
protected:
    // The voice's end, as its stop notification brings it.
    void EndVoice()
    {
        Manager().Stop(app->instructionVoice);
        ASSERT_TRUE(PumpUntil([&] { return app->instructionEnded; }));
    }
};

} // namespace

TEST_F(InstructionScreen, ElevenTranslucentBubblesListedLastMadeFirstAndAHiddenDemonstration)
{
    Dialog* dialog = StartInstruction();
    ASSERT_NE(nullptr, dialog);
    ASSERT_EQ(11u, app->driftingPictures.size());
    const RECT last = RectOf(app->driftingPictures[0].picture);
    const RECT ninth = RectOf(app->driftingPictures[2].picture);
    const RECT first = RectOf(app->driftingPictures[10].picture);
    EXPECT_EQ(534, last.left);
    EXPECT_EQ(629, last.bottom);
    EXPECT_EQ(280, ninth.left);
    EXPECT_EQ(200, ninth.top);
    EXPECT_EQ(556, ninth.right);
    EXPECT_EQ(456, ninth.bottom);
    EXPECT_EQ(50, first.left);
    EXPECT_EQ(0xA5FFFFFFu, app->driftingPictures[2].picture->colour);

    EXPECT_TRUE(app->demonstration->mouse->IsHidden());
    EXPECT_TRUE(app->demonstration->pointer->IsHidden());
    EXPECT_TRUE(Manager().IsPlaying(app->instructionVoice));
    EXPECT_LT(CursorCount(), 0);
    EXPECT_TRUE(app->modal);
}

TEST_F(InstructionScreen, BubblesDriftToTheNearestPixel)
{
    Dialog* dialog = new Dialog(app->mainWindow, nullptr, 0);
    DriftingPictures list;
    MakeDriftingPictures(dialog, &list);
    // The second picture made (100, 100) steps -0.1 down; the fourth
    // (530, 98) steps -0.5 across.
    BubblesStruct& second = list[9];
    BubblesStruct& fourth = list[7];
    DriftOnce(&list);
    EXPECT_EQ(100, RectOf(second.picture).top);  // 99.9
    EXPECT_EQ(530, RectOf(fourth.picture).left); // 529.5
    for (int i = 0; i < 5; ++i)
        DriftOnce(&list);
    EXPECT_EQ(99, RectOf(second.picture).top); // 99.4
    EXPECT_EQ(527, RectOf(fourth.picture).left);
    EXPECT_EQ(RectOf(second.picture).right - RectOf(second.picture).left, 276);
}

TEST_F(InstructionScreen, TheLabelsGlideClickBurstAndClear)
{
    Dialog* dialog = StartInstruction();
    Pump();
    CursorMouse* demo = app->demonstration;
    Label(dialog, kLabelGlide);
    EXPECT_FALSE(demo->pointer->IsHidden());
    EXPECT_FALSE(demo->mouse->IsHidden());
    ASSERT_TRUE(PumpUntil([&] { return RectOf(demo->mouse).left == 461; }));

    Label(dialog, kLabelClick);
    EXPECT_EQ(451, RectOf(demo->pointer).left);
    EXPECT_EQ(357, RectOf(demo->mouse).top);
    EXPECT_EQ(1, demo->clickCount);

    Picture* bubble = app->driftingPictures[2].picture;
    Label(dialog, kLabelBurst1);
    EXPECT_EQ(Manager().FindTexture(L"108"), bubble->GetTextureId());
    Label(dialog, kLabelBurst2);
    EXPECT_EQ(Manager().FindTexture(L"109"), bubble->GetTextureId());
    Label(dialog, kLabelPopped);
    EXPECT_EQ(10u, app->driftingPictures.size());
    Pump();
    EXPECT_FALSE(dialog->IsLiveChild(bubble));

    Label(dialog, 17000); // no label stands there
    EXPECT_EQ(10u, app->driftingPictures.size());
    Label(dialog, kLabelClear);
    EXPECT_TRUE(app->driftingPictures.empty());
    ASSERT_TRUE(PumpUntil([&] { return app->driftTimer == 0; }));
    EXPECT_EQ(1, ChildrenAtDepth(dialog, 0)); // the background
}

TEST_F(InstructionScreen, TheVoicesEndLeadsToTheKeyboardPageOnceAndShowsThePointer)
{
    Dialog* dialog = StartInstruction();
    const int driftTimer = app->driftTimer;
    EndVoice();
    EXPECT_EQ(nullptr, app->demonstration);
    EXPECT_FALSE(app->mainWindow->HasTimer(driftTimer));
    EXPECT_EQ(cursorAtStart, CursorCount());
    Pump();
    EXPECT_EQ(3, ChildrenAtDepth(dialog, kKeyboardPageDepth));

    // The closing binding comes later: nothing more happens.
    app->EndInstruction(0, app->instructionVoice, dialog, app->instructionNumber);
    Pump();
    EXPECT_EQ(3, ChildrenAtDepth(dialog, kKeyboardPageDepth));
    EXPECT_EQ(cursorAtStart, CursorCount());

    // A label posted before the end finds the demonstration gone.
    const size_t bubbles = app->driftingPictures.size();
    Label(dialog, kLabelClick);
    Label(dialog, kLabelPopped);
    EXPECT_EQ(bubbles, app->driftingPictures.size());
}

TEST_F(InstructionScreen, TheSpaceBarBlinksAndSpaceClosesThePageAndStartsTheRun)
{
    Dialog* dialog = StartInstruction();
    EndVoice();
    Pump();
    IMControl* spaceBar = nullptr;
    for (IMControl* child : dialog->LiveChildren())
        if (dialog->FindChildDepth(child) == kKeyboardPageDepth)
            spaceBar = child; // made last
    ASSERT_NE(nullptr, spaceBar);
    EXPECT_EQ(237, RectOf(spaceBar).left);
    EXPECT_EQ(502, RectOf(spaceBar).top);
    const bool hidden = spaceBar->IsHidden();
    ASSERT_TRUE(PumpUntil([&] { return spaceBar->IsHidden() != hidden; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return spaceBar->IsHidden() == hidden; }, 5000));

    KeyDown('A');
    Pump(2);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
    EXPECT_TRUE(app->modal);
    KeyDown(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog != nullptr; }));
    EXPECT_FALSE(app->modal);
    EXPECT_FALSE(app->mainWindow->IsLiveChild(dialog));
}

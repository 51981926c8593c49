// The instruction screen: what it builds, what each label of the voice
// does, and its one ending with the keyboard page.
#include "app/screens/instruction_fixture.h"
#include "app/screens/instruction_screen.h"
#include "app/screens/keyboard_page.h"
#include "framework/sound/CSoundSystem.h"

using namespace app_test;
using namespace screens;

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
    // The ninth made, third in the list, lies under the demonstration's target.
    const RECT ninth = RectOf(app->driftingPictures[2].picture);
    EXPECT_EQ(280, ninth.left);
    EXPECT_EQ(456, ninth.bottom);
    EXPECT_EQ(50, RectOf(app->driftingPictures[10].picture).left);
    EXPECT_EQ(0xA5FFFFFFu, app->driftingPictures[2].picture->colour);

    EXPECT_TRUE(app->demonstration->mouse->IsHidden());
    EXPECT_TRUE(app->demonstration->pointer->IsHidden());
    EXPECT_TRUE(Manager().IsPlaying(app->instructionVoice));
    EXPECT_LT(CursorCount(), 0);
    EXPECT_TRUE(app->modal);
}

TEST_F(InstructionScreen, TheLabelsGlideClickBurstAndClear)
{
    Dialog* dialog = StartInstruction();
    Pump();
    // The demonstration is asked for each time: the screen deletes it when
    // the instruction ends.
    auto demo = [this] { return app->demonstration; };
    Label(dialog, kLabelGlide);
    EXPECT_FALSE(demo()->pointer->IsHidden());
    EXPECT_FALSE(demo()->mouse->IsHidden());
    ASSERT_TRUE(PumpUntil([&] { return RectOf(demo()->mouse).left == 461; }));

    Label(dialog, kLabelClick);
    EXPECT_EQ(451, RectOf(demo()->pointer).left);
    EXPECT_EQ(357, RectOf(demo()->mouse).top);
    EXPECT_EQ(1, demo()->clickCount);

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

TEST_F(InstructionScreen, TheVoicesEndLeadsOnceToTheKeyboardPageWhichSpaceCloses)
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

    // The space bar, made last, blinks; another key leaves the page, Space
    // closes it and the run starts.
    auto spaceBar = [&] {
        IMControl* last = nullptr;
        ChildrenAtDepth(dialog, kKeyboardPageDepth, &last);
        return last;
    };
    ASSERT_NE(nullptr, spaceBar());
    EXPECT_EQ(237, RectOf(spaceBar()).left);
    const bool hidden = spaceBar()->IsHidden();
    ASSERT_TRUE(PumpUntil([&] { return spaceBar() && spaceBar()->IsHidden() != hidden; }, 5000));
    KeyDown('A');
    Pump(2);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
    KeyDown(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog != nullptr; }));
    EXPECT_FALSE(app->modal);
}

// The instruction under the shell's keys: Esc skips it (also in the middle
// of the click) and starts the run, Space does nothing while the voice
// speaks, F1 does nothing during it and replays it afterwards, the pointer
// comes back as it was.
#include "app/screens/instruction_fixture.h"
#include "app/screens/instruction_screen.h"
#include "app/screens/keyboard_page.h"
#include "framework/sound/CSoundSystem.h"

using namespace app_test;
using namespace screens;

namespace {

class InstructionKeys : public InstructionTest {
protected:
    // Esc on the instruction after Start: the run is on the screen.
    void SkipWithEsc()
    {
        KeyDown(VK_ESCAPE);
        ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog != nullptr; }));
    }
};

} // namespace

TEST_F(InstructionKeys, SpaceAndF1DoNothingWhileTheVoiceSpeaksEscStartsTheRun)
{
    Dialog* dialog = StartInstruction();
    const int instruction = app->instructionNumber;
    KeyDown(VK_SPACE);
    KeyDown(VK_F1);
    Pump(3);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
    EXPECT_EQ(instruction, app->instructionNumber);
    EXPECT_EQ(0, app->f1Count);

    // Esc before the demonstration.
    SkipWithEsc();
    EXPECT_FALSE(app->modal);
    EXPECT_TRUE(app->instructionEnded);
    EXPECT_EQ(nullptr, app->demonstration);
    EXPECT_FALSE(Manager().IsPlaying(app->instructionVoice));
    EXPECT_GE(CursorCount(), 0);
    Pump(2);
    EXPECT_FALSE(app->mainWindow->IsLiveChild(dialog));
    // Never shown, and given back: no picture or reference holds them.
    EXPECT_EQ(Manager().SlotCount(), Manager().FindTexture(L"MOUSE_MB_R2"));
    EXPECT_EQ(Manager().SlotCount(), Manager().FindTexture(L"CURSOR"));
    // No keyboard page came, and none comes with the voice's stop.
    EXPECT_EQ(Manager().SlotCount(), Manager().FindTexture(L"KEYBOARDPIC"));
}

TEST_F(InstructionKeys, EscDuringTheClickEndsTheClickWithTheDialog)
{
    Dialog* dialog = StartInstruction();
    Pump();
    Label(dialog, kLabelGlide);
    Label(dialog, kLabelClick);
    SkipWithEsc();
    const DWORD start = timeGetTime();
    PumpUntil([&] { return timeGetTime() - start > 600; });
    EXPECT_FALSE(app->mainWindow->IsLiveChild(dialog));
    EXPECT_EQ(Manager().SlotCount(), Manager().FindTexture(L"MOUSE_ML"));
}

TEST_F(InstructionKeys, F1AfterwardsReplaysWithTheSameVoiceAndLabelsAndTheNextKeyEndsIt)
{
    StartInstruction();
    const unsigned long voice = app->instructionVoice;
    SkipWithEsc();
    const int cursorInRun = CursorCount();

    KeyDown(VK_F1);
    ASSERT_TRUE(PumpUntil([&] { return app->demonstration != nullptr; }));
    Dialog* replay = app->demonstration->dialog;
    EXPECT_EQ(1, app->f1Count);
    EXPECT_EQ(voice, app->instructionVoice);
    EXPECT_TRUE(Manager().IsPlaying(voice));
    EXPECT_EQ(6u, Manager().FindStream(voice)->ArmedLabelCount());
    EXPECT_LT(CursorCount(), 0);

    KeyDown('Z');
    ASSERT_TRUE(PumpUntil([&] { return !app->mainWindow->IsLiveChild(replay); }));
    EXPECT_FALSE(app->modal);
    EXPECT_TRUE(app->instructionEnded);
    EXPECT_EQ(cursorInRun, CursorCount());
}

TEST_F(InstructionKeys, AReplayRightAfterEscIsNotEndedByTheStoppedVoice)
{
    StartInstruction();
    // Both keys in one drain: the stopped voice's end is handled after the
    // replay has started the same voice again.
    KeyDown(VK_ESCAPE);
    KeyDown(VK_F1);
    ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog && app->demonstration; }));
    Dialog* replay = app->demonstration->dialog;
    const DWORD start = timeGetTime();
    PumpUntil([&] { return timeGetTime() - start > 300; });
    EXPECT_FALSE(app->instructionEnded);
    EXPECT_TRUE(Manager().IsPlaying(app->instructionVoice));
    // Looked into only while the window still holds it.
    ASSERT_TRUE(app->mainWindow->IsLiveChild(replay));
    EXPECT_EQ(0, ChildrenAtDepth(replay, kKeyboardPageDepth));
}

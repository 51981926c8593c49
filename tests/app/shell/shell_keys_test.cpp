// Keys of the main window: F1 replays and counts the instruction, Esc starts
// the step from the instruction shown after Start, F12 opens the exit dialog.
#include "app/shell/shell_fixture.h"

using namespace app_test;

namespace {

class ShellKeysTest : public ShellTest {
protected:
    // The instruction after Start, closed with Esc: the step runs.
    void StartStep()
    {
        app->ShowInstructionDialog();
        KeyDown(VK_ESCAPE);
        Pump();
        ASSERT_EQ(1u, app->stepDialogs.size());
    }
};

} // namespace

TEST_F(ShellKeysTest, EscClosesTheInstructionAfterStartAndStartsTheStep)
{
    app->ShowInstructionDialog();
    EXPECT_TRUE(app->modal);
    ASSERT_EQ(1u, app->instructions.size());
    KeyDown('A');
    Pump();
    EXPECT_TRUE(app->stepDialogs.empty());
    KeyDown(VK_ESCAPE);
    Pump(2);
    EXPECT_FALSE(app->modal);
    EXPECT_EQ(1u, app->stepDialogs.size());
    EXPECT_FALSE(app->mainWindow->IsLiveChild(app->instructions[0]));
    // Esc at other times starts nothing more.
    KeyDown(VK_ESCAPE);
    Pump(2);
    EXPECT_EQ(1u, app->stepDialogs.size());
}

TEST_F(ShellKeysTest, F1DuringTheInstructionAfterStartDoesNothing)
{
    app->ShowInstructionDialog();
    KeyDown(VK_F1);
    Pump();
    EXPECT_EQ(1u, app->instructions.size());
    EXPECT_EQ(0, app->f1Count);
}

TEST_F(ShellKeysTest, TheNextKeyDownEndsAReplayAndASecondF1IsNotCounted)
{
    StartStep();
    KeyDown(VK_F1);
    Pump();
    ASSERT_EQ(2u, app->instructions.size());
    EXPECT_TRUE(app->modal);
    EXPECT_EQ(1, app->f1Count);
    IMDialogBase<IMEmptyView>* replay = app->instructions[1];
    Pump();
    EXPECT_TRUE(app->mainWindow->IsLiveChild(replay));

    // F1 again (a held key's first repeat too) ends the replay and starts none.
    KeyDown(VK_F1);
    Pump(2);
    EXPECT_FALSE(app->modal);
    EXPECT_FALSE(app->mainWindow->IsLiveChild(replay));
    EXPECT_EQ(2u, app->instructions.size());
    EXPECT_EQ(1, app->f1Count);

    // A later F1 replays again; any key ends it. Closing a replay starts no step.
    KeyDown(VK_F1);
    KeyDown('Q');
    Pump(2);
    EXPECT_EQ(3u, app->instructions.size());
    EXPECT_FALSE(app->modal);
    EXPECT_EQ(2, app->f1Count);
    EXPECT_EQ(1u, app->stepDialogs.size());
}

TEST_F(ShellKeysTest, OnlyF1PressesDuringTheStepAreCountedInItsRow)
{
    app->CreateWorkbook(L"Сидоров");
    KeyDown(VK_F1); // on the title screen: replayed, then reset when the step starts
    KeyDown(VK_SPACE);
    Pump();
    EXPECT_EQ(1, app->f1Count);
    StartStep();
    EXPECT_EQ(0, app->f1Count);
    for (int i = 0; i < 3; ++i) {
        KeyDown(VK_F1);
        KeyDown(VK_SPACE);
        Pump();
    }
    app->stepDialogs[0]->Close();
    app->SaveWorkbookDefault();
    const std::vector<SheetRow> rows = SavedRows(L"Сидоров");
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ((SheetRow{L"String:Количество дополнительных вызовов инструкций", L"Number:3"}),
              rows[1]);
}

TEST_F(ShellKeysTest, F12OpensOneExitDialog)
{
    KeyDown(VK_F12);
    Pump();
    IMDialogBase<IMEmptyView>* exitDialog = app->childScreen;
    ASSERT_NE(nullptr, exitDialog);
    KeyDown(VK_F12);
    Pump();
    EXPECT_EQ(exitDialog, app->childScreen);
    app->CloseChildDialog();
    EXPECT_EQ(nullptr, app->childScreen);
    KeyDown(VK_F12);
    Pump();
    EXPECT_NE(nullptr, app->childScreen);
}

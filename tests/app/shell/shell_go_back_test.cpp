// Retry in the exit dialog: back to the title screen, from a step or not.
#include "app/shell/shell_fixture.h"

using namespace app_test;

TEST_F(ShellTest, GoBackWithoutAStepOnlyClosesTheExitDialog)
{
    IMApp<ShellApp>::ShowEndDialog(app);
    ASSERT_NE(nullptr, app->childScreen);
    EXPECT_EQ(1, app->GoBack());
    EXPECT_EQ(nullptr, app->childScreen);
    EXPECT_EQ(0, app->titleScreens);
    EXPECT_EQ(0, app->resultsScreens);
}

TEST_F(ShellTest, GoBackAbandonsTheStepForTheTitleScreenWithoutAResultsScreen)
{
    app->CreateWorkbook(L"Иванов");
    app->RunNextStep();
    Pump();
    IMApp<ShellApp>::ShowEndDialog(app);
    Pump();
    EXPECT_EQ(0, app->GoBack());
    EXPECT_EQ(nullptr, app->childScreen);
    EXPECT_EQ(nullptr, app->stepDialog);
    EXPECT_EQ(1, app->titleScreens);
    EXPECT_EQ(0, app->resultsScreens);
    EXPECT_EQ(L"Dialog1", app->CurrentStep());
    Pump();
    EXPECT_TRUE(app->mainWindow->LiveChildren().empty());

    // The abandoned run's block of rows is closed all the same, and saved.
    EXPECT_FALSE(app->HasUnsavedResults());
    const std::vector<SheetRow> rows = SavedRows(L"Иванов");
    ASSERT_EQ(4u, rows.size());
    EXPECT_TRUE(rows[3].empty());
}

TEST_F(ShellTest, AfterARunHasEndedRetryFindsNoStep)
{
    app->RunNextStep();
    app->stepDialogs[0]->Close();
    IMApp<ShellApp>::ShowEndDialog(app);
    EXPECT_EQ(1, app->GoBack());
    EXPECT_EQ(0, app->titleScreens);
}

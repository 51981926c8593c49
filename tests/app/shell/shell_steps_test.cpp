// The step driver: the start-time row, the step dialog, the closing rows and
// the results screen, in the workbook and on the screen.
#include "app/shell/shell_fixture.h"

#include <regex>

using namespace app_test;

namespace {

// "String:07-March-2011 09:05"
bool IsStartTime(const std::wstring& cell)
{
    static const std::wregex form(
        L"String:[0-3][0-9]-(January|February|March|April|May|June|July|August|September|"
        L"October|November|December)-[0-9]{4} [0-2][0-9]:[0-5][0-9]");
    return std::regex_match(cell, form);
}

} // namespace

TEST_F(ShellTest, InstanceWithoutANameLeavesTheCountAlone)
{
    EXPECT_EQ(1, IMApp<ShellApp>::ReferenceCount());
    EXPECT_EQ(app, &IMApp<ShellApp>::Instance());
    EXPECT_EQ(1, IMApp<ShellApp>::ReferenceCount());
    EXPECT_EQ(kName, app->instanceName);
    ASSERT_NE(nullptr, app->mainWindow);
    EXPECT_EQ(L"Dialog1", app->CurrentStep());

    IMApp<ShellApp>::Release();
    EXPECT_EQ(nullptr, IMApp<ShellApp>::Existing());
    EXPECT_EQ(nullptr, IMWindow::Instance());
}

TEST_F(ShellTest, ARunWritesItsRowsInOrderAndEndsWithAnEmptyRow)
{
    app->CreateWorkbook(L"Петров");
    app->RunNextStep();
    ASSERT_EQ(1u, app->stepDialogs.size());
    IMDialogBase<IMEmptyView>* dialog = app->stepDialogs[0];
    EXPECT_EQ(dialog, app->stepDialog);
    EXPECT_EQ(L"", app->CurrentStep());
    Pump();
    EXPECT_EQ(dialog, app->mainWindow->GetFocusedChild());

    app->AddResultRow(L"Число промахов", L"2", L"Number");
    dialog->Close();
    EXPECT_EQ(nullptr, app->stepDialog);
    EXPECT_EQ(1, app->resultsScreens);
    EXPECT_EQ(L"Dialog1", app->CurrentStep());

    app->SaveWorkbookDefault();
    const std::vector<SheetRow> rows = SavedRows(L"Петров");
    ASSERT_EQ(5u, rows.size());
    ASSERT_EQ(2u, rows[0].size());
    EXPECT_EQ(L"String:Время начала работы с упражнением", rows[0][0]);
    EXPECT_TRUE(IsStartTime(rows[0][1])) << platform::WideToUtf8(rows[0][1]);
    EXPECT_EQ((SheetRow{L"String:Число промахов", L"Number:2"}), rows[1]);
    EXPECT_EQ((SheetRow{L"String:Количество дополнительных вызовов инструкций", L"Number:0"}),
              rows[2]);
    // Whole seconds of the clock: a run this short may still cross one.
    ASSERT_EQ(2u, rows[3].size());
    EXPECT_EQ(L"String:Общее время работы с упражнением. с.", rows[3][0]);
    EXPECT_TRUE(rows[3][1] == L"Number:0" || rows[3][1] == L"Number:1")
        << platform::WideToUtf8(rows[3][1]);
    EXPECT_TRUE(rows[4].empty());
}

TEST_F(ShellTest, EnterOnTheResultsScreenRunsTheStepAgainInTheSameWorkbook)
{
    app->CreateWorkbook(L"Петров");
    app->RunNextStep();
    app->stepDialogs.back()->Close();
    IMDialogBase<IMEmptyView> results(nullptr, nullptr, 0);
    app->OnAcceptRunNextStep(IMKeyboardEvent(nullptr, WM_KEYDOWN, VK_SPACE, 0), &results);
    EXPECT_EQ(1u, app->stepDialogs.size());
    app->OnAcceptRunNextStep(IMKeyboardEvent(nullptr, WM_KEYDOWN, VK_RETURN, 0), &results);
    ASSERT_EQ(2u, app->stepDialogs.size());
    app->stepDialogs.back()->Close();
    app->SaveWorkbookDefault();
    const std::vector<SheetRow> rows = SavedRows(L"Петров");
    ASSERT_EQ(8u, rows.size());
    EXPECT_TRUE(rows[3].empty());
    EXPECT_EQ(L"String:Время начала работы с упражнением", rows[4][0]);
    EXPECT_TRUE(rows[7].empty());
}

TEST_F(ShellTest, WithoutAPupilNameNothingIsWritten)
{
    app->CreateWorkbook(L"");
    EXPECT_EQ(nullptr, app->workbook);
    app->RunNextStep();
    app->AddResultRow(L"Число промахов", L"2", L"Number");
    app->stepDialogs.back()->Close();
    EXPECT_EQ(1, app->resultsScreens);
    app->mainWindow->Close();
    IMApp<ShellApp>::Release();
    EXPECT_FALSE(FileExists(platform::WideToUtf8(dataHome.ResultsFile())));
}

// The results file: its folder, when it is written, and that no run's rows
// are lost however the program ends or a new Start replaces the workbook.
#include "app/shell/shell_fixture.h"

#include "app/shell/results_folder.h"

using namespace app_test;

namespace {

void WriteOneRow(ShellApp* app, const wchar_t* value)
{
    app->AddResultRow(L"Число промахов", value, L"Number");
}

} // namespace

TEST_F(ShellTest, TheResultsFolderIsMadeWhenMissing)
{
    const std::string folder = dataHome.Folder() + "/ZEMT";
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_EQ(platform::Utf8ToWide(folder) + L"/", ResultsFolder());
    EXPECT_TRUE(FolderExists(folder));
    // Found the second time.
    EXPECT_EQ(platform::Utf8ToWide(folder) + L"/" + kName + L".xls", ResultsPath(kName));
}

TEST_F(ShellTest, ARelativeDataFolderIsIgnoredAndTheCurrentDirectoryNeverUsed)
{
    // A relative $XDG_DATA_HOME: the home folder's data folder instead.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", dataHome.Folder().c_str(), 1);
    EXPECT_EQ(platform::Utf8ToWide(dataHome.Folder()) + L"/.local/share/ZEMT/name.xls",
              ResultsPath(L"name"));
    EXPECT_TRUE(FolderExists(dataHome.Folder() + "/.local/share/ZEMT"));
    if (!home.empty())
        ::setenv("HOME", home.c_str(), 1);
}

TEST_F(ShellTest, TheFirstStartWithANameMakesTheFolderButWritesNothingYet)
{
    app->CreateWorkbook(L"Петров");
    ASSERT_NE(nullptr, app->workbook);
    EXPECT_TRUE(FolderExists(dataHome.Folder() + "/ZEMT"));
    EXPECT_FALSE(FileExists(platform::WideToUtf8(dataHome.ResultsFile())));
    EXPECT_EQ(dataHome.ResultsFile(), app->workbook->GetFileName());
}

TEST_F(ShellTest, TheCloseButtonsSaveThroughTheClosingSignal)
{
    app->CreateWorkbook(L"Петров");
    WriteOneRow(app, L"1");
    app->mainWindow->Close();
    EXPECT_FALSE(app->HasUnsavedResults());
    EXPECT_EQ(1u, SavedRows(L"Петров").size());
    EXPECT_FALSE(Pump(3));
}

TEST_F(ShellTest, ASystemCloseSavesTheResultsToo)
{
    app->CreateWorkbook(L"Петров");
    WriteOneRow(app, L"7");
    PostMessageW(IMWindow::Handle(), WM_CLOSE, 0, 0);
    int passes = 0;
    while (Pump() && passes < 100)
        ++passes;
    EXPECT_LT(passes, 100);
    IMApp<ShellApp>::Release();
    const std::vector<SheetRow> rows = SavedRows(L"Петров");
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(L"Number:7", rows[0][1]);
}

TEST_F(ShellTest, EveryLaterStartSavesTheWorkbookItReplaces)
{
    app->CreateWorkbook(L"Петров");
    WriteOneRow(app, L"1");
    app->CreateWorkbook(L"Петров");
    EXPECT_EQ(1u, SavedRows(L"Петров").size());
    WriteOneRow(app, L"2");
    // A nameless Start saves and lets go of the workbook too: its run has
    // none, so its rows are dropped, not put under the pupil before.
    app->CreateWorkbook(L"");
    EXPECT_EQ(nullptr, app->workbook);
    EXPECT_EQ(2u, SavedRows(L"Петров").size());
    WriteOneRow(app, L"9");
    app->CreateWorkbook(L"Сидоров");
    WriteOneRow(app, L"3");
    app->mainWindow->Close();
    const std::vector<SheetRow> first = SavedRows(L"Петров");
    ASSERT_EQ(2u, first.size());
    EXPECT_EQ(L"Number:1", first[0][1]);
    EXPECT_EQ(L"Number:2", first[1][1]);
    EXPECT_EQ(1u, SavedRows(L"Сидоров").size());
}

TEST_F(ShellTest, AnExistingFileIsExtended)
{
    app->CreateWorkbook(L"Петров");
    WriteOneRow(app, L"1");
    app->mainWindow->Close();
    IMApp<ShellApp>::Release();

    app = &IMApp<ShellApp>::Instance(kName, 0);
    app->CreateWorkbook(L"Петров");
    WriteOneRow(app, L"2");
    app->mainWindow->Close();
    const std::vector<SheetRow> rows = SavedRows(L"Петров");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"Number:2", rows[1][1]);
}

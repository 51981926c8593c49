// Results that are never lost: each run is in the file when it ends, a close
// in the middle of a run still ends its block, the folder is made wherever
// the data folder is to be, and a failed save keeps every row for the next.
#include "app/shell/shell_fixture.h"

#include "platform/session.h"

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace app_test;

namespace {

class ShellResultsKept : public ShellTest {
protected:
    // Start, instruction closed: the step is open and has its start row.
    void StartRun(const wchar_t* pupil)
    {
        app->CreateWorkbook(pupil);
        app->RunNextStep();
        ASSERT_NE(nullptr, app->stepDialog);
        app->AddResultRow(L"Число промахов", L"3", L"Number");
    }

    // The labels of the pupil's saved rows ("" for an empty row).
    std::vector<std::wstring> SavedLabels(const std::wstring& pupil, const std::wstring& file)
    {
        std::vector<std::wstring> labels;
        for (const SheetRow& row : ReadSheet(file, pupil))
            labels.push_back(row.empty() ? L"" : row[0].substr(row[0].find(L':') + 1));
        return labels;
    }

    // A nameless and a named Start whose saves of the held workbook fail
    // while `breakIt` holds, then a save after `mendIt`: both pupils' rows
    // are in the file.
    void SecondStartFailsThenSaves(const std::function<void()>& breakIt,
                                   const std::function<void()>& mendIt)
    {
        app->CreateWorkbook(L"Петров");
        app->AddResultRow(L"первый", L"1", L"Number");
        app->SaveWorkbookDefault();
        app->AddResultRow(L"второй", L"2", L"Number");
        breakIt();
        testing::internal::CaptureStderr();
        // A nameless run between records nothing, and its Start lets go of
        // no unsaved row.
        app->CreateWorkbook(L"");
        EXPECT_EQ(nullptr, app->workbook);
        EXPECT_TRUE(app->HasUnsavedResults());
        app->AddResultRow(L"без имени", L"0", L"Number");
        app->CreateWorkbook(L"Сидоров");
        const std::string report = testing::internal::GetCapturedStderr();
        mendIt();
        const std::wstring error = app->LastSaveError();
        EXPECT_NE(std::wstring::npos, error.find(dataHome.ResultsFile())) << report;
        EXPECT_NE(std::string::npos, report.find(platform::WideToUtf8(error))) << report;
        app->AddResultRow(L"третий", L"3", L"Number");
        app->SaveWorkbookDefault();
        EXPECT_TRUE(app->LastSaveError().empty());
        EXPECT_EQ((std::vector<std::wstring>{L"первый", L"второй"}),
                  SavedLabels(L"Петров", dataHome.ResultsFile()));
        EXPECT_EQ(std::vector<std::wstring>{L"третий"},
                  SavedLabels(L"Сидоров", dataHome.ResultsFile()));
    }

    const std::vector<std::wstring> wholeRun{L"Время начала работы с упражнением",
                                             L"Число промахов",
                                             L"Количество дополнительных вызовов инструкций",
                                             L"Общее время работы с упражнением. с.", L""};
};

} // namespace

TEST_F(ShellResultsKept, AFinishedRunIsInTheFileBeforeAnyClose)
{
    StartRun(L"Петров");
    app->stepDialog->Close();
    EXPECT_EQ(1, app->resultsScreens);
    EXPECT_FALSE(app->HasUnsavedResults());
    EXPECT_EQ(wholeRun, SavedLabels(L"Петров", dataHome.ResultsFile()));
}

TEST_F(ShellResultsKept, TheCloseButtonDuringARunEndsItsBlock)
{
    StartRun(L"Петров");
    app->mainWindow->Close();
    IMApp<ShellApp>::Release();
    EXPECT_EQ(wholeRun, SavedLabels(L"Петров", dataHome.ResultsFile()));
}

TEST_F(ShellResultsKept, AHangUpDuringARunClosesAndSavesTheEndedBlock)
{
    platform::InstallSessionEndHandling();
    StartRun(L"Петров");
    std::raise(SIGHUP);
    int passes = 0;
    while (Pump() && passes < 100)
        ++passes;
    EXPECT_LT(passes, 100);
    IMApp<ShellApp>::Release();
    EXPECT_EQ(wholeRun, SavedLabels(L"Петров", dataHome.ResultsFile()));
}

TEST_F(ShellResultsKept, AMissingDataFolderIsMadeWithItsParentsWhateverItsName)
{
    for (const std::string& below : {std::string("/a/b/c"), std::string(u8"/José/日本")}) {
        const std::string data = dataHome.Folder() + below;
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        StartRun(L"Петров");
        app->stepDialog->Close();
        const std::wstring file = platform::Utf8ToWide(data) + L"/ZEMT/" + kName + L".xls";
        EXPECT_EQ(file, app->workbook->GetFileName());
        EXPECT_EQ(wholeRun, SavedLabels(L"Петров", file)) << below;
        struct stat st {};
        ASSERT_EQ(0,
                  ::stat((dataHome.Folder() + below.substr(0, below.find('/', 1))).c_str(), &st));
        EXPECT_EQ(0700u, st.st_mode & 0777) << below;
    }
}

TEST_F(ShellResultsKept, AFileWhereTheFolderShouldBeFailsASaveButLosesNoRow)
{
    // Unlike a read-only folder, no right of the user overcomes this.
    const std::string folder = dataHome.Folder() + "/ZEMT";
    SecondStartFailsThenSaves(
        [&] {
            std::remove(platform::WideToUtf8(dataHome.ResultsFile()).c_str());
            ::rmdir(folder.c_str());
            std::FILE* blocking = std::fopen(folder.c_str(), "w");
            ASSERT_NE(nullptr, blocking);
            std::fclose(blocking);
        },
        [&] { std::remove(folder.c_str()); });
}

TEST_F(ShellResultsKept, AFileSizeLimitFailsASaveButLosesNoRow)
{
    platform::InstallSessionEndHandling();
    SecondStartFailsThenSaves(
        [] {
            // Shorter than any workbook, longer than the report of the failure.
            const rlimit small{1024, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &small);
        },
        [] {
            const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &none);
        });
}

TEST_F(ShellResultsKept, TheEndTellsWhetherEveryResultWasSaved)
{
    app->CreateWorkbook(L"Петров");
    app->AddResultRow(L"первый", L"1", L"Number");
    const std::string folder = dataHome.Folder() + "/ZEMT";
    ::rmdir(folder.c_str());
    std::FILE* blocking = std::fopen(folder.c_str(), "w");
    ASSERT_NE(nullptr, blocking);
    std::fclose(blocking);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(IMApp<ShellApp>::Release());
    testing::internal::GetCapturedStderr();

    std::remove(folder.c_str());
    app = &IMApp<ShellApp>::Instance(kName, 0);
    app->CreateWorkbook(L"Петров");
    EXPECT_TRUE(IMApp<ShellApp>::Release());
}

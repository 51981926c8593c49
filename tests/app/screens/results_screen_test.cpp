// The results screen over the shell: Print and Save As with and without a
// workbook, the Save As dialog's path and where it saves, a failed save or
// print that keeps its dialog open, Retry, Close, Exit and Enter.
#include "app/screens/results_screen.h"
#include "app/shell/IMApp.h"
#include "app/support/app_fixture.h"
#include "platform/codepage.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

using namespace app_test;

namespace {

class ResultsApp : public IMApp<ResultsApp> {
public:
    void OnInit() override
    {
        RegisterDialog(L"Dialog1", [this](Dialog*) { ++runs; });
        RegisterDialog(L"Dialog2", [](Dialog*) {});
    }
    long ShowTitleScreen() override
    {
        ++titleScreens;
        return 0;
    }
    int runs = 0;
    int titleScreens = 0;
};

typedef IMDialogBase<IMEmptyView> Dialog;

class ResultsScreenTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kName = L"07342 Тренажер «Кварлоп»";

    void SetUp() override
    {
        testing_support::DiscardQueuedMessages();
        app = &IMApp<ResultsApp>::Instance(kName, 0);
        app->SetInfo(L"07342", L"Кварлоп", L"");
    }

    void TearDown() override
    {
        while (IMApp<ResultsApp>::Existing())
            IMApp<ResultsApp>::Release();
        testing_support::DiscardQueuedMessages();
    }

    // The screen as the shell shows it, merged into the window.
    void ShowScreen(const std::wstring& pupil)
    {
        app->CreateWorkbook(pupil);
        app->SetPupilName(pupil);
        app->AddResultRow(L"Число промахов", L"2", L"Number");
        app->ShowResultsScreen();
        Pump(2);
        screen = Top<Dialog>();
        ASSERT_NE(nullptr, screen);
    }

    // False once the quit message has been taken.
    bool Pump(int passes = 3)
    {
        for (int i = 0; i < passes; ++i)
            if (!testing_support::Pass(app->mainWindow))
                return false;
        return true;
    }

    bool Click(int x, int y)
    {
        const HWND hwnd = IMWindow::Handle();
        PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return Pump();
    }

    // The topmost live child of the main window of that kind, or null.
    template <class C>
    C* Top() const
    {
        C* found = nullptr;
        for (IMControl* child : app->mainWindow->LiveChildren())
            if (C* c = dynamic_cast<C*>(child))
                found = c;
        return found;
    }

    bool Open(const IMControl* control) const { return app->mainWindow->IsLiveChild(control); }

    std::wstring Scratch(const std::string& name) const
    {
        return platform::Utf8ToWide(dataHome.Folder() + "/" + name);
    }

    ScratchDataHome dataHome;
    ResultsApp* app = nullptr;
    Dialog* screen = nullptr;
};

// Centres of the buttons: Print, Save As, Retry, Close, Exit.
const POINT kPrint{72, 513};
const POINT kSaveAs{202, 513};
const POINT kRetry{589, 513};
const POINT kClose{715, 513};
const POINT kExit{765, 32};
// The dialogs' action buttons.
const POINT kDialogSave{220 + 104, 225 + 102};
const POINT kDialogPrint{220 + 72, 125 + 202};

} // namespace

TEST_F(ResultsScreenTest, WithoutAWorkbookPrintAndSaveAsAreGreyedAndDoNothing)
{
    ShowScreen(L"");
    ASSERT_EQ(nullptr, app->workbook);
    int greyed = 0;
    for (IMControl* child : screen->LiveChildren())
        if (auto* button = dynamic_cast<IMButtonBase<IMStateView>*>(child))
            if (!button->IsEnabled() && button->colour == 0xFF808080u)
                ++greyed;
    EXPECT_EQ(2, greyed);
    Click(kPrint.x, kPrint.y);
    Click(kSaveAs.x, kSaveAs.y);
    EXPECT_EQ(nullptr, Top<IMSelectPrinterDialog>());
    EXPECT_EQ(nullptr, Top<IMSaveAsDialog>());

    // Retry as usual: the title screen, the results screen gone, the first
    // step next.
    EXPECT_EQ(L"Dialog1", app->CurrentStep());
    Click(kRetry.x, kRetry.y);
    EXPECT_EQ(1, app->titleScreens);
    EXPECT_FALSE(Open(screen));
    EXPECT_EQ(L"Dialog1", app->CurrentStep());
}

TEST_F(ResultsScreenTest, SaveAsOpensWithTheOwnPathAndTheCaretAtItsEnd)
{
    ShowScreen(L"Петров");
    Click(kSaveAs.x, kSaveAs.y);
    IMSaveAsDialog* dialog = Top<IMSaveAsDialog>();
    ASSERT_NE(nullptr, dialog);
    const std::wstring own = app->workbook->GetFileName();
    EXPECT_EQ(own, dialog->GetFileName());
    IMTextEdit* edit = dialog->GetEditBar()->GetEdit();
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_EQ(static_cast<int>(own.size()), edit->GetCaretPosition());
    RECT caret;
    edit->GetCaret()->GetRect(&caret);
    EXPECT_EQ(297, caret.right);
    EXPECT_FALSE(edit->GetCaret()->IsHidden());

    // An emptied field saves to the own file.
    dialog->GetEditBar()->SetText(L"");
    Click(kDialogSave.x, kDialogSave.y);
    EXPECT_FALSE(Open(dialog));
    EXPECT_EQ(1u, ReadSheet(own, L"Петров").size());
    EXPECT_FALSE(app->HasUnsavedResults());
}

// A path that cannot be written keeps the dialog open and says so; another
// one then gets every row, and the own file is still written at closing.
TEST_F(ResultsScreenTest, SavingElsewhereAfterAFailureLeavesTheOwnFileToTheClosingSave)
{
    ShowScreen(L"Петров");
    Click(kSaveAs.x, kSaveAs.y);
    IMSaveAsDialog* dialog = Top<IMSaveAsDialog>();
    ASSERT_NE(nullptr, dialog);
    dialog->GetEditBar()->SetText(Scratch("нет такой папки/копия.xls"));
    Click(kDialogSave.x, kDialogSave.y);
    ASSERT_TRUE(Open(dialog));
    ASSERT_NE(nullptr, dialog->GetFailureLine());
    EXPECT_EQ(L"Не удалось сохранить файл: папки нет", dialog->GetFailureLine()->GetText());

    const std::wstring elsewhere = Scratch("копия.xls");
    dialog->GetEditBar()->SetText(elsewhere);
    Click(kDialogSave.x, kDialogSave.y);
    EXPECT_FALSE(Open(dialog));
    EXPECT_EQ(1u, ReadSheet(elsewhere, L"Петров").size());
    EXPECT_EQ(dataHome.ResultsFile(), app->workbook->GetFileName());
    EXPECT_TRUE(ReadSheet(dataHome.ResultsFile(), L"Петров").empty());

    Click(kClose.x, kClose.y);
    EXPECT_EQ(1u, ReadSheet(dataHome.ResultsFile(), L"Петров").size());
}

TEST_F(ResultsScreenTest, APrintThatCannotHappenKeepsTheDialogOpenSayingWhy)
{
    ShowScreen(L"Петров");
    Click(kPrint.x, kPrint.y);
    IMSelectPrinterDialog* dialog = Top<IMSelectPrinterDialog>();
    ASSERT_NE(nullptr, dialog);
    IMList::Item* missing = dialog->GetList()->AddItem(L"Нет такого принтера");
    dialog->GetList()->SelectItem(nullptr);
    EXPECT_EQ(nullptr, dialog->CreatePrinterDC());
    // Without a printer the job cannot start.
    EXPECT_EQ(1, app->PrintResults(nullptr));
    Click(kDialogPrint.x, kDialogPrint.y);
    ASSERT_TRUE(Open(dialog));
    ASSERT_NE(nullptr, dialog->GetFailureLine());
    EXPECT_EQ(L"Не удалось напечатать: выберите принтер", dialog->GetFailureLine()->GetText());

    // A printer the service does not have, or no service at all.
    dialog->GetList()->SelectItem(missing);
    Click(kDialogPrint.x, kDialogPrint.y);
    ASSERT_TRUE(Open(dialog));
    const std::wstring said = dialog->GetFailureLine()->GetText();
    EXPECT_TRUE(said == L"Не удалось напечатать: принтер не найден" ||
                said == L"Не удалось напечатать: служба печати недоступна")
        << platform::WideToUtf8(said);
}

TEST_F(ResultsScreenTest, EnterOnceTheScreenHasTheFocusRunsTheFirstStepAgain)
{
    ShowScreen(L"Петров");
    const HWND hwnd = IMWindow::Handle();
    // No focus yet: Enter does nothing.
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    EXPECT_EQ(0, app->runs);
    EXPECT_TRUE(Open(screen));
    Click(400, 300);
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    EXPECT_EQ(1, app->runs);
    EXPECT_FALSE(Open(screen));
}

TEST_F(ResultsScreenTest, ExitClosesTheProgramAndSavesTheResults)
{
    ShowScreen(L"Петров");
    EXPECT_FALSE(Click(kExit.x, kExit.y));
    EXPECT_EQ(1u, ReadSheet(dataHome.ResultsFile(), L"Петров").size());
}

// What the teacher reads when the results could not be kept: Russian words
// for the reason, the place, and Save As, in at most two lines that fit the
// screen whatever the path; where the results went in place of a file that
// is not a workbook.
TEST_F(ResultsScreenTest, ASaveFailureIsSaidInPlainWordsOnAtMostTwoLinesThatFit)
{
    screens::ResultsScreenText text;
    text.path = L"/media/флешка/результаты.xls";
    const screens::ResultsScreen plain = screens::BuildResultsScreen(app->mainWindow, text, true);
    EXPECT_EQ(nullptr, plain.saveFailureLine);

    const std::string deep(300, 'd');
    const std::wstring longPath = platform::Utf8ToWide("/home/" + deep + u8"/ZEMT/итог.xls");
    struct Case {
        workbook::SaveFailure failure;
        workbook::SaveFailure leftAlone;
        std::wstring path;
        std::vector<std::wstring> said;
    };
    const Case cases[] = {
        {{workbook::SaveStep::Write, ENOSPC, platform::WideToUtf8(text.path)},
         {},
         text.path,
         {L"Результаты не сохранены", text.path, L"на диске нет места", L"«Сохранить как»"}},
        {{workbook::SaveStep::Create, EACCES, platform::WideToUtf8(longPath)},
         {},
         longPath,
         {L"Результаты не сохранены", L"нет прав на запись", L"/ZEMT/итог.xls\"", L"…"}},
        {{workbook::SaveStep::MakeFolder, EACCES, "/srv/" + deep + "/ZEMT"},
         {},
         longPath,
         {L"в папку", L"нет прав, чтобы создать папку"}},
        {{},
         {workbook::SaveStep::Read, workbook::kNotAWorkbook, "/d/итог.xls"},
         L"/d/итог (новый).xls",
         {L"/d/итог.xls", L"не изменён", L"повреждён", L"Результаты сохранены",
          L"/d/итог (новый).xls"}},
    };
    for (const Case& c : cases) {
        text.path = c.path;
        text.saveFailure = c.failure;
        text.leftAlone = c.leftAlone;
        const screens::ResultsScreen failed =
            screens::BuildResultsScreen(app->mainWindow, text, true);
        ASSERT_NE(nullptr, failed.saveFailureLine);
        const std::wstring line = failed.saveFailureLine->GetText();
        const std::string shown = platform::WideToUtf8(line);
        for (const std::wstring& part : c.said)
            EXPECT_NE(std::wstring::npos, line.find(part)) << shown;
        EXPECT_EQ(std::wstring::npos, line.find(L"cannot")) << shown;
        EXPECT_EQ(2u, failed.saveFailureLine->GetLineStarts().size()) << shown;
        RECT r, extent;
        failed.saveFailureLine->GetRect(&r);
        failed.saveFailureLine->GetSourceRect(&extent);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 800);
        EXPECT_LE(extent.right - extent.left, r.right - r.left) << shown;
        // Between the pupil's name and "Статистика:".
        EXPECT_GE(r.top, 370);
        EXPECT_LE(r.top + (extent.bottom - extent.top), 465);
    }
}

// After a failed save the line stands until the results are saved: Save As
// says why it failed as well, and a save with the field emptied, once the
// fault is mended, takes the line away.
TEST_F(ResultsScreenTest, TheFailureLineGoesOnceTheResultsAreSaved)
{
    const std::string folder = dataHome.Folder() + "/ZEMT";
    app->CreateWorkbook(L"Петров");
    app->SetPupilName(L"Петров");
    app->AddResultRow(L"Число промахов", L"2", L"Number");
    ::rmdir(folder.c_str());
    std::FILE* blocking = std::fopen(folder.c_str(), "w");
    ASSERT_NE(nullptr, blocking);
    std::fclose(blocking);
    testing::internal::CaptureStderr();
    app->SaveWorkbookDefault();
    app->ShowResultsScreen();
    Pump(2);
    screen = Top<Dialog>();
    IMStaticText* line = nullptr;
    for (IMControl* child : screen->LiveChildren())
        if (auto* text = dynamic_cast<IMStaticText*>(child))
            if (text->GetText().find(L"не сохранены") != std::wstring::npos)
                line = text;
    ASSERT_NE(nullptr, line);
    EXPECT_NE(std::wstring::npos, line->GetText().find(L"на месте папки стоит файл"));

    Click(kSaveAs.x, kSaveAs.y);
    IMSaveAsDialog* dialog = Top<IMSaveAsDialog>();
    ASSERT_NE(nullptr, dialog);
    Click(kDialogSave.x, kDialogSave.y);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(Open(dialog));
    ASSERT_NE(nullptr, dialog->GetFailureLine());
    EXPECT_EQ(L"Не удалось сохранить файл: на месте папки стоит файл",
              dialog->GetFailureLine()->GetText());
    EXPECT_FALSE(line->IsHidden());

    std::remove(folder.c_str());
    dialog->GetEditBar()->SetText(L"");
    Click(kDialogSave.x, kDialogSave.y);
    EXPECT_FALSE(Open(dialog));
    EXPECT_TRUE(line->IsHidden());
    EXPECT_EQ(1u, ReadSheet(dataHome.ResultsFile(), L"Петров").size());
}

// A results file that is not a workbook is left alone, and the screen says
// where the results went instead.
TEST_F(ResultsScreenTest, TheScreenSaysWhereTheResultsWentInPlaceOfADamagedFile)
{
    app->CreateWorkbook(L"Петров");
    const std::string own = platform::WideToUtf8(dataHome.ResultsFile());
    std::FILE* damaged = std::fopen(own.c_str(), "w");
    ASSERT_NE(nullptr, damaged);
    std::fputs("<Workbook", damaged);
    std::fclose(damaged);
    delete app->workbook;
    app->workbook = nullptr;
    testing::internal::CaptureStderr();
    app->CreateWorkbook(L"Петров");
    app->SaveWorkbookDefault();
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(app->LastSaveError().empty());
    app->ShowResultsScreen();
    Pump(2);
    screen = Top<Dialog>();
    bool said = false;
    for (IMControl* child : screen->LiveChildren())
        if (auto* text = dynamic_cast<IMStaticText*>(child))
            said = said || (text->GetText().find(L"Кварлоп» (новый).xls") != std::wstring::npos &&
                            text->GetText().find(L"не изменён") != std::wstring::npos);
    EXPECT_TRUE(said);
}

// Save As onto a file that is not this workbook warns first; the same path
// again replaces it.
TEST_F(ResultsScreenTest, SaveAsOntoAnotherFileWarnsThenReplacesItOnTheSecondClick)
{
    ShowScreen(L"Петров");
    const std::wstring other = Scratch("другой класс.xls");
    const std::string otherBytes = platform::WideToUtf8(other);
    std::FILE* file = std::fopen(otherBytes.c_str(), "w");
    ASSERT_NE(nullptr, file);
    std::fputs("чужое", file);
    std::fclose(file);

    Click(kSaveAs.x, kSaveAs.y);
    IMSaveAsDialog* dialog = Top<IMSaveAsDialog>();
    ASSERT_NE(nullptr, dialog);
    dialog->GetEditBar()->SetText(other);
    Click(kDialogSave.x, kDialogSave.y);
    ASSERT_TRUE(Open(dialog));
    ASSERT_NE(nullptr, dialog->GetFailureLine());
    IMStaticText* warning = dialog->GetFailureLine();
    EXPECT_NE(std::wstring::npos, warning->GetText().find(L"уже есть"));
    EXPECT_NE(std::wstring::npos, warning->GetText().find(L"заменить"));
    EXPECT_TRUE(ReadSheet(other, L"Петров").empty());
    // Whole, between the field and the buttons.
    RECT r, extent;
    warning->GetRect(&r);
    warning->GetSourceRect(&extent);
    EXPECT_GE(2u, warning->GetLineStarts().size());
    EXPECT_LE(extent.right - extent.left, r.right - r.left);
    EXPECT_LE(extent.bottom - extent.top, r.bottom - r.top);
    EXPECT_GE(r.top, 48);
    EXPECT_LE(r.bottom, 79);

    Click(kDialogSave.x, kDialogSave.y);
    EXPECT_FALSE(Open(dialog));
    EXPECT_EQ(1u, ReadSheet(other, L"Петров").size());
}

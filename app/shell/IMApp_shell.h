// The shell's life, keys and screens. Included by IMApp.h.
#pragma once

#include "app/screens/credits.h"
#include "app/screens/exit_dialog.h"
#include "app/screens/help_page.h"
#include "app/screens/praise_screen.h"
#include "app/screens/results_screen.h"
#include "app/screens/title_screen.h"
#include "platform/session.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

template <class T>
T* IMApp<T>::singleton = nullptr;
template <class T>
int IMApp<T>::referenceCount = 0;

template <class T>
IMApp<T>::IMApp()
    : childScreen(nullptr),
      mainWindow(nullptr),
      stepDialog(nullptr),
      workbook(nullptr),
      modal(false),
      f1Count(0),
      startTime(0),
      creditsShown(false),
      closingSaveConnected(false),
      workbookUnsaved(false),
      closingRowsWritten(false),
      keptWorkbook(nullptr),
      saveNotice(nullptr)
{}

template <class T>
IMApp<T>::~IMApp()
{
    singleton = nullptr;
}

template <class T>
T& IMApp<T>::Instance(const std::wstring& name, int windowed)
{
    using boost::placeholders::_1;
    if (!singleton) {
        T* app = new T();
        singleton = app;
        const RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + 800, CW_USEDEFAULT + 600};
        app->mainWindow = IMWindow::Create(nullptr, &rect, name, windowed != 0, nullptr);
        if (IMWindow* window = app->mainWindow) {
            window->ConnectKeyDown(boost::bind(&IMApp::OnHelpKey, app, _1));
            window->ConnectKeyDown(boost::bind(&IMApp::OnKeyDown, app, _1));
            window->ConnectKeyDown(boost::bind(&IMApp::OnCreditsKey, app, _1));
        }
        app->instanceName = name;
        platform::SetDisplayLostHandler(&IMApp::SaveAtDisplayLoss);
        app->OnInit();
        crt::srand(static_cast<unsigned int>(crt::_time64(nullptr)));
    }
    ++referenceCount;
    return *singleton;
}

template <class T>
T& IMApp<T>::Instance()
{
    if (!singleton)
        return Instance(L"Application", 1);
    return *singleton;
}

template <class T>
bool IMApp<T>::Release()
{
    if (referenceCount > 0)
        --referenceCount;
    if (referenceCount != 0 || !singleton)
        return true;
    T* app = singleton;
    // The Close and Exit buttons have saved through the closing signal; a
    // close by the system (Alt+F4, the window manager, a termination signal,
    // a hang-up) has not.
    app->EndOpenStep();
    if (app->HasUnsavedResults())
        app->SaveWorkbookDefault();
    const bool saved = !app->HasUnsavedResults();
    platform::SetDisplayLostHandler(nullptr);
    delete app->mainWindow;
    app->mainWindow = nullptr;
    delete app->workbook;
    app->workbook = nullptr;
    delete app->keptWorkbook;
    app->keptWorkbook = nullptr;
    delete app;
    return saved;
}

template <class T>
void IMApp<T>::SetInfo(std::wstring n, std::wstring t, std::wstring d)
{
    number = std::move(n);
    title = std::move(t);
    description = std::move(d);
}

template <class T>
long IMApp<T>::SetPupilName(const std::wstring& name)
{
    pupilName = name;
    return 0;
}

template <class T>
void IMApp<T>::OnInit()
{}

template <class T>
long IMApp<T>::GoBack()
{
    if (childScreen) {
        Dialog* screen = childScreen;
        childScreen = nullptr;
        screen->Hide();
        screen->Close();
    }
    if (!stepDialog)
        return 1;
    // The step is abandoned: its dialog closes without running the step
    // driver, so no results screen opens beneath the title screen; the run's
    // closing rows still end its block of rows.
    stepRunConnection.disconnect();
    Dialog* dialog = stepDialog;
    dialog->Close();
    WriteClosingRows();
    SaveWorkbookDefault();
    steps.SetCurrent(steps.First());
    stepDialog = nullptr;
    ShowTitleScreen();
    return 0;
}

template <class T>
long IMApp<T>::OnKeyDown(const IMKeyboardEvent& e)
{
    if (e.wParam == VK_F12)
        ShowEndDialog(this);
    return 0;
}

template <class T>
long IMApp<T>::OnHelpKey(const IMKeyboardEvent& e)
{
    if (replayConnection.connected())
        replayBlock.unblock();
    if (modal || e.wParam != VK_F1 || !mainWindow)
        return 0;
    ++f1Count;
    Dialog* dialog = new Dialog(mainWindow, nullptr, 0);
    replayConnection.disconnect();
    // Connected after the start-up slots and blocked until the next key-down
    // reaches the unblocking above: the key that starts the replay does not
    // end it.
    replayConnection = mainWindow->ConnectKeyDown(boost::bind(&CloseReplayDialog, dialog, &modal));
    replayBlock = boost::signals2::shared_connection_block(replayConnection, true);
    modal = true;
    ShowInstruction(dialog);
    return 0;
}

template <class T>
long IMApp<T>::ShowInstructionDialog()
{
    using boost::placeholders::_1;
    if (!mainWindow)
        return 0;
    modal = true;
    Dialog* dialog = new Dialog(mainWindow, nullptr, 0);
    mainWindow->ConnectKeyDown(boost::bind(&OnEscCloseDialog, _1, dialog, &modal));
    dialog->ConnectClosing(boost::bind(&IMApp::RunNextStepSlot, this, _1));
    ShowInstruction(dialog);
    return 0;
}

template <class T>
long IMApp<T>::OnCreditsKey(const IMKeyboardEvent& e)
{
    if (e.wParam != 0x49 || (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0 || creditsShown ||
        !mainWindow)
        return 0;
    // The pointer shows over the credits even when a screen below hid it;
    // the overlay's closing takes back exactly these shows.
    int extraShows = 0;
    for (int count = ShowCursor(TRUE); count <= 1; count = ShowCursor(TRUE))
        ++extraShows;
    creditsShown = true;
    const screens::CreditsOverlay credits =
        screens::BuildCredits(mainWindow, mainWindow->GetWidth(), mainWindow->GetHeight());
    if (!credits.overlay) {
        screens::RestoreCursorAndFlag(&creditsShown, extraShows);
        return 0;
    }
    credits.overlay->ConnectClosing(
        boost::bind(&screens::RestoreCursorAndFlag, &creditsShown, extraShows));
    return 0;
}

template <class T>
long IMApp<T>::ShowEndDialog(IMApp* app)
{
    if (app->childScreen || !app->mainWindow)
        return 0;
    const screens::ExitDialog dialog = screens::BuildExitDialog(
        app->mainWindow, app->mainWindow->GetWidth(), app->mainWindow->GetHeight());
    if (!dialog.veil)
        return 0;
    // A pointer hidden below shows over the dialog, and is hidden again
    // once the dialog closes (by Retry or Cancel).
    ShowCursor(TRUE);
    dialog.veil->ConnectClosing(boost::bind(&HidePointerAgain));
    app->childScreen = dialog.veil;
    if (dialog.retry)
        dialog.retry->ConnectClicked(boost::bind(&IMApp::GoBack, app));
    if (dialog.close)
        dialog.close->ConnectClicked(boost::bind(&IMControl::Close, app->mainWindow));
    if (dialog.cancel)
        dialog.cancel->ConnectClicked(boost::bind(&IMApp::CloseChildDialog, app));
    return 0;
}

template <class T>
long IMApp<T>::CloseChildDialog()
{
    if (Dialog* screen = childScreen) {
        childScreen = nullptr;
        screen->Hide();
        screen->Close();
    }
    return 0;
}

template <class T>
long IMApp<T>::RunInDialog(DialogFunction fill)
{
    if (!mainWindow)
        return 0;
    Dialog* dialog = new Dialog(mainWindow, nullptr, 0);
    dialog->SetFocus(true);
    if (fill)
        fill(dialog);
    return 0;
}

template <class T>
long IMApp<T>::StartWithPupil(const std::wstring& name, Dialog* titleScreen)
{
    CreateWorkbook(name);
    SetPupilName(name);
    ShowInstructionDialog();
    if (titleScreen)
        titleScreen->Close();
    return 0;
}

template <class T>
long IMApp<T>::OnPupilNameEntered(const IMKeyboardEvent& e, Dialog* titleScreen, IMEditBar* nameBar)
{
    // The key-down, character and key-up of one press all carry 13; the
    // first closes the title screen and with it this slot.
    if (e.wParam == VK_RETURN)
        StartWithPupil(nameBar->GetText(), titleScreen);
    return 0;
}

template <class T>
long IMApp<T>::StartFromTitle(Dialog* titleScreen, IMEditBar* nameBar)
{
    return StartWithPupil(nameBar->GetText(), titleScreen);
}

template <class T>
long IMApp<T>::ShowTitleScreen()
{
    using boost::placeholders::_1;
    if (!mainWindow)
        return 0;
    Dialog* dialog = new Dialog(mainWindow, nullptr, 0);
    const screens::TitleScreen screen = screens::BuildTitleScreen(
        dialog, screens::TitleTexts{number, title, description}, !settingsScreen.empty());
    if (screen.start)
        screen.start->ConnectClicked(
            boost::bind(&IMApp::StartFromTitle, this, dialog, screen.nameBar));
    if (screen.exit)
        screen.exit->ConnectClicked(boost::bind(&IMControl::Close, mainWindow));
    dialog->ConnectKeyMessage(
        boost::bind(&IMApp::OnPupilNameEntered, this, _1, dialog, screen.nameBar));
    if (screen.options)
        screen.options->ConnectClicked(boost::bind(&IMApp::RunInDialog, this, settingsScreen));
    return 0;
}

// The results screen: the current step goes back to the first, so that
// Retry and Enter (once a click has given the screen the focus) run the
// exercise from its start.
template <class T>
long IMApp<T>::ShowResultsScreen()
{
    using boost::placeholders::_1;
    if (!mainWindow)
        return 0;
    screens::ResultsScreenText text = SaveStateText();
    text.number = number;
    text.title = title;
    text.pupil = pupilName;
    const screens::ResultsScreen screen =
        screens::BuildResultsScreen(mainWindow, text, workbook != nullptr);
    Dialog* dialog = screen.dialog;
    saveNotice = screen.saveFailureLine;
    if (saveNotice)
        dialog->ConnectClosing(boost::bind(&IMApp::ForgetSaveNotice, this, _1));
    if (workbook && screen.print)
        screen.print->ConnectClicked(boost::bind(&IMApp::OnPrintClick, this));
    if (workbook && screen.saveAs)
        screen.saveAs->ConnectClicked(boost::bind(&IMApp::OnSaveAsClick, this));
    SetCurrentStep(steps.First());
    if (screen.retry) {
        screen.retry->ConnectClicked(boost::bind(&IMApp::ShowTitleScreen, this));
        screen.retry->ConnectClicked(
            boost::bind(&IMControl::Close, static_cast<IMControl*>(dialog)));
    }
    IMControl* window = mainWindow;
    if (screen.close)
        screen.close->ConnectClicked(boost::bind(&IMControl::Close, window));
    if (screen.exit)
        screen.exit->ConnectClicked(boost::bind(&IMControl::Close, window));
    dialog->ConnectKeyMessage(boost::bind(&IMApp::OnAcceptRunNextStep, this, _1, dialog));
    return 0;
}

template <class T>
long IMApp<T>::ShowPraiseWithExit(Dialog* target)
{
    if (!mainWindow)
        return 0;
    return screens::ShowPraiseWithExit(mainWindow, target);
}

// The end of the praise closes the step dialog, which leads to the results.
template <class T>
long IMApp<T>::ShowPraise(int x, int y)
{
    if (!mainWindow) {
        if (stepDialog)
            stepDialog->Close();
        return 0;
    }
    return screens::ShowPraise(mainWindow, stepDialog, x, y);
}

// The help page, which closes itself after five seconds.
template <class T>
void IMApp<T>::ShowInstruction(Dialog* dialog)
{
    // Closed by its own timer, the page lowers the flag that Esc or the
    // replay's key would have lowered.
    screens::BuildHelpPage(dialog, mainWindow, [this] { modal = false; });
}

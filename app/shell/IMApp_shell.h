// The shell's life, keys and screens. Included by IMApp.h.
#pragma once

#include "app/screens/praise_screen.h"
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
      closingSaveConnected(false),
      workbookUnsaved(false)
{
}

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
void IMApp<T>::Release()
{
    if (referenceCount > 0)
        --referenceCount;
    if (referenceCount != 0 || !singleton)
        return;
    T* app = singleton;
    // The Close and Exit buttons have saved through the closing signal; a
    // close by the system (Alt+F4, the window manager, a termination signal)
    // has not.
    if (app->HasUnsavedResults())
        app->SaveWorkbookDefault();
    delete app->mainWindow;
    app->mainWindow = nullptr;
    delete app->workbook;
    app->workbook = nullptr;
    delete app;
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
{
}

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
    static bool creditsShown = false;
    if (e.wParam != 0x49 || (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0 || creditsShown)
        return 0;
    // The overlay itself is built with the credits page; until then Ctrl+I
    // opens nothing, so nothing is left to close.
    return 0;
}

template <class T>
long IMApp<T>::ShowEndDialog(IMApp* app)
{
    if (app->childScreen || !app->mainWindow)
        return 0;
    ShowCursor(TRUE);
    // The veil; its panel and buttons (Retry: GoBack, Close: the main
    // window's Close, Cancel: CloseChildDialog) come with the exit dialog.
    app->childScreen = Dialog::Create(app->mainWindow, 0, 0, app->mainWindow->GetWidth(),
                                      app->mainWindow->GetHeight(), 1099);
    return 0;
}

template <class T>
long IMApp<T>::CloseChildDialog()
{
    if (Dialog* screen = childScreen) {
        childScreen = nullptr;
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
    if (titleScreen)
        titleScreen->Close();
    ShowInstructionDialog();
    return 0;
}

// The screens below are the shell's stand-ins until their pages are built.

// No name can be typed yet: a run starts at once for a default pupil.
template <class T>
long IMApp<T>::ShowTitleScreen()
{
    return StartWithPupil(L"Ученик", nullptr);
}

// An empty results screen: the current step goes back to the first, Enter
// (once the screen has the focus) runs it again.
template <class T>
long IMApp<T>::ShowResultsScreen()
{
    using boost::placeholders::_1;
    if (!mainWindow)
        return 0;
    SetCurrentStep(steps.First());
    Dialog* screen = new Dialog(mainWindow, nullptr, 0);
    screen->ConnectKeyMessage(boost::bind(&IMApp::OnAcceptRunNextStep, this, _1, screen));
    screen->SetFocus(true);
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

// The help page: an empty page until it is built.
template <class T>
void IMApp<T>::ShowInstruction(Dialog*)
{
}

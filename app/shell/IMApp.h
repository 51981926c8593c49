// The application shell: a class template over the application class T
// (T derives from IMApp<T>), made once. It owns the application object, makes
// the main window, keeps the exercise's named steps, the results workbook
// and the pupil's and exercise's texts, offers the screens as virtual
// operations T may override, and takes the keys F1, F12 and Ctrl+I from the
// main window. Everything runs on the UI thread.
#pragma once

#include "app/screens/results_screen.h"
#include "app/shell/result_row.h"
#include "app/shell/step_map.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/text/IMStaticTextBase.h"
#include "framework/widgets/IMEditBar.h"
#include "framework/window/IMWindow.h"
#include "framework/workbook/workbook.h"
#include "platform/crt.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/shared_connection_block.hpp>

#include <memory>
#include <string>

class IMSaveAsDialog;
class IMSelectPrinterDialog;

template <class T>
class IMApp {
public:
    typedef IMDialogBase<IMEmptyView> Dialog;
    typedef boost::function<void(Dialog*)> DialogFunction;

    // Makes the application and its main window on the first call (windowed
    // 0: an 800 x 600 pop-up with a full-screen device); every call counts
    // one reference.
    static T& Instance(const std::wstring& name, int windowed);
    // The application; made with the name "Application" in a window when
    // none exists yet. Leaves the reference count alone otherwise.
    static T& Instance();
    // One reference less; at none, the program's end: a step still open gets
    // its closing rows and the empty row, the workbook is saved when it
    // holds rows not yet written (a close by the system skips the closing
    // save), then the main window, the workbook and the application are
    // deleted. False when results were lost: the last save failed.
    static bool Release();
    // The application, or null before the first Instance and once it goes.
    static T* Existing() { return singleton; }
    static int ReferenceCount() { return referenceCount; }

    virtual ~IMApp();
    // The exit dialog's Retry: closes the exit dialog and abandons a running
    // step for the title screen. 0 when a step dialog was open, else 1.
    virtual long GoBack();
    virtual void OnInit();
    virtual long ShowTitleScreen();
    virtual long ShowResultsScreen();
    virtual long ShowPraiseWithExit(Dialog* target);
    virtual long ShowPraise(int x, int y);
    // Fills the dialog with the instruction (the help page by default).
    virtual void ShowInstruction(Dialog* dialog);
    // F12 opens the exit dialog.
    virtual long OnKeyDown(const IMKeyboardEvent& e);

    void SetInfo(std::wstring number, std::wstring title, std::wstring description);
    long SetPupilName(const std::wstring& name);

    // F1: the instruction once more, in a dialog of its own, counted.
    long OnHelpKey(const IMKeyboardEvent& e);
    // The instruction after Start; closing it starts the current step.
    long ShowInstructionDialog();
    // Ctrl+I: the credits overlay, one at a time.
    long OnCreditsKey(const IMKeyboardEvent& e);
    // The exit dialog, when none is open.
    static long ShowEndDialog(IMApp* app);
    // Closes the exit dialog.
    long CloseChildDialog();
    // A full-screen dialog with the focus, filled by the function.
    long RunInDialog(DialogFunction fill);
    // The title screen's start: a workbook for the pupil, the name kept, the
    // instruction shown and the title screen closed (when given).
    long StartWithPupil(const std::wstring& name, Dialog* titleScreen);
    // Enter on the title screen starts as the Start button does.
    long OnPupilNameEntered(const IMKeyboardEvent& e, Dialog* titleScreen, IMEditBar* nameBar);

    // Steps
    void RegisterDialog(const std::wstring& name, const DialogFunction& step);
    void SetCurrentStep(const std::wstring& name);
    const std::wstring& CurrentStep() const { return steps.Current(); }
    long RunNextStep();

    // Rows and the workbook
    void AddResultRow(const std::wstring& label, const std::wstring& value,
                      const std::wstring& kind);
    void AddResultRows(const ResultRows& rows);
    // A workbook in the results folder for the pupil; none for an empty
    // name. A workbook held before is saved first; when that save fails,
    // the held workbook stays, with the pupil's worksheet taken in it, so
    // that its unsaved rows go to the file with the next save (for an empty
    // name it is put aside, out of the nameless run's reach).
    long CreateWorkbook(const std::wstring& pupilName);
    // Writes the workbook to its own file (making the results folder again
    // when it has gone); after every run and at the close.
    long SaveWorkbookDefault();
    // Enter on the results screen: the next step, and the screen closed.
    long OnAcceptRunNextStep(const IMKeyboardEvent& e, Dialog* dialog);

    // Whether the workbook holds rows its file does not have yet.
    bool HasUnsavedResults() const { return (workbook && workbookUnsaved) || keptWorkbook; }
    // Why the last save failed, in one line with the file's path; empty when
    // it succeeded.
    const std::wstring& LastSaveError() const { return lastSaveError; }
    // The same for the teacher (error 0 when the last save succeeded).
    const workbook::SaveFailure& LastSaveFailure() const { return lastSaveFailure; }

    // The results screen's Save As and Print. SaveWorkbookAs and
    // PrintResults give 0 when done (or with no workbook), 1 when the file
    // could not be written or the printer did not take the job.
    long OnSaveAsClick();
    long SaveWorkbookAs(std::wstring path);
    long OnPrintClick();
    // Prints on the DC and deletes it; after a failure GetLastError says why.
    long PrintResults(HDC dc);

    // Fields, in the shell's order.
    DialogFunction settingsScreen;
    Dialog* childScreen;
    IMWindow* mainWindow;
    StepMap steps;
    Dialog* stepDialog;
    boost::signals2::connection replayConnection;
    IMWorkbook* workbook;
    std::wstring instanceName;
    bool modal;
    int f1Count;
    crt::time64_t startTime;
    std::wstring description;
    std::wstring title;
    std::wstring number;
    std::wstring pupilName;

protected:
    IMApp();
    // The closing rows of a step and the empty row that ends a run, once per
    // run: a later call before the next step starts writes nothing. The
    // exercise writes them as soon as it ends, so that they reach the file
    // in the same save as its statistics.
    void WriteClosingRows();

private:
    long OnStepDialogClosing(const IMEvent&);
    long StartFromTitle(Dialog* titleScreen, IMEditBar* nameBar);
    long RunNextStepSlot(const IMEvent&) { return RunNextStep(); }
    long OnMainWindowClosing(const IMEvent&);
    long SaveKeptWorkbook();
    // The dialogs' action buttons: the dialog closes after a success and
    // stays open, saying why, after a failure.
    // A file of another program at the path is replaced only on the second
    // click with the same path (the path warned of is kept in `warned`).
    long SaveFromDialog(IMSaveAsDialog* dialog, std::shared_ptr<std::wstring> warned);
    long PrintFromDialog(IMSelectPrinterDialog* dialog);
    // At the program's end during a step: the step's closing rows, and its
    // dialog no longer drives the steps.
    void EndOpenStep();
    // The display is gone and the program with it: the results are saved.
    // True when none were lost.
    static bool SaveAtDisplayLoss();
    // The results screen's line about saving, made to say what the last save
    // left to say (nothing, a failure, or the file used in place of one that
    // is not a workbook).
    void UpdateSaveNotice();
    // The results screen's texts on where the results are kept and what failed.
    screens::ResultsScreenText SaveStateText();
    long ForgetSaveNotice(const IMEvent&);

    static T* singleton;
    static int referenceCount;

    boost::signals2::shared_connection_block replayBlock;
    boost::signals2::connection stepRunConnection;
    // The credits overlay is open.
    bool creditsShown;
    bool closingSaveConnected;
    bool workbookUnsaved;
    // The running step's block of rows has its closing rows.
    bool closingRowsWritten;
    // A workbook whose rows could not be written when a nameless Start let
    // go of it; saved with the next save, held again by the next Start.
    IMWorkbook* keptWorkbook;
    std::wstring lastSaveError;
    workbook::SaveFailure lastSaveFailure;
    // The results screen's line about saving, while that screen is open.
    IMStaticText* saveNotice;
};

// Slots of the instruction dialogs: Esc closes the one shown after Start;
// any key-down closes an F1 replay. Each clears the flag after closing.
long OnEscCloseDialog(const IMKeyboardEvent& e, IMDialogBase<IMEmptyView>* dialog, bool* flag);
long CloseReplayDialog(IMDialogBase<IMEmptyView>* dialog, bool* flag);
// The exit dialog's closing: one pointer show taken back.
long HidePointerAgain();

#include "app/shell/IMApp_results.h"
#include "app/shell/IMApp_shell.h"
#include "app/shell/IMApp_steps.h"

// The shell's steps, results rows and workbook. Included by IMApp.h.
#pragma once

#include "app/shell/results_folder.h"
#include "app/shell/results_rows.h"
#include "platform/codepage.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

#include <cstdio>
#include <cstring>
#include <exception>

template <class T>
void IMApp<T>::RegisterDialog(const std::wstring& name, const DialogFunction& step)
{
    steps.Register(name, step);
}

template <class T>
void IMApp<T>::SetCurrentStep(const std::wstring& name)
{
    steps.SetCurrent(name);
}

template <class T>
long IMApp<T>::RunNextStep()
{
    using boost::placeholders::_1;
    if (!mainWindow || mainWindow->IsLocked())
        return 0;
    ShowCursor(TRUE);
    if (steps.Current().empty()) {
        WriteClosingRows();
        // The run is complete: it goes to the file now, not at the close.
        SaveWorkbookDefault();
        ShowResultsScreen();
        return 0;
    }

    startTime = crt::_time64(nullptr);
    const ResultRow row = StartTimeRow(startTime);
    AddResultRow(row.label, row.value, row.kind);
    closingRowsWritten = false;
    f1Count = 0;
    const StepMap::Step* found = steps.TakeCurrent();
    if (!found)
        return 0;
    const DialogFunction step = *found;

    Dialog* dialog = new Dialog(mainWindow, nullptr, 0);
    stepDialog = dialog;
    dialog->SetFocus(true);
    dialog->ConnectClosing(boost::bind(&IMApp::OnStepDialogClosing, this, _1));
    stepRunConnection = dialog->ConnectClosing(boost::bind(&IMApp::RunNextStepSlot, this, _1));
    if (step)
        step(dialog);
    return 0;
}

template <class T>
long IMApp<T>::OnStepDialogClosing(const IMEvent&)
{
    stepDialog = nullptr;
    return 0;
}

template <class T>
void IMApp<T>::WriteClosingRows()
{
    if (closingRowsWritten)
        return;
    closingRowsWritten = true;
    AddResultRows(ClosingRows(f1Count, startTime, crt::_time64(nullptr)));
    if (workbook) {
        workbook->AddEmptyRow();
        workbookUnsaved = true;
    }
}

template <class T>
void IMApp<T>::EndOpenStep()
{
    if (!stepDialog)
        return;
    // The dialog closes with the main window, after this; it must not run
    // the step driver then and write the closing rows again.
    stepRunConnection.disconnect();
    stepDialog = nullptr;
    WriteClosingRows();
}

template <class T>
long IMApp<T>::OnMainWindowClosing(const IMEvent&)
{
    EndOpenStep();
    return SaveWorkbookDefault();
}

template <class T>
bool IMApp<T>::SaveAtDisplayLoss()
{
    T* app = singleton;
    if (!app)
        return true;
    // No screen is drawn any more.
    app->saveNotice = nullptr;
    app->EndOpenStep();
    if (app->HasUnsavedResults())
        app->SaveWorkbookDefault();
    return !app->HasUnsavedResults();
}

template <class T>
void IMApp<T>::AddResultRow(const std::wstring& label, const std::wstring& value,
                            const std::wstring& kind)
{
    if (!workbook)
        return;
    workbook->AddRow(label, value, kind);
    workbookUnsaved = true;
}

template <class T>
void IMApp<T>::AddResultRows(const ResultRows& rows)
{
    for (const ResultRow& row : rows)
        AddResultRow(row.label, row.value, row.kind);
}

template <class T>
long IMApp<T>::CreateWorkbook(const std::wstring& name)
{
    using boost::placeholders::_1;
    // A workbook put aside by a nameless Start is the held one again.
    if (!workbook && keptWorkbook) {
        workbook = keptWorkbook;
        keptWorkbook = nullptr;
        workbookUnsaved = true;
    }
    // The workbook of an earlier run goes to its file first: the new one is
    // read from that file and so carries the earlier rows on. When it cannot
    // be written, it is kept: a new one would drop its rows.
    if (workbook) {
        SaveWorkbookDefault();
        if (workbookUnsaved) {
            if (name.empty()) {
                // The nameless run has no workbook; the unsaved rows wait
                // aside for the next save.
                keptWorkbook = workbook;
                workbook = nullptr;
            } else {
                workbook->SelectSheet(name);
            }
            return 0;
        }
    }
    if (name.empty()) {
        // No pupil, no workbook: the run's rows are dropped, and no earlier
        // pupil's worksheet takes them.
        delete workbook;
        workbook = nullptr;
        workbookUnsaved = false;
        return 0;
    }
    IMWorkbook* made = nullptr;
    try {
        made = new IMWorkbook(ResultsPath(instanceName), name);
    } catch (const std::exception& error) {
        // The XML library cannot work: the run goes on without a workbook.
        std::fprintf(stderr, "kvarlop: no results workbook: %s\n", error.what());
    }
    delete workbook;
    workbook = made;
    workbookUnsaved = true;
    if (!closingSaveConnected && mainWindow) {
        mainWindow->ConnectClosing(boost::bind(&IMApp::OnMainWindowClosing, this, _1));
        closingSaveConnected = true;
    }
    return 0;
}

template <class T>
long IMApp<T>::SaveWorkbookDefault()
{
    if (!workbook && keptWorkbook)
        return SaveKeptWorkbook();
    if (!workbook)
        return 0;
    const std::wstring own = workbook->GetFileName();
    int folderError = 0;
    // Made again if it has gone, or could not be made before.
    const std::wstring folder = own.empty() ? std::wstring() : ResultsFolder(&folderError);
    if (own.empty()) {
        lastSaveError = L"cannot save the results: there is no application-data folder "
                        L"(no home folder and no absolute $XDG_DATA_HOME)";
        lastSaveFailure = workbook::SaveFailure{workbook::SaveStep::MakeFolder, workbook::kNoFolder,
                                                std::string()};
        std::fprintf(stderr, "kvarlop: %s\n", platform::WideToUtf8(lastSaveError).c_str());
    } else if (folderError != 0 && own.compare(0, folder.size(), folder) == 0) {
        // The file cannot be there; the folder says why, not the file.
        const std::string folderPath =
            platform::WidePathToUtf8(folder.substr(0, folder.size() - 1));
        lastSaveFailure =
            workbook::SaveFailure{workbook::SaveStep::MakeFolder, folderError, folderPath};
        const std::string line = "cannot save the results to \"" + platform::WidePathToUtf8(own) +
                                 "\": cannot make the folder \"" + folderPath +
                                 "\": " + std::strerror(folderError);
        lastSaveError = platform::Utf8ToWide(line);
        std::fprintf(stderr, "kvarlop: %s\n", line.c_str());
    } else if (workbook->Save(std::wstring())) {
        workbookUnsaved = false;
        lastSaveError.clear();
        lastSaveFailure = workbook::SaveFailure();
    } else {
        // The workbook has said why on the standard error stream.
        lastSaveError = workbook->LastError();
        lastSaveFailure = workbook->LastFailure();
    }
    UpdateSaveNotice();
    return 0;
}

template <class T>
void IMApp<T>::UpdateSaveNotice()
{
    if (!saveNotice)
        return;
    screens::ShowSaveNotice(saveNotice, SaveStateText());
}

template <class T>
screens::ResultsScreenText IMApp<T>::SaveStateText()
{
    screens::ResultsScreenText text;
    if (workbook) {
        text.path = workbook->GetFileName();
        text.leftAlone = workbook->LeftAlone();
    }
    text.saveFailure = lastSaveFailure;
    return text;
}

template <class T>
long IMApp<T>::ForgetSaveNotice(const IMEvent&)
{
    saveNotice = nullptr;
    return 0;
}

// The put-aside workbook is saved as the held one is, and let go of once its
// rows are in the file.
template <class T>
long IMApp<T>::SaveKeptWorkbook()
{
    workbook = keptWorkbook;
    keptWorkbook = nullptr;
    workbookUnsaved = true;
    SaveWorkbookDefault();
    if (workbookUnsaved)
        keptWorkbook = workbook;
    else
        delete workbook;
    workbook = nullptr;
    workbookUnsaved = false;
    return 0;
}

template <class T>
long IMApp<T>::OnAcceptRunNextStep(const IMKeyboardEvent& e, Dialog* dialog)
{
    if (e.wParam == VK_RETURN) {
        RunNextStep();
        dialog->Close();
    }
    return 0;
}

// The results screen's Save As and Print. Included by IMApp.h.
#pragma once

#include "framework/dialogs/IMSaveAsDialog.h"
#include "framework/dialogs/IMSelectPrinterDialog.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"

#include <boost/bind/bind.hpp>

#include <map>
#include <memory>

template <class T>
long IMApp<T>::OnSaveAsClick()
{
    if (!workbook || !mainWindow)
        return 0;
    IMSaveAsDialog* dialog = new IMSaveAsDialog(mainWindow);
    if (IMEditBar* bar = dialog->GetEditBar())
        bar->SetText(workbook->GetFileName());
    dialog->SetFocus(true);
    if (IMSaveAsDialog::Button* save = dialog->GetSaveAsButton())
        save->ConnectClicked(
            boost::bind(&IMApp::SaveFromDialog, this, dialog, std::make_shared<std::wstring>()));
    return 0;
}

// An empty path is the workbook's own file, saved as at closing; any other
// path leaves the own file in force, so the save at closing still writes it.
template <class T>
long IMApp<T>::SaveWorkbookAs(std::wstring path)
{
    if (!workbook)
        return 0;
    if (path.empty() || path == workbook->GetFileName()) {
        SaveWorkbookDefault();
        return lastSaveFailure.error == 0 ? 0 : 1;
    }
    return workbook->Save(path) ? 0 : 1;
}

template <class T>
long IMApp<T>::SaveFromDialog(IMSaveAsDialog* dialog, std::shared_ptr<std::wstring> warned)
{
    if (!workbook)
        return 0;
    const std::wstring path = dialog->GetFileName();
    if (path != *warned && workbook->IsAnotherFile(path)) {
        *warned = path;
        dialog->ShowFailure(L"Такой файл уже есть. Чтобы заменить его, нажмите «Сохранить как» "
                            L"ещё раз");
        return 0;
    }
    if (SaveWorkbookAs(path) != 0) {
        const bool own = path.empty() || path == workbook->GetFileName();
        dialog->ShowFailure(
            L"Не удалось сохранить файл: " +
            workbook::SaveFailureWords(own ? lastSaveFailure : workbook->LastFailure()));
        return 0;
    }
    dialog->Close();
    return 0;
}

template <class T>
long IMApp<T>::OnPrintClick()
{
    if (!workbook || !mainWindow)
        return 0;
    IMSelectPrinterDialog* dialog = new IMSelectPrinterDialog(mainWindow);
    if (IMSelectPrinterDialog::Button* print = dialog->GetPrintButton())
        print->ConnectClicked(boost::bind(&IMApp::PrintFromDialog, this, dialog));
    return 0;
}

template <class T>
long IMApp<T>::PrintResults(HDC dc)
{
    long result = 0;
    if (workbook) {
        std::map<std::wstring, std::wstring> header;
        header[L"Номер ЦОР"] = number;
        header[L"Название"] = title;
        header[L"Ученик"] = pupilName;
        result = workbook->Print(dc, header) ? 0 : 1;
    }
    // The reason a failed printing left stays for the caller.
    const DWORD error = GetLastError();
    DeleteDC(dc);
    SetLastError(error);
    return result;
}

// Whatever kept the results from the printer, no printer or none chosen
// included, is said in the dialog, which stays open.
template <class T>
long IMApp<T>::PrintFromDialog(IMSelectPrinterDialog* dialog)
{
    SetLastError(ERROR_SUCCESS);
    HDC dc = dialog->CreatePrinterDC();
    if (!dc || PrintResults(dc) != 0) {
        dialog->ShowFailure(dialog->FailureText(GetLastError()));
        return 0;
    }
    dialog->Close();
    return 0;
}

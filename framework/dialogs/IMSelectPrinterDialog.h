// The small dialog that lists the local printers, the default one selected,
// with Print and Close. The owner connects its own action to the Print
// button and makes a device context for the chosen printer through the
// dialog; Close closes the dialog and does nothing else.
#pragma once

#include "framework/controls/IMButtonBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/text/IMStaticTextBase.h"
#include "framework/widgets/IMList.h"
#include "platform/wintypes.h"

#include <string>

class IMSelectPrinterDialog : public IMDialogBase<IMEmptyView> {
public:
    typedef IMButtonBase<IMStateView> Button;
    typedef IMStaticPictureBase<IMTextureView> Picture;

    // Builds the dialog at (220, 125), 360 x 250, in the parent and lists
    // the print service's queues in the service's order.
    explicit IMSelectPrinterDialog(IMDialogBase* parent);
    ~IMSelectPrinterDialog() override;

    // A device context for the selected printer, which the caller deletes;
    // null when nothing is selected or the printer cannot be reached.
    HDC CreatePrinterDC() const;
    // Says on one line, under the list, why nothing was printed; the dialog
    // stays open so that another printer can be tried.
    void ShowFailure(const std::wstring& text);
    // Why nothing was printed, in words for whoever is at the screen: no
    // printer set up or none chosen, else the reason the printing call left
    // in `lastError` (GetLastError after CreatePrinterDC or the printing).
    std::wstring FailureText(DWORD lastError) const;

    IMList* GetList() const { return list; }
    Button* GetPrintButton() const { return printButton; }
    Button* GetCloseButton() const { return closeButton; }
    // Null until a failure has been shown.
    IMStaticText* GetFailureLine() const { return failureLine; }

    // The default printer's name in a profile "device" entry
    // ("name,winspool,port"): the text before ",winspool,", so that a name
    // with commas in it stays whole; in an entry of another form, the text
    // before the first comma. Empty for none.
    static std::wstring DefaultPrinterName(const std::wstring& deviceEntry);

private:
    void FillList();

    Picture* background;
    Button* printButton;
    Button* closeButton;
    IMList* list;
    IMStaticText* failureLine;
    // The print service did not answer when the list was read.
    bool listUnanswered;
};

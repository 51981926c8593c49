// The small dialog that asks for the path to save the results workbook
// under: a path field, Save As and Close. The owner fills the field, gives
// the dialog the focus (which puts the caret into the field) and connects
// its own action to the Save As button; Close closes the dialog and does
// nothing else.
#pragma once

#include "framework/controls/IMButtonBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/text/IMStaticTextBase.h"
#include "framework/widgets/IMEditBar.h"

#include <string>

class IMSaveAsDialog : public IMDialogBase<IMEmptyView> {
public:
    typedef IMButtonBase<IMStateView> Button;
    typedef IMStaticPictureBase<IMTextureView> Picture;

    // Builds the dialog at (220, 225), 360 x 150, in the parent.
    explicit IMSaveAsDialog(IMDialogBase* parent);
    ~IMSaveAsDialog() override;

    // What the path field holds.
    std::wstring GetFileName() const;
    // Says under the field, on one line or two, why the save did not
    // happen; the dialog stays open so that another path can be tried.
    void ShowFailure(const std::wstring& text);

    IMEditBar* GetEditBar() const { return editBar; }
    Button* GetSaveAsButton() const { return saveAsButton; }
    Button* GetCloseButton() const { return closeButton; }
    // Null until a failure has been shown.
    IMStaticText* GetFailureLine() const { return failureLine; }

private:
    Picture* background;
    Button* saveAsButton;
    Button* closeButton;
    IMEditBar* editBar;
    IMStaticText* failureLine;
};

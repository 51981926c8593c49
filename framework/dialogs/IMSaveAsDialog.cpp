#include "framework/dialogs/IMSaveAsDialog.h"

#include "framework/dialogs/dialog_parts.h"

#include <boost/bind/bind.hpp>

namespace {

const RECT kPlace{220, 225, 580, 375};

} // namespace

IMSaveAsDialog::IMSaveAsDialog(IMDialogBase* parent)
    : IMDialogBase<IMEmptyView>(parent, &kPlace, 0),
      background(nullptr),
      saveAsButton(nullptr),
      closeButton(nullptr),
      editBar(nullptr),
      failureLine(nullptr)
{
    background = dialogs::AddBackgroundAndFrame(this);
    editBar = new IMEditBar(this);
    editBar->SetRect(RECT{30, 28, 330, 48});
    saveAsButton = dialogs::AddSkinnedButton(this, 30, 79, L"SaveAsButton");
    closeButton = dialogs::AddSkinnedButton(this, 221, 79, L"CloseButton");

    ConnectFocusGained(boost::bind(&IMControl::SetFocus, static_cast<IMControl*>(editBar), true));
    if (closeButton)
        closeButton->ConnectClicked(boost::bind(&IMControl::Close, static_cast<IMControl*>(this)));
}

IMSaveAsDialog::~IMSaveAsDialog() = default;

std::wstring IMSaveAsDialog::GetFileName() const
{
    return editBar ? editBar->GetText() : std::wstring();
}

void IMSaveAsDialog::ShowFailure(const std::wstring& text)
{
    dialogs::ShowFailureLine(this, &failureLine, 30, 56, text);
}

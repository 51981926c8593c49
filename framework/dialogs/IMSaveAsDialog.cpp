#include "framework/dialogs/IMSaveAsDialog.h"

#include "framework/dialogs/dialog_parts.h"

#include <boost/bind/bind.hpp>

namespace {

const RECT kPlace{220, 225, 580, 375};
// A failure said on two lines fills the room between the path field (which
// ends at 48) and the buttons (which start at 79).
const int kFailureLeft = 30;
const int kFailureTop = 49;
const int kFailureLineHeight = 14;

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
    if (failureLine)
        failureLine->wordWrap = false;
    dialogs::ShowFailureLine(this, &failureLine, kFailureLeft, 56, text);
    if (!failureLine)
        return;
    RECT extent;
    failureLine->GetSourceRect(&extent);
    const int room = GetWidth() - 2 * kFailureLeft;
    if (extent.right - extent.left <= room)
        return;
    // Too long for one line: two, between the field and the buttons.
    failureLine->wordWrap = true;
    failureLine->minLineHeight = kFailureLineHeight;
    failureLine->SetRect(
        RECT{kFailureLeft, kFailureTop, kFailureLeft + room, kFailureTop + 2 * kFailureLineHeight});
    failureLine->Layout(0);
    failureLine->SetDirty(true);
}

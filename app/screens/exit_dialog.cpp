#include "app/screens/exit_dialog.h"

namespace screens {

namespace {

// The caret skin is one opaque black column: stretched, a plain black fill.
const wchar_t kBlack[] = L"EditBarKaretka";

} // namespace

ExitDialog BuildExitDialog(Dialog* parent, int width, int height)
{
    ExitDialog dialog;
    Dialog* veil = Dialog::Create(parent, 0, 0, width, height, kExitDialogDepth);
    if (!veil)
        return dialog;
    dialog.veil = veil;
    if (Picture* fill = AddStretchedPicture(veil, kBlack, 0, 0, width, height)) {
        // Black at alpha 75 of 255: the screens below stay visible, darkened.
        fill->colour = 0x4B000096;
        fill->SetDirty(true);
    }

    Dialog* panel = Dialog::Create(veil, 0, 0, width, height, 1);
    if (!panel)
        return dialog;
    const int left = (width - kPanelWidth) / 2;
    const int top = (height - kPanelHeight) / 2;
    panel->SetRect(RECT{left, top, left + kPanelWidth, top + kPanelHeight});
    dialog.panel = panel;
    if (Picture* background = Picture::Create(panel, 0, 0, L"DefaultBackGround", 0, 0xFFFFFFFF))
        background->SetRect(RECT{0, -100, kPanelWidth, 300});
    dialog.retry = AddSkinButton(panel, L"RetryButton", 10, 20);
    dialog.close = AddSkinButton(panel, L"CloseButton", 10, 80);
    dialog.cancel = AddSkinButton(panel, L"CancelButton", 10, 140);
    AddStretchedPicture(panel, kBlack, 0, 0, 1, kPanelHeight);
    AddStretchedPicture(panel, kBlack, 0, 0, kPanelWidth, 1);
    AddStretchedPicture(panel, kBlack, kPanelWidth - 1, 0, 1, kPanelHeight);
    AddStretchedPicture(panel, kBlack, 0, kPanelHeight - 1, kPanelWidth, 1);
    return dialog;
}

} // namespace screens

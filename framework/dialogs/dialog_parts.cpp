#include "framework/dialogs/dialog_parts.h"

namespace dialogs {

namespace {

const DWORD kOpaqueWhite = 0xFFFFFFFFu;
// Dark red: a failure must catch the eye of whoever is at the screen.
const DWORD kFailureColour = 0xFFB01818u;
const int kFailureHeight = 14;

} // namespace

IMStaticPictureBase<IMTextureView>* AddBackgroundAndFrame(Container* dialog)
{
    typedef IMStaticPictureBase<IMTextureView> Picture;
    const int w = dialog->GetWidth();
    const int h = dialog->GetHeight();
    Picture* background = Picture::Create(dialog, 0, 0, L"DefaultBackGround", 0, kOpaqueWhite);
    if (background)
        background->SetRect(RECT{0, 0, w, h});
    const RECT lines[] = {
        {0, 0, 1, h},     // left
        {0, 0, w, 1},     // top
        {0, h - 1, w, h}, // bottom
        {w - 1, 0, w, h}, // right
    };
    for (const RECT& r : lines)
        if (Picture* line = Picture::Create(dialog, 0, 0, L"EditBarKaretka", 0, kOpaqueWhite))
            line->SetRect(r);
    return background;
}

Button* AddSkinnedButton(Container* dialog, int x, int y, const std::wstring& skin)
{
    return Button::Create(dialog, x, y, skin, skin, skin + L"Nuv", skin + L"Klick", 0);
}

void ShowFailureLine(Container* dialog, IMStaticText** line, int x, int y, const std::wstring& text)
{
    if (!*line) {
        *line = IMStaticText::Create(dialog, x, y, std::wstring(), 0);
        if (!*line)
            return;
        (*line)->SetHeight(kFailureHeight);
        (*line)->SetTextColor(kFailureColour);
    }
    IMStaticText* label = *line;
    label->IMTextView::SetText(text);
    RECT extent;
    label->GetSourceRect(&extent);
    // Never wider than the dialog: the rest of a long text is cut.
    const int room = dialog->GetWidth() - x - 1;
    const int width = extent.right - extent.left < room ? extent.right - extent.left : room;
    label->SetRect(RECT{x, y, x + width, y + (extent.bottom - extent.top)});
    label->SetDirty(true);
}

} // namespace dialogs

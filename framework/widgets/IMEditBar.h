// The framed box that holds one text edit and keeps its caret in view: a
// background, a 1-pixel frame and the edit inset by two pixels on the left
// and one at the top. Text typed past the right edge scrolls left; moving
// back past the left edge scrolls right again.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/widgets/IMTextEdit.h"

#include <string>

class IMEditBar : public IMDialogBase<IMEmptyView> {
public:
    typedef IMStaticPictureBase<IMTextureView> Picture;

    // Covers the screen until its owner sizes it (SetSize or SetRect).
    explicit IMEditBar(IMDialogBase* parent);
    ~IMEditBar() override;

    // Places the frame, the background and the edit.
    long SetRect(const RECT& r) override;

    std::wstring GetText() const;
    // Replaces the text, the caret after it, scrolled into view.
    long SetText(std::wstring text);
    // Moves the edit so that the caret lies inside the bar.
    long KeepCaretVisible();

    IMTextEdit* GetEdit() const { return edit; }

private:
    IMTextEdit* edit;
    Picture* background;
    // Top-left, top-right, bottom-left, bottom-right.
    Picture* corners[4];
    // Left, top, right, bottom.
    Picture* lines[4];
};

// Parts shared by the small dialogs over the results screen: the background
// with its 1-pixel frame, the skinned buttons, and the line that says why an
// action did not succeed.
#pragma once

#include "framework/controls/IMButtonBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/text/IMStaticTextBase.h"

#include <string>

namespace dialogs {

typedef IMDialogBase<IMEmptyView> Container;
typedef IMButtonBase<IMStateView> Button;

// The background and the four frame lines, sized to the dialog. The lines
// are owned by the dialog alone; the background is returned.
IMStaticPictureBase<IMTextureView>* AddBackgroundAndFrame(Container* dialog);

// A button skinned by name: the name for normal and disabled, "Nuv" for
// hover, "Klick" for pressed.
Button* AddSkinnedButton(Container* dialog, int x, int y, const std::wstring& skin);

// Shows the text on one line at (x, y) in the dialog, in the colour of
// failures: makes the label the first time (into *line), replaces its text
// after that.
void ShowFailureLine(Container* dialog, IMStaticText** line, int x, int y,
                     const std::wstring& text);

} // namespace dialogs

// Pieces every screen of the shell is made of: the common background, text
// lines in the screens' ink, and buttons with their four state skins.
#pragma once

#include "framework/controls/IMButtonBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/text/IMStaticTextBase.h"

#include <string>

namespace screens {

typedef IMDialogBase<IMEmptyView> Dialog;
typedef IMStaticPictureBase<IMTextureView> Picture;
typedef IMStaticPictureBase<IMTextView> TextLine;
typedef IMButtonBase<IMStateView> Button;

// Opaque dark blue of every text on the screens.
const DWORD kInk = 0xFF072134;

// "DefaultBackGround" over the whole of the dialog.
Picture* AddBackground(Dialog* dialog);
// A line of text at (x, y), sized to its laid-out text.
TextLine* AddTextLine(Dialog* parent, const std::wstring& text, int height, bool bold, int x,
                      int y);
// The same, centred across the parent by whole-pixel halves.
TextLine* AddCentredLine(Dialog* parent, const std::wstring& text, int height, bool bold, int y);
// Left edge that centres a width inside another: each halved toward zero.
int CentredLeft(int outerWidth, int innerWidth);
// A button whose skin names its four states: normal and disabled the skin
// itself, mouse over with "Nuv", pressed with "Klick".
Button* AddSkinButton(Dialog* parent, const std::wstring& skin, int x, int y);
// A picture of a texture, sized and placed.
Picture* AddStretchedPicture(Dialog* parent, const std::wstring& texture, int x, int y, int width,
                             int height);

// The course's two centred lines at the top of a page.
void AddCourseHeading(Dialog* dialog);
// A bold label at the left margin and its value in the column beside it.
void AddField(Dialog* dialog, const wchar_t* label, const std::wstring& value, int y);
// The Exit picture button in the top right corner.
Button* AddExitButton(Dialog* dialog);

} // namespace screens

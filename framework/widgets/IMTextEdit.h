// A one-line text control with a caret and keyboard editing.
//
// The text never wraps; the edit bar that holds the edit moves and widens
// it to keep the caret in view. The caret is a 1-pixel picture in the
// edit's parent, drawn above the text; it shows while the edit has the
// focus and blinks every 500 ms. Typed characters are inserted at the
// caret; control characters (tab, line feed, carriage return, escape and
// the rest) insert nothing and leave the caret where it is.
#pragma once

#include "framework/controls/IMStaticPictureBase.h"
#include "framework/text/IMStaticTextBase.h"

#include <string>

class IMTextEdit : public IMStaticPictureBase<IMTextView> {
public:
    typedef IMStaticPictureBase<IMTextureView> Picture;

    explicit IMTextEdit(Container* parent);
    // Removes the blink timer from the main window.
    ~IMTextEdit() override;

    // The keyboard handler (connected to the edit's own KeyMessage).
    virtual long OnChar(const IMKeyboardEvent& e);

    // Moves the caret to the position, clamped to 0 … text length.
    void SetCaret(int position);
    // Sizes and places the caret picture after the glyph before it.
    long UpdateCaret();
    // The blink timer's slot: toggles the caret while the edit is focused.
    long OnBlink();
    // The caret's offset from the start of its line.
    int GetCaretColumn() const;
    // The character a WM_CHAR message inserts; empty for other messages,
    // backspace and every control character.
    static std::wstring CharText(const IMKeyboardEvent& e);
    // Replaces the text and puts the caret after it.
    void SetText(std::wstring text);

    int GetCaretPosition() const { return caretPosition; }
    Picture* GetCaret() const { return caret; }
    // For tests only: the caret's blink timer on the window.
    int GetBlinkTimer() const { return blinkTimer; }

    // The column Up and Down aim for, shared by every edit.
    static int RememberedColumn();

private:
    int caretPosition;
    int blinkTimer;
    Picture* caret;
};

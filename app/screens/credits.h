// The credits overlay: the course title and who made what, on the common
// background above every other screen, with an Exit button that removes it.
#pragma once

#include "app/screens/screen_parts.h"

namespace screens {

const int kCreditsDepth = 9999;
const int kCreditLineCount = 15;

struct CreditLine {
    int y;
    int height;
    const wchar_t* text;
};

// Top to bottom: the course title, then role headings each followed by who
// or what made that part.
extern const CreditLine kCreditLines[kCreditLineCount];

struct CreditsOverlay {
    Dialog* overlay = nullptr;
    Button* exit = nullptr;
};

// The overlay of width x height under the parent; Exit closes it.
CreditsOverlay BuildCredits(Dialog* parent, int width, int height);

// The overlay's closing: `shows` extra pointer shows undone and one more,
// then the flag lowered.
long RestoreCursorAndFlag(bool* flag, int shows);

} // namespace screens

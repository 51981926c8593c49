// The instruction's closing page: a keyboard with its space bar blinking, a
// mouse and a voice asking for Space, which closes the page's dialog.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"

namespace screens {

// The page's pictures lie above the instruction's.
constexpr int kKeyboardPageDepth = 1000;
// The space bar is shown, then hidden, for this long each, ms.
constexpr DWORD kBlinkPeriod = 500;

// Fills the dialog with the page; Space closes the dialog and clears the
// flag (an instruction is showing). The voice stops when the dialog closes.
long ShowKeyboardHelp(bool* modal, IMDialogBase<IMEmptyView>* dialog);

// The page's key-down slot on the main window.
long OnKeyboardHelpKey(const IMKeyboardEvent& e, IMDialogBase<IMEmptyView>* dialog, bool* modal);

// The space bar's timer slot: shown if hidden, hidden if shown, and the
// next 500 ms timer armed; a locked dialog ends the blinking.
long BlinkPicture(int timerId, IMStaticPictureBase<IMTextureView>* picture,
                  IMDialogBase<IMEmptyView>* dialog);

// A slot that stops the sound, for a dialog's Closing signal.
long StopSoundSlot(unsigned long sound);

} // namespace screens

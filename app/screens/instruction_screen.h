// The animated, spoken instruction: a background, eleven drifting bubbles, a
// voice of about 24 seconds and, at its labels, the mouse demonstration
// that pops one bubble; App::ShowInstruction builds it (App.h).
#pragma once

#include "app/screens/cursor_mouse.h"
#include "app/screens/drifting_pictures.h"

namespace screens {

// Label positions of the voice, ms from its start.
constexpr unsigned long kLabelGlide = 14400;
constexpr unsigned long kLabelClick = 15600;
constexpr unsigned long kLabelBurst1 = 15700;
constexpr unsigned long kLabelBurst2 = 15800;
constexpr unsigned long kLabelPopped = 15900;
constexpr unsigned long kLabelClear = 23000;

// The action of one label: the demonstration shown and gliding, placed
// and clicking, the bubble under it bursting and gone, the bubbles cleared.
long OnInstructionLabel(unsigned long sound, unsigned long position,
                        IMDialogBase<IMEmptyView>* dialog, DriftingPictures* list,
                        CursorMouse* demonstration);

} // namespace screens

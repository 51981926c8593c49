// The exit dialog: a translucent black veil over everything below it, with
// a small framed panel in the middle holding Retry, Close and Cancel. The
// builder makes the controls; the shell binds what the buttons do.
#pragma once

#include "app/screens/screen_parts.h"

namespace screens {

// Above every screen but the credits.
const int kExitDialogDepth = 1099;
const int kPanelWidth = 136;
const int kPanelHeight = 200;

struct ExitDialog {
    Dialog* veil = nullptr;
    Dialog* panel = nullptr;
    Button* retry = nullptr;
    Button* close = nullptr;
    Button* cancel = nullptr;
};

// A veil of width x height under the parent, with its panel centred.
ExitDialog BuildExitDialog(Dialog* parent, int width, int height);

} // namespace screens

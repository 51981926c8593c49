// The settings page: five labelled edit bars for the diameters, the speeds
// and the number of bubbles, Submit and Cancel. A value goes into its field
// as soon as it passes; the page closes only when all five pass.
#pragma once

#include "app/screens/screen_parts.h"
#include "framework/widgets/IMEditBar.h"

#include <string>

namespace screens {

// The App's five settings, in the order of the bars.
struct SettingsFields {
    int* initialDiameter;
    int* finalDiameter;
    int* initialSpeed;
    int* finalSpeed;
    int* bubbleCount;
};

struct SettingsPage {
    IMEditBar* bars[5] = {};
    Button* submit = nullptr;
    Button* cancel = nullptr;
};

// A setting typed as plain decimal digits, the whole text, at most INT_MAX.
// A sign, a blank, anything after the digits or a larger value is refused.
bool ParseSetting(const std::wstring& text, int* value);

// Fills the dialog with the page and the bars with the fields; bar 1 takes
// the focus. Submit and Cancel are left for the owner to bind.
SettingsPage BuildSettingsPage(Dialog* dialog, const SettingsFields& fields);

// Reads the bars into the fields in order; a bar that is refused shows its
// replacement text. Closes the dialog when every value passed.
void SubmitSettings(IMControl* dialog, IMEditBar* const bars[5], const SettingsFields& fields);
// Puts the fields back into the bars, then submits them.
void CancelSettings(IMControl* dialog, IMEditBar* const bars[5], const SettingsFields& fields);

} // namespace screens

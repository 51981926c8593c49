// The plain help page: the course line and the heading "Справка" on the
// common background. It closes itself after five seconds.
#pragma once

#include "app/screens/screen_parts.h"

#include <boost/function.hpp>

class IMWindow;

namespace screens {

const unsigned long kHelpPageMilliseconds = 5000;

// Fills the dialog and arms its closing on a timer of the window: when the
// time is up, `beforeClose` runs and the dialog closes. The timer goes once
// the dialog closes, by the timer or otherwise. Returns the timer.
int BuildHelpPage(Dialog* dialog, IMWindow* window, const boost::function<void()>& beforeClose);

} // namespace screens

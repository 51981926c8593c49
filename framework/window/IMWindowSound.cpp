// The sound system's registered window messages, seen by the window
// procedure before the ordinary messages while the resource manager exists:
// "WM_IM_ONSOUNDPLAY", "WM_IM_ONSOUNDPOUSE", "WM_IM_ONSOUNDSTOP" and
// "WM_IM_ONLABEL", compared in that order. A match does not end the window
// procedure. No sound system exists yet, so no message is one of them.
#include "framework/window/IMWindow.h"

void IMWindow::HandleSoundMessage(UINT, WPARAM, LPARAM)
{
}

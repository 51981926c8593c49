// How the program's session ends other than by its own windows: the user
// logging out (SIGHUP), the X server going away, a file-size limit. The
// program is given the chance to keep its data in each case.
#pragma once

namespace platform {

// Installs the process's handling, once, before the main window is made:
// SIGHUP becomes a close request to the main window (WM_CLOSE), as SIGINT
// and SIGTERM are; SIGXFSZ is ignored, so that writing past a file-size
// limit is a failed write (EFBIG) like a full disk, not a killed process.
void InstallSessionEndHandling();

// Called once when the display connection breaks, just before the program
// ends (the window system can do nothing more for it); it should save what
// must not be lost, without touching windows, and say whether it did: the
// program then ends with 0, or with 1 when something was lost. Null removes
// it (nothing to lose).
void SetDisplayLostHandler(bool (*handler)());

// Whether a hang-up has arrived since the last call (taken by the message
// pump, which turns it into WM_CLOSE).
bool TakeHangUp();

// Sets up the watch on the display connection once the video subsystem has
// opened it (called by the window layer).
void WatchDisplayConnection();

} // namespace platform

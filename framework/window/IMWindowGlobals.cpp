// The process-wide handle of the main window and its window control.
#include "framework/window/IMWindow.h"

HWND IMWindow::handle = nullptr;
IMWindow* IMWindow::instance = nullptr;

// Shell folders: our stand-in for shell32.
#pragma once

#include "platform/wintypes.h"

#include <string>

#define CSIDL_COMMON_APPDATA 0x0023

// Writes the folder `csidl` names into `path` (MAX_PATH characters), without a
// trailing '/'. The all-users application-data folder is $XDG_DATA_HOME, or
// $HOME/.local/share when that is unset, empty or not absolute. With `create`
// the folder (and its parents) is made when missing; without it, a missing
// folder is a failure. FALSE for any other folder.
BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR path, int csidl, BOOL create);

namespace platform {
// The name of the all-users application-data folder, whether it exists or
// not; "" when there is none to be had (no absolute $XDG_DATA_HOME, no home).
std::wstring DataFolderName();
} // namespace platform

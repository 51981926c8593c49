// Windows virtual-key codes and scan codes of physical keys. The code is that
// of the key's place on a US keyboard, whatever the layout, so a letter key
// gives the same code with a Latin or a Cyrillic layout.
#pragma once

#include "platform/wintypes.h"

#include <SDL.h>

namespace platform {

struct KeyCode {
    BYTE vk;       // 0 for a key Windows has no code for
    BYTE scan;     // set-1 scan code
    bool extended; // the E0-prefixed keys (right Ctrl and Alt, arrows, ...)
};

// With Num Lock off the keypad's digit keys give the navigation codes.
KeyCode KeyCodeFromScancode(SDL_Scancode scancode, bool numLock);

} // namespace platform

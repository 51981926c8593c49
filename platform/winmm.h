// The multimedia timer.
#pragma once

#include "platform/wintypes.h"

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD timeGetTime();

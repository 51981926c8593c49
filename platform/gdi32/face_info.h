// What the fonts of a device context are made of, for tests and diagnostics.
#pragma once

#include "platform/gdi32.h"

#include <string>

namespace platform::gdi {

struct FaceInfo {
    std::string path; // the font file
    int index = 0;    // the face within it
    long emWidth = 0; // the em size the face is scaled to, in 26.6 pixels
    long emHeight = 0;
};

// The face that draws `character` in the font selected into `hdc`.
bool InspectFace(HDC hdc, UINT character, FaceInfo* out);

} // namespace platform::gdi

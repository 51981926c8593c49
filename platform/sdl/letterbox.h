// Where the client area lies in a window's pixels when it is scaled up
// uniformly and centred, with black borders on the sides that are left over,
// and how positions map between the two. Pure arithmetic.
#pragma once

#include "platform/wintypes.h"

namespace platform {

// The client area's place inside the output, in output pixels.
struct Letterbox {
    int x;
    int y;
    int width;
    int height;
};

// The largest uniform scaling of a client of the given size that fits the
// output, centred. A degenerate size gives the client at (0, 0) unscaled.
Letterbox ComputeLetterbox(int outputWidth, int outputHeight, int clientWidth, int clientHeight);

// The client position under an output pixel (it may lie outside the client
// area when the pixel is in a border).
POINT OutputToClient(const Letterbox& box, int clientWidth, int clientHeight, POINT output);

// The first output pixel that maps back to the client position; so
// OutputToClient(ClientToOutput(p)) == p whenever the scale is at least 1.
POINT ClientToOutput(const Letterbox& box, int clientWidth, int clientHeight, POINT client);

} // namespace platform

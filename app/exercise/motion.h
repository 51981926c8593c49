// A launched bubble's flight: its position from the time since its launch,
// and the test for having left the screen.
#pragma once

#include "platform/wintypes.h"

namespace exercise {

// Seconds between two performance-counter values, as a float.
float SecondsBetween(LONGLONG launch, LONGLONG now, LONGLONG frequency);

struct Flight {
    int startX = 0;
    int startY = 0;
    float velocityX = 0.0f;
    float velocityY = 0.0f;

    // The unrounded position t seconds after the launch.
    float X(float t) const { return startX + velocityX * t; }
    float Y(float t) const { return startY + velocityY * t; }
};

// Whether a view of w x h at (x, y) lies wholly off a screen of
// screenWidth x screenHeight. One row or column on the screen is not off it.
inline bool HasLeftScreen(float x, float y, int w, int h, int screenWidth, int screenHeight)
{
    return x + w < 0 || x > screenWidth || y + h < 0 || y > screenHeight;
}

// Conversion toward zero that saturates instead of leaving the int range.
int TruncToInt(float v);

} // namespace exercise

// Where and how a bubble of a run starts: its size and speed on the run's
// ramp, its start point at one edge of the screen, the target point in the
// middle region it flies through, and its velocity.
#pragma once

#include <functional>

namespace exercise {

// The five values of a run, as the settings page leaves them in the App.
struct Settings {
    int initialDiameter;
    int initialSpeed;
    int finalDiameter;
    int finalSpeed;
    int bubbleCount;
};

// Diameters beyond this are taken as this (a bubble of 65535 pixels already
// covers the screen many times over).
const int kMaxDiameter = 65535;
// Smaller diameters, 0 and negative ones included, are taken as this: a
// bubble the pupil could not see would still count as missed. A diameter
// typed beyond the int range arrives here negative.
const int kMinDiameter = 16;
int UsableDiameter(int diameter);
// A negative count (a count typed beyond the int range) is a run of none.
int UsableCount(int count);

// initial - (initial - final) * k / n, in double precision from the integers.
double Ramp(int initial, int final, int k, int n);

// Edges a bubble can start at, as the fourth random draw numbers them.
enum Side { kTop = 0, kLeft = 1, kBottom = 2, kRight = 3 };

struct Launch {
    int width; // the view's size
    int height;
    float x; // the start point before truncation
    float y;
    int side;
    int startX; // the start point the motion counts from
    int startY;
    float targetX; // top-left corner that centres the bubble on the target point
    float targetY;
    float velocityX; // pixels per second
    float velocityY;
};

// The k-th launch of a run (k from 0 while k < the usable count), on a screen
// of screenWidth x screenHeight. Draws five numbers from `random` (0 to 32767
// each), always in the order start x, start y, side, target x, target y.
Launch PlanLaunch(const Settings& settings, int k, int screenWidth, int screenHeight,
                  const std::function<int()>& random);

} // namespace exercise

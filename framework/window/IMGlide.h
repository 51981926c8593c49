// Glides: a picture control, or the system pointer when no picture is
// given, moved along a straight line in 50 equal steps, one step per firing
// of a one-shot 4 ms timer of the main window. A glide keeps no object of
// its own: each step is a timer slot that carries the whole state and arms
// the next step on a new timer.
#pragma once

#include "framework/controls/IMStaticPictureBase.h"
#include "framework/window/IMWindow.h"

struct FLOATPOINT {
    float x;
    float y;
};

// Number of moves of a glide and the period of its timers (ms).
constexpr int kGlideSteps = 50;
constexpr DWORD kGlidePeriod = 4;

// Starts a glide from the start point to the target: the picture's top-left
// corner in its parent's coordinates, or the pointer in the main window's
// client area when picture is null. Does nothing without a main window.
void GlideTo(float startX, float startY, int targetX, int targetY,
             IMStaticPictureBase<IMTextureView>* picture);

// One step, the slot of the timer timerId: moves to the position truncated
// toward zero (the last move, when no steps are left, exactly to the
// target), removes its own timer and, while steps are left, arms the next
// step on a new timer. `placed` is where the glide put the picture last (its
// start before the first move). A picture that another hand has placed on
// the glide's target ends the glide where it stands: a glide slower than
// its caller does not drag the picture back along its way. Returns 0.
long GlideStep(IMWindow* window, FLOATPOINT position, FLOATPOINT step, int timerId, int stepsLeft,
               DWORD period, POINT target, POINT placed,
               IMStaticPictureBase<IMTextureView>* picture);

// Connects the slot to the window's timer, followed by a slot that removes
// the timer once the first slot's connection has ended: a chain of one-shot
// timers bound to a control that was destroyed leaves no timer behind.
IMControl::Connection ConnectChainTimer(IMWindow* window, int timerId,
                                        const IMSignal<IMEvent>::slot_type& slot);

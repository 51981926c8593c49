// The run's one bubble: a frame animation (the intact bubble, then three
// stages of its burst) that flies in a straight line from its launch, pops
// on a click of any button and reports when it has left the screen.
#pragma once

#include "app/exercise/motion.h"
#include "framework/controls/IMAnimationBase.h"
#include "framework/views/IMSequenceView.h"

class Bubble : public IMAnimationBase<IMSequenceView> {
public:
    explicit Bubble(IMDialogBase<IMEmptyView>* parent);
    ~Bubble() override;

    using IMAnimationBase<IMSequenceView>::OnUpdate;

    // The bubble's Clicked: the pop.
    long OnMouseDown();
    // The bubble's Updated, once per frame: the motion and the exit test.
    long OnUpdate();

    // Starts a flight from now.
    void Launch(const exercise::Flight& flight);

    exercise::Flight flight;
    // QueryPerformanceCounter at the launch.
    LONGLONG launchTime;
};

// The frame-animation player is made here once, for every user.
#include "framework/controls/IMAnimationBase.h"

#include "framework/views/IMSequenceView.h"

template class IMAnimationBase<IMSequenceView>;

// The players are made here once, for every user.
#include "framework/controls/IMAnimationBase.h"

#include "framework/video/IMTheoraView.h"
#include "framework/views/IMSequenceView.h"

template class IMViewControl<IMTheoraView>;
template class IMAnimationBase<IMSequenceView>;
template class IMAnimationBase<IMTheoraView>;

#include "framework/window/IMGlide.h"

#include <boost/bind/bind.hpp>

namespace {

void ArmStep(IMWindow* window, FLOATPOINT position, FLOATPOINT step, int stepsLeft, DWORD period,
             POINT target, POINT placed, IMStaticPictureBase<IMTextureView>* picture)
{
    const int id = window->AddTimer(period);
    // The binding names the picture, so the step's connection ends with it.
    ConnectChainTimer(window, id,
                      boost::bind(&GlideStep, window, position, step, id, stepsLeft, period, target,
                                  placed, picture));
}

} // namespace

void GlideTo(float startX, float startY, int targetX, int targetY,
             IMStaticPictureBase<IMTextureView>* picture)
{
    IMWindow* window = IMWindow::Instance();
    if (!window)
        return;
    // The difference in double precision, rounded to float, then divided.
    const FLOATPOINT step{
        static_cast<float>(static_cast<double>(targetX) - static_cast<double>(startX)) /
            kGlideSteps,
        static_cast<float>(static_cast<double>(targetY) - static_cast<double>(startY)) /
            kGlideSteps};
    const FLOATPOINT first{startX + step.x, startY + step.y};
    const POINT start{static_cast<LONG>(startX), static_cast<LONG>(startY)};
    ArmStep(window, first, step, kGlideSteps - 1, kGlidePeriod, POINT{targetX, targetY}, start,
            picture);
}

long GlideStep(IMWindow* window, FLOATPOINT position, FLOATPOINT step, int timerId, int stepsLeft,
               DWORD period, POINT target, POINT placed,
               IMStaticPictureBase<IMTextureView>* picture)
{
    if (picture) {
        POINT now{0, 0};
        picture->GetPosition(&now);
        const bool onTarget = now.x == target.x && now.y == target.y;
        if (onTarget && (placed.x != target.x || placed.y != target.y)) {
            window->RemoveTimer(timerId);
            return 0;
        }
    }
    // The accumulated float position may fall a pixel short of the target
    // after truncation: the last move goes there exactly.
    const POINT to = stepsLeft <= 0
                         ? target
                         : POINT{static_cast<LONG>(position.x), static_cast<LONG>(position.y)};
    if (picture)
        picture->MoveTo(to);
    else
        IMWindow::SetCursorPos(to.x, to.y);
    window->RemoveTimer(timerId);
    if (stepsLeft <= 0)
        return 0;
    const FLOATPOINT next{position.x + step.x, position.y + step.y};
    ArmStep(window, next, step, stepsLeft - 1, period, target, to, picture);
    return 0;
}

IMControl::Connection ConnectChainTimer(IMWindow* window, int timerId,
                                        const IMSignal<IMEvent>::slot_type& slot)
{
    IMControl::Connection step = window->ConnectTimer(timerId, slot);
    window->ConnectTimer(timerId, [window, timerId, step](const IMEvent&) -> long {
        if (!step.connected())
            window->RemoveTimer(timerId);
        return 0;
    });
    return step;
}

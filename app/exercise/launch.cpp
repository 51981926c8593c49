#include "app/exercise/launch.h"

#include <algorithm>
#include <cmath>

namespace exercise {

namespace {

double Draw(const std::function<int()>& random)
{
    return random() / 32768.0;
}

// Conversion toward zero of a value known to lie well inside the int range.
int Trunc(double v)
{
    return static_cast<int>(v);
}

} // namespace

int UsableDiameter(int diameter)
{
    return std::min(std::max(diameter, kMinDiameter), kMaxDiameter);
}

int UsableCount(int count)
{
    return std::max(count, 0);
}

double Ramp(int initial, int final, int k, int n)
{
    // The difference in 64 bits: two ints far apart do not overflow.
    const long long difference = static_cast<long long>(initial) - final;
    return initial - static_cast<double>(difference) * k / n;
}

Launch PlanLaunch(const Settings& settings, int k, int screenWidth, int screenHeight,
                  const std::function<int()>& random)
{
    const int n = UsableCount(settings.bubbleCount);
    Launch l{};

    const float diameter = static_cast<float>(Ramp(UsableDiameter(settings.initialDiameter),
                                                   UsableDiameter(settings.finalDiameter), k, n));
    l.width = Trunc(diameter);
    l.height = Trunc(0.92 * diameter);
    const int w = l.width;
    const int h = l.height;

    l.x = static_cast<float>(Draw(random) * (800 - w));
    l.y = static_cast<float>(Draw(random) * (600 - h));
    l.side = Trunc(Draw(random) * 4.0);
    switch (l.side) {
    case kTop:
        l.y = static_cast<float>(1 - h);
        break;
    case kLeft:
        l.x = static_cast<float>(1 - w);
        break;
    case kBottom:
        l.y = static_cast<float>(screenHeight - 1);
        break;
    default:
        l.x = static_cast<float>(screenWidth - 1);
        break;
    }
    l.startX = Trunc(l.x);
    l.startY = Trunc(l.y);

    const float tx = static_cast<float>(Draw(random) * 300);
    l.targetX = tx + 250 - (w / 2);
    const float ty = static_cast<float>(Draw(random) * 200);
    l.targetY = 200 + ty - (h / 2);

    const float dx = l.targetX - l.x;
    const float dy = l.targetY - l.y;
    const float length = std::sqrt(dx * dx + dy * dy);

    const double speed = Ramp(settings.initialSpeed, settings.finalSpeed, k, n);
    float travel = static_cast<float>(length / speed);
    travel = static_cast<float>(travel / 50.0);
    if (travel > 0.0f && std::isfinite(travel)) {
        l.velocityX = dx / travel;
        l.velocityY = dy / travel;
        return l;
    }

    // The start point is the target itself, or the speed is not a speed:
    // the bubble still has to fly and leave. It goes on at speed 1 or more,
    // towards the target, or straight away from its edge.
    const float pixelsPerSecond = static_cast<float>(50.0 * std::max(speed, 1.0));
    float ux = 0.0f;
    float uy = 0.0f;
    if (length > 0.0f && std::isfinite(length)) {
        ux = dx / length;
        uy = dy / length;
    } else {
        switch (l.side) {
        case kTop:
            uy = 1.0f;
            break;
        case kLeft:
            ux = 1.0f;
            break;
        case kBottom:
            uy = -1.0f;
            break;
        default:
            ux = -1.0f;
            break;
        }
    }
    l.velocityX = ux * pixelsPerSecond;
    l.velocityY = uy * pixelsPerSecond;
    return l;
}

} // namespace exercise

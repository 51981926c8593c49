#include "app/exercise/motion.h"

#include <cmath>
#include <limits>

namespace exercise {

float SecondsBetween(LONGLONG launch, LONGLONG now, LONGLONG frequency)
{
    if (frequency <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(now - launch) / static_cast<double>(frequency));
}

int TruncToInt(float v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483520.0f)
        return std::numeric_limits<int>::max();
    if (v <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

} // namespace exercise

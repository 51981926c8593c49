#include "bench/support/first_sound.h"

#include "platform/dsound.h"

#include <thread>

namespace benchsupport {

FirstSound::FirstSound()
{
    platform::dsoundtest::SetCapture([this](const int16_t* stereo, size_t frames) {
        if (!armed)
            return;
        for (size_t i = 0; i < 2 * frames; ++i) {
            if (stereo[i] != 0) {
                heardAt = Clock::now().time_since_epoch().count();
                armed = false;
                return;
            }
        }
    });
}

FirstSound::~FirstSound()
{
    platform::dsoundtest::SetCapture(nullptr);
}

void FirstSound::Arm()
{
    heardAt = 0;
    start = Clock::now();
    armed = true;
}

double FirstSound::Wait()
{
    while (heardAt == 0 && Clock::now() - start < std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    armed = false;
    if (heardAt == 0)
        return -1.0;
    return std::chrono::duration<double>(Clock::duration(heardAt.load()) - start.time_since_epoch())
        .count();
}

} // namespace benchsupport

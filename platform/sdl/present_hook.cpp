#include "platform/present.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<PresentFunction> g_present{nullptr};
std::atomic<int> g_refreshRate{75};
std::atomic<uint64_t> g_heldPresents{0};
} // namespace

void SetPresentFunction(PresentFunction present)
{
    g_present.store(present);
}
PresentFunction GetPresentFunction()
{
    return g_present.load();
}

void SetPresentRefreshRate(int hertz)
{
    g_refreshRate.store(hertz > 0 ? hertz : 75);
}
int GetPresentRefreshRate()
{
    return g_refreshRate.load();
}

void CountHeldPresent()
{
    g_heldPresents.fetch_add(1, std::memory_order_relaxed);
}
uint64_t HeldPresents()
{
    return g_heldPresents.load(std::memory_order_relaxed);
}

} // namespace platform

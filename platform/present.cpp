#include "platform/present.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<PresentFunction> g_present{nullptr};
}

void SetPresentFunction(PresentFunction present) { g_present.store(present); }
PresentFunction GetPresentFunction() { return g_present.load(); }

} // namespace platform

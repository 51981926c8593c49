#include "platform/kernel32.h"

namespace {
// The executable's own module: resources compiled into the program are found
// through this handle. A side file loaded as data gets a handle of its own.
struct ExecutableModuleTag {
    int unused;
} g_executableModule;
} // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName == nullptr) return reinterpret_cast<HMODULE>(&g_executableModule);
    return nullptr;
}

// The calling thread's last error code. Both functions are weak and defined
// together, so a stronger pair elsewhere in the platform library replaces
// this one whole and the two never disagree about where the code lives.
#include "platform/kernel32.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

__attribute__((weak)) DWORD GetLastError()
{
    return t_lastError;
}

__attribute__((weak)) void SetLastError(DWORD error)
{
    t_lastError = error;
}

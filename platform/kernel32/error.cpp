#include "platform/kernel32.h"

namespace {
// Each thread has its own last error, as every failing call sets it.
thread_local DWORD t_lastError = ERROR_SUCCESS;
} // namespace

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}

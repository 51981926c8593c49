// The last-error code a printing call leaves for a failure of the print
// service (the codes are in winspool.h).
#pragma once

#include "platform/kernel32.h"
#include "platform/winspool.h"
#include "platform/winspool/cups_queues.h"

namespace platform::winspool {

inline DWORD ErrorOf(const Failure& failure)
{
    switch (failure.trouble) {
    case Trouble::None: return ERROR_SUCCESS;
    case Trouble::NoService: return RPC_S_SERVER_UNAVAILABLE;
    case Trouble::NoAnswer: return ERROR_TIMEOUT;
    case Trouble::NoSuchQueue: return ERROR_INVALID_PRINTER_NAME;
    case Trouble::NotAccepting: return ERROR_NOT_READY;
    case Trouble::NotAllowed: return ERROR_ACCESS_DENIED;
    case Trouble::Failed: break;
    }
    return ERROR_GEN_FAILURE;
}

} // namespace platform::winspool

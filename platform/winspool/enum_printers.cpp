#include "platform/winspool.h"
#include "platform/kernel32.h"

BOOL EnumPrintersW(DWORD, LPWSTR, DWORD, BYTE*, DWORD, LPDWORD needed, LPDWORD returned)
{
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    return TRUE;
}

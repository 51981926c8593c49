#include "platform/kernel32.h"

#include <cwchar>

DWORD GetProfileStringW(LPCWSTR, LPCWSTR, LPCWSTR defaultValue, LPWSTR returned, DWORD size)
{
    if (!returned || size == 0) return 0;
    const wchar_t* from = defaultValue ? defaultValue : L"";
    DWORD n = 0;
    while (n + 1 < size && from[n]) {
        returned[n] = from[n];
        ++n;
    }
    returned[n] = 0;
    return n;
}

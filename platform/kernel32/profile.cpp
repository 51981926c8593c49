// GetProfileStringW: the one entry the program reads, the default printer.
#include "platform/kernel32.h"

#include "platform/codepage.h"
#include "platform/winspool/cups_queues.h"

#include <cwchar>
#include <string>

DWORD GetProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returned,
                        DWORD size)
{
    if (!returned || size == 0) return 0;
    std::wstring value = defaultValue ? defaultValue : L"";
    platform::winspool::Queue queue;
    if (appName && keyName && wcscasecmp(appName, L"windows") == 0 &&
        wcscasecmp(keyName, L"device") == 0 && platform::winspool::DefaultQueue(&queue)) {
        value = platform::Utf8ToWide(queue.name) + L",winspool," + platform::Utf8ToWide(queue.port);
    }
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    value.copy(returned, n);
    returned[n] = 0;
    return static_cast<DWORD>(n);
}

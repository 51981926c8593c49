// EnumPrintersW over the print service's queues.
#include "platform/winspool.h"

#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/winspool/cups_queues.h"
#include "platform/winspool/last_error.h"

#include <cstring>
#include <string>
#include <vector>

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD bufferSize,
                   LPDWORD needed, LPDWORD returned)
{
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    if (!needed || !returned || level != 2 || name ||
        !(flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_DEFAULT))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    std::vector<platform::winspool::Queue> queues;
    platform::winspool::Failure failure;
    if (flags & PRINTER_ENUM_LOCAL) {
        queues = platform::winspool::ListQueues(&failure);
    } else {
        platform::winspool::Queue queue;
        if (platform::winspool::DefaultQueue(&queue, &failure)) queues.push_back(queue);
    }
    if (failure.trouble == platform::winspool::Trouble::NoAnswer) {
        SetLastError(platform::winspool::ErrorOf(failure));
        return FALSE;
    }

    // Records first, then the strings they point to.
    std::vector<std::wstring> names, ports;
    size_t size = queues.size() * sizeof(PRINTER_INFO_2W);
    for (const auto& queue : queues) {
        names.push_back(platform::Utf8ToWide(queue.name));
        ports.push_back(platform::Utf8ToWide(queue.port));
        size += (names.back().size() + 1 + ports.back().size() + 1) * sizeof(wchar_t);
    }
    *needed = static_cast<DWORD>(size);
    if (!buffer || bufferSize < size) {
        if (queues.empty()) return TRUE;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }

    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(buffer + queues.size() * sizeof(PRINTER_INFO_2W));
    auto place = [&text](const std::wstring& s) {
        wchar_t* at = text;
        std::memcpy(at, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
        text += s.size() + 1;
        return at;
    };
    for (size_t i = 0; i < queues.size(); ++i) {
        PRINTER_INFO_2W record;
        std::memset(&record, 0, sizeof record);
        record.pPrinterName = place(names[i]);
        record.pPortName = place(ports[i]);
        std::memcpy(&records[i], &record, sizeof record);
    }
    *returned = static_cast<DWORD>(queues.size());
    return TRUE;
}

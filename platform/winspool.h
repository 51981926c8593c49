// The print service's queues, as winspool lists printers; on CUPS.
#pragma once

#include "platform/wintypes.h"

#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002

// Level 2 printer record. Only pPrinterName and pPortName are filled; the
// other strings are null and the numbers 0.
struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    void* pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    void* pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};

// Lists the print service's queues in the service's order (level 2 only; the
// name argument must be NULL). The records and the strings they point to go
// into buffer. *needed receives the bytes the list takes and *returned the
// records written; both are set on every call, to 0 on failure. Fails with
// ERROR_INSUFFICIENT_BUFFER when buffer is too small. With no print service
// running the list is empty and the call succeeds.
BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD bufferSize,
                   LPDWORD needed, LPDWORD returned);

// The print service's queues, as winspool lists printers; on CUPS.
#pragma once

#include "platform/wintypes.h"

#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002

// What GetLastError gives after a printing call the print service failed
// (EnumPrintersW here; CreateDCW, StartDocW and EndDoc in gdi32.h); the
// others are ERROR_ACCESS_DENIED (this user may not print there) and
// ERROR_GEN_FAILURE (any other refusal), from kernel32.h.
#define ERROR_NOT_READY 21              // the queue does not accept jobs
#define ERROR_TIMEOUT 1460              // the service did not answer in time
#define RPC_S_SERVER_UNAVAILABLE 1722   // no print service
#define ERROR_INVALID_PRINTER_NAME 1801 // the service has no such queue

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
// running the list is empty and the call succeeds; a service that takes the
// connection but does not answer in time (about 2 s) fails the call with
// ERROR_TIMEOUT.
BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD bufferSize,
                   LPDWORD needed, LPDWORD returned);

// Test seam: the file names the printing libraries are loaded from on their
// next use (null: the usual ones). A library that cannot be loaded leaves
// the program without a print service (libcups) or unable to make documents
// (cairo).
namespace platform::winspooltest {
void UsePrintLibraries(const char* cups, const char* cairo);
}

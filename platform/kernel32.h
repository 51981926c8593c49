// Kernel services: modules, errors, time, threads, events, critical
// sections, debug output, code pages, folders. Our stand-in for kernel32, on POSIX.
#pragma once

#include "platform/wintypes.h"

#include <functional>
#include <string>

// Modules and errors
HMODULE GetModuleHandleW(LPCWSTR moduleName);
DWORD GetLastError();
void SetLastError(DWORD error);

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_ALREADY_EXISTS 183
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_CLASS_DOES_NOT_EXIST 1411
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_NO_MORE_FILES 18
#define ERROR_WRITE_PROTECT 19
#define ERROR_SHARING_VIOLATION 32
#define ERROR_DISK_FULL 112
#define ERROR_GEN_FAILURE 31
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_INVALID_FLAGS 1004
#define ERROR_NO_UNICODE_TRANSLATION 1113
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_CLASS_HAS_WINDOWS 1412

// Time
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void Sleep(DWORD milliseconds);
DWORD GetTickCount();

// Threads, events, waits
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID param);
struct SECURITY_ATTRIBUTES;
HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID param, DWORD flags, LPDWORD threadId);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
HANDLE CreateEventW(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259

// A thread handle is signalled once the thread has ended (wait on it to join
// it). CloseHandle on the handle of a thread that is still running neither
// stops nor waits for it: the thread runs on, detached, and frees its own state
// when it ends. Closing the handle of an ended thread joins it at once.

struct CRITICAL_SECTION {
    void* impl;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);

// Debug output: the standard error stream, and any sink a test installs.
void OutputDebugStringW(LPCWSTR text);

// Code pages: CP_ACP is code page 1251.
#define CP_ACP 0
#define CP_UTF8 65001
#define CP_1251 1251
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                        LPWSTR wide, int wideCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, BOOL* usedDefaultChar);

// Folders
#define MAX_PATH 260
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData);
BOOL FindClose(HANDLE find);
BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES* attributes);

// Profile: only ("windows", "device") is known, the default print queue as
// "name,winspool,port"; any other key, or no default queue, gives defaultValue.
// Copies at most size - 1 characters and a terminator; returns the characters
// copied.
DWORD GetProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returned,
                        DWORD size);

namespace platform {

// Receives every OutputDebugStringW text (in addition to standard error);
// pass an empty function to remove it. For tests.
void SetDebugOutputSink(std::function<void(const std::wstring&)> sink);

// The last-error code for the errno of a failed file system call (forFile:
// a missing last component is a missing file, not a missing folder), and
// the errno that a code stands for (EIO for codes of no file system error).
DWORD ErrorFromErrno(int error, bool forFile);
int ErrnoFromError(DWORD error);

} // namespace platform

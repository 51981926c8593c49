#include "app/shell/results_folder.h"

#include "platform/kernel32.h"
#include "platform/shell32.h"

#include <cerrno>

std::wstring ResultsFolder(int* error)
{
    int failed = 0;
    wchar_t appData[MAX_PATH] = {0};
    std::wstring base;
    if (SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, TRUE)) {
        base = appData;
    } else {
        // Why the data folder cannot be made is why the results folder
        // cannot be made either.
        failed = platform::ErrnoFromError(GetLastError());
        base = platform::DataFolderName();
    }
    if (error)
        *error = base.empty() ? 0 : failed;
    if (base.empty())
        return std::wstring();

    const std::wstring folder = base + L"/ZEMT";
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(folder.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        if (!failed && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            failed = ENOTDIR;
    } else if (!CreateDirectoryW(folder.c_str(), nullptr) && !failed) {
        failed = platform::ErrnoFromError(GetLastError());
    }
    if (error)
        *error = failed;
    return folder + L"/";
}

std::wstring ResultsPath(const std::wstring& instanceName)
{
    const std::wstring folder = ResultsFolder();
    return folder.empty() ? std::wstring() : folder + instanceName + L".xls";
}

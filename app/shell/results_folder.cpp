#include "app/shell/results_folder.h"

#include "platform/kernel32.h"
#include "platform/shell32.h"

std::wstring ResultsFolder()
{
    wchar_t appData[MAX_PATH] = {0};
    if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, FALSE))
        return std::wstring();

    const std::wstring folder = std::wstring(appData) + L"/ZEMT";
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(folder.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    else if (!CreateDirectoryW(folder.c_str(), nullptr))
        return std::wstring();
    return folder + L"/";
}

std::wstring ResultsPath(const std::wstring& instanceName)
{
    return ResultsFolder() + instanceName + L".xls";
}

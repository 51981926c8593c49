#include "app/shell/results_folder.h"

#include "platform/kernel32.h"
#include "platform/shell32.h"

std::wstring ResultsFolder()
{
    wchar_t appData[MAX_PATH] = {0};
    std::wstring base;
    if (SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, TRUE))
        base = appData;
    else
        base = platform::DataFolderName();
    if (base.empty())
        return std::wstring();

    const std::wstring folder = base + L"/ZEMT";
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(folder.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    else
        CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"/";
}

std::wstring ResultsPath(const std::wstring& instanceName)
{
    const std::wstring folder = ResultsFolder();
    return folder.empty() ? std::wstring() : folder + instanceName + L".xls";
}

#include "platform/shell32.h"

#include "platform/codepage.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (passwd* entry = getpwuid(getuid())) {
        if (entry->pw_dir != nullptr && entry->pw_dir[0] == '/') return entry->pw_dir;
    }
    return std::string();
}

std::string DataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // Relative paths in the variable are to be ignored.
    std::string folder = xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : std::string();
    if (folder.empty()) {
        std::string home = HomeFolder();
        if (home.empty()) return std::string();
        folder = home + "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p; the folders made are the user's own (0700), as the XDG
// base-directory rules ask of the data folder. On failure errno says why.
bool MakeFolders(const std::string& path)
{
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    if (IsFolder(path)) return true;
    errno = ENOTDIR; // a file stands where a folder should be
    return false;
}

} // namespace

namespace platform {

std::wstring DataFolderName()
{
    return PathToWide(DataFolder());
}

} // namespace platform

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create)
{
    if (path == nullptr || csidl != CSIDL_COMMON_APPDATA) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string folder = DataFolder();
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!create && !IsFolder(folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (create && !MakeFolders(folder)) {
        SetLastError(platform::ErrorFromErrno(errno, false));
        return FALSE;
    }
    std::wstring wide = platform::PathToWide(folder);
    if (wide.size() >= MAX_PATH) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(wide.begin(), wide.end(), path);
    path[wide.size()] = L'\0';
    return TRUE;
}

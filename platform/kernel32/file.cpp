// Folder services: FindFirstFileW, FindClose and CreateDirectoryW. Wide paths
// use '/' and name files in UTF-8 on disk.
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/kernel32/kernel_objects.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace platform {
namespace {

// A search handle. Only the first match is ever asked for, so it holds nothing.
class FindObject : public KernelObject {
public:
    Kind GetKind() const override { return Kind::Find; }
    bool Wait(const Deadline&) override { return false; }
};

// 100-nanosecond intervals since 1601-01-01.
FILETIME ToFileTime(const timespec& t)
{
    const uint64_t kEpochDifference = 11644473600ull; // seconds from 1601 to 1970
    uint64_t ticks = (static_cast<uint64_t>(t.tv_sec) + kEpochDifference) * 10000000ull +
                     static_cast<uint64_t>(t.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

void Fill(WIN32_FIND_DATAW* data, const std::string& name, const struct stat& st)
{
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data->ftCreationTime = ToFileTime(st.st_ctim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::wstring wide = PathToWide(name);
    if (wide.size() > MAX_PATH - 1) wide.resize(MAX_PATH - 1);
    std::copy(wide.begin(), wide.end(), data->cFileName);
}

bool HasWildcards(const std::string& s)
{
    return s.find_first_of("*?") != std::string::npos;
}

// The first entry of `folder` whose name matches `pattern` ('*' and '?').
bool FindInFolder(const std::string& folder, const std::string& pattern, std::string* name,
                  struct stat* st, DWORD* error)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        *error = ErrorFromErrno(errno, false);
        return false;
    }
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        if (fnmatch(pattern.c_str(), entryName.c_str(), 0) != 0) continue;
        std::string full = folder.empty() ? entryName : folder + "/" + entryName;
        if (stat(full.c_str(), st) != 0) continue;
        *name = entryName;
        found = true;
        break;
    }
    closedir(dir);
    if (!found) *error = ERROR_FILE_NOT_FOUND;
    return found;
}

} // namespace
} // namespace platform

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData)
{
    if (fileName == nullptr || findData == nullptr || fileName[0] == L'\0') {
        SetLastError(fileName != nullptr && findData != nullptr ? ERROR_FILE_NOT_FOUND
                                                                : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = platform::WidePathToUtf8(fileName);
    if (path.back() == '/') {
        // "folder/" names no file, as "folder\" does not on Windows.
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    size_t slash = path.rfind('/');
    std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);

    std::string name;
    struct stat st {};
    DWORD error = ERROR_SUCCESS;
    if (platform::HasWildcards(last)) {
        if (!platform::FindInFolder(folder, last, &name, &st, &error)) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        if (stat(path.c_str(), &st) != 0) {
            int e = errno;
            struct stat parent {};
            bool parentExists = folder.empty() || stat(folder.c_str(), &parent) == 0;
            SetLastError(e == ENOENT && !parentExists ? ERROR_PATH_NOT_FOUND
                                                      : platform::ErrorFromErrno(e, true));
            return INVALID_HANDLE_VALUE;
        }
        name = last;
    }
    platform::Fill(findData, name, st);
    return platform::RegisterHandle(std::make_shared<platform::FindObject>());
}

BOOL FindClose(HANDLE find)
{
    std::shared_ptr<platform::KernelObject> object = platform::LookupHandle(find);
    if (!object || object->GetKind() != platform::KernelObject::Kind::Find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::RemoveHandle(find);
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES*)
{
    if (path == nullptr || path[0] == L'\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(platform::WidePathToUtf8(path).c_str(), 0777) != 0) {
        SetLastError(platform::ErrorFromErrno(errno, false));
        return FALSE;
    }
    return TRUE;
}

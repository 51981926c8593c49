#include "platform/kernel32_resource.h"

#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/kernel32/resource_pack.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// The bounds of the program's embedded media (the linker's own names for
// the section the media are assembled into); null when none are linked in.
extern "C" {
extern const unsigned char __start_kvarlop_media[] __attribute__((weak));
extern const unsigned char __stop_kvarlop_media[] __attribute__((weak));
}

namespace {

// What an HRSRC points at: the bytes of one resource.
struct ResourceRecord {
    const unsigned char* data;
    size_t size;
};

// A pack loaded as a data file; its HMODULE is a pointer to it.
struct PackModule {
    std::vector<unsigned char> bytes;
    std::map<std::pair<uint32_t, uint32_t>, ResourceRecord> resources; // (type, id)
};

struct Registry {
    std::mutex mutex;
    std::map<int, ResourceRecord> executable; // the executable's RT_RCDATA resources
    std::map<std::string, ResourceRecord> blobs;
    std::map<PackModule*, std::unique_ptr<PackModule>> packs; // the loaded packs, by handle
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

// Stands in for the bytes of an empty resource, so that LoadResource never
// gives NULL for a resource that exists.
const unsigned char kEmptyResource[1] = {0};

constexpr uint32_t kRcData = 10;
constexpr uint64_t kMaxPackBytes = 1ull << 30;

bool IsExecutable(HMODULE module)
{
    return module == nullptr || module == GetModuleHandleW(nullptr);
}

PackModule* FindPack(Registry& registry, HMODULE module)
{
    auto* pack = reinterpret_cast<PackModule*>(module);
    return registry.packs.count(pack) != 0 ? pack : nullptr;
}

// The record `resource` names inside `module`, or null when it is not one of its.
const ResourceRecord* FindRecord(Registry& registry, HMODULE module, HRSRC resource)
{
    auto* wanted = reinterpret_cast<const ResourceRecord*>(resource);
    if (wanted == nullptr) return nullptr;
    if (IsExecutable(module)) {
        for (const auto& item : registry.executable)
            if (&item.second == wanted) return wanted;
        return nullptr;
    }
    PackModule* pack = FindPack(registry, module);
    if (pack == nullptr) return nullptr;
    for (const auto& item : pack->resources)
        if (&item.second == wanted) return wanted;
    return nullptr;
}

std::string ExecutableFolder()
{
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    std::string path(buffer.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Where a module name may be, in search order.
std::vector<std::string> Candidates(const std::string& name)
{
    if (!name.empty() && name[0] == '/') return {name};
    std::vector<std::string> result;
    std::string folder = ExecutableFolder();
    if (!folder.empty()) result.push_back(folder + "/" + name);
    result.push_back(name);
    return result;
}

enum class ReadResult { Ok, Absent, Failed, TooLarge };

ReadResult ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return errno == EACCES ? ReadResult::Failed : ReadResult::Absent;
    if (!S_ISREG(info.st_mode)) return ReadResult::Absent;
    if (static_cast<uint64_t>(info.st_size) > kMaxPackBytes) return ReadResult::TooLarge;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return ReadResult::Failed;
    bytes->clear();
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (bytes->size() > kMaxPackBytes) {
            std::fclose(file);
            return ReadResult::TooLarge;
        }
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? ReadResult::Failed : ReadResult::Ok;
}

} // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    if (name == nullptr || type == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IS_INTRESOURCE(type)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const uint32_t typeId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(type));
    const uint32_t id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name));

    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (IsExecutable(module)) {
        if (typeId != kRcData) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return nullptr;
        }
        auto found = registry.executable.find(static_cast<int>(id));
        if (found == registry.executable.end()) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<HRSRC>(const_cast<ResourceRecord*>(&found->second));
    }
    PackModule* pack = FindPack(registry, module);
    if (pack == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto found = pack->resources.find({typeId, id});
    if (found == pack->resources.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceRecord*>(&found->second));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const ResourceRecord* record = FindRecord(registry, module, resource);
    if (record == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const unsigned char* bytes = record->data != nullptr ? record->data : kEmptyResource;
    return const_cast<unsigned char*>(bytes);
}

LPVOID LockResource(HGLOBAL loaded)
{
    return loaded;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const ResourceRecord* record = FindRecord(registry, module, resource);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(record->size);
}

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags)
{
    const DWORD dataFlags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE |
                            LOAD_LIBRARY_AS_IMAGE_RESOURCE;
    if (fileName == nullptr || fileName[0] == L'\0' || file != nullptr ||
        (flags & dataFlags) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name = platform::WidePathToUtf8(fileName);
    for (char& c : name)
        if (c == '\\') c = '/';

    std::vector<unsigned char> bytes;
    ReadResult result = ReadResult::Absent;
    for (const std::string& path : Candidates(name)) {
        result = ReadWholeFile(path, &bytes);
        if (result != ReadResult::Absent) break;
    }
    switch (result) {
    case ReadResult::Ok: break;
    case ReadResult::Absent: SetLastError(ERROR_MOD_NOT_FOUND); return nullptr;
    case ReadResult::Failed: SetLastError(ERROR_ACCESS_DENIED); return nullptr;
    case ReadResult::TooLarge: SetLastError(ERROR_BAD_EXE_FORMAT); return nullptr;
    }

    std::vector<platform::ResourcePackEntry> entries;
    if (!platform::ParseResourcePack(bytes.data(), bytes.size(), &entries)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    auto pack = std::make_unique<PackModule>();
    pack->bytes = std::move(bytes);
    for (const platform::ResourcePackEntry& entry : entries)
        pack->resources[{entry.type, entry.id}] =
            ResourceRecord{pack->bytes.data() + entry.offset, entry.size};

    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    PackModule* handle = pack.get();
    registry.packs[handle] = std::move(pack);
    return reinterpret_cast<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE module)
{
    if (module == GetModuleHandleW(nullptr)) return TRUE;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    PackModule* pack = FindPack(registry, module);
    if (pack == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    registry.packs.erase(pack);
    return TRUE;
}

namespace platform {

void RegisterExecutableResource(int id, const void* data, size_t size)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.executable[id] = ResourceRecord{static_cast<const unsigned char*>(data), size};
}

void RegisterEmbeddedBlob(const char* name, const void* data, size_t size)
{
    if (name == nullptr) return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.blobs[name] = ResourceRecord{static_cast<const unsigned char*>(data), size};
}

bool FindEmbeddedBlob(const std::string& name, const unsigned char** data, size_t* size)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.blobs.find(name);
    if (found == registry.blobs.end()) return false;
    if (data != nullptr)
        *data = found->second.data != nullptr ? found->second.data : kEmptyResource;
    if (size != nullptr) *size = found->second.size;
    return true;
}

void ReleaseEmbeddedPages(const void* data, size_t size)
{
    const uintptr_t first = reinterpret_cast<uintptr_t>(__start_kvarlop_media);
    const uintptr_t last = reinterpret_cast<uintptr_t>(__stop_kvarlop_media);
    const uintptr_t from = reinterpret_cast<uintptr_t>(data);
    if (first == 0 || from < first || from > last || size > last - from) return;
    const long page = sysconf(_SC_PAGESIZE);
    if (page <= 0) return;
    const uintptr_t mask = ~(static_cast<uintptr_t>(page) - 1);
    const uintptr_t begin = (from + static_cast<uintptr_t>(page) - 1) & mask;
    const uintptr_t end = (from + size) & mask;
    if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

std::vector<std::string> EmbeddedBlobNames()
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::vector<std::string> names;
    names.reserve(registry.blobs.size());
    for (const auto& item : registry.blobs)
        names.push_back(item.first);
    return names;
}

} // namespace platform

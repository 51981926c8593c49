#include "platform/kernel32/kernel_objects.h"

#include <mutex>
#include <unordered_map>

namespace platform {

Deadline::Deadline(DWORD milliseconds)
    : infinite(milliseconds == INFINITE),
      at(infinite ? clock::kForever : clock::Now() + int64_t(milliseconds) * 1000000)
{}

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = 0x1000;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable; // outlives every static destructor
    return *table;
}

} // namespace

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == table.objects.end()) return nullptr;
    return it->second;
}

std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == table.objects.end()) return nullptr;
    std::shared_ptr<KernelObject> object = std::move(it->second);
    table.objects.erase(it);
    return object;
}

} // namespace platform

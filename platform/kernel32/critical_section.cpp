// Critical sections are recursive mutexes: the owning thread may enter again.
#include "platform/kernel32.h"

#include <mutex>

namespace {
std::recursive_mutex& MutexOf(LPCRITICAL_SECTION cs)
{
    return *static_cast<std::recursive_mutex*>(cs->impl);
}
} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    cs->impl = new std::recursive_mutex;
}

void EnterCriticalSection(LPCRITICAL_SECTION cs)
{
    MutexOf(cs).lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs)
{
    MutexOf(cs).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs)
{
    delete static_cast<std::recursive_mutex*>(cs->impl);
    cs->impl = nullptr;
}

// Events, waits on any waitable handle, and CloseHandle.
#include "platform/kernel32.h"
#include "platform/kernel32/kernel_objects.h"

#include <condition_variable>
#include <mutex>

namespace platform {
namespace {

class EventObject : public KernelObject {
public:
    EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled)
    {}

    Kind GetKind() const override { return Kind::Event; }

    bool Wait(const Deadline& deadline) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!clock::WaitUntil(lock, changed_, deadline.at, [this] { return signalled_; }))
            return false;
        if (!manualReset_) signalled_ = false;
        return true;
    }

    void Set()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            signalled_ = true;
        }
        // Every waiter re-checks; with an auto-reset event the first to take
        // the lock consumes the signal and the others wait on.
        changed_.notify_all();
        clock::Poke();
    }

    void Reset()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = false;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool signalled_;
};

std::shared_ptr<EventObject> LookupEvent(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = LookupHandle(handle);
    if (!object || object->GetKind() != KernelObject::Kind::Event) return nullptr;
    return std::static_pointer_cast<EventObject>(object);
}

} // namespace
} // namespace platform

using platform::KernelObject;

HANDLE CreateEventW(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    if (name != nullptr && name[0] != L'\0') {
        // Named events are shared between processes on Windows; nothing here needs them.
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(
        std::make_shared<platform::EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    auto object = platform::LookupEvent(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto object = platform::LookupEvent(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<KernelObject> object = platform::LookupHandle(handle);
    if (!object || object->GetKind() == KernelObject::Kind::Find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(platform::Deadline(milliseconds)) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = platform::LookupHandle(handle);
    if (!object || object->GetKind() == KernelObject::Kind::Find) {
        // A search handle is closed by FindClose only, as on Windows.
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object = platform::RemoveHandle(handle);
    // The object goes when its last user lets go: a thread blocked in a wait
    // on this handle keeps it until the wait ends.
    object.reset();
    return TRUE;
}

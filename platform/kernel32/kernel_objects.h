// Kernel objects behind HANDLE values: events, threads and find searches.
// A handle names one object in a process-wide table; handle values are never
// reused, so a stale handle is reported as invalid instead of reaching another
// object. Internal to the platform layer.
#pragma once

#include "platform/clock.h"
#include "platform/wintypes.h"

#include <memory>

namespace platform {

// A time-out in milliseconds as a deadline on the platform's clock;
// INFINITE never expires (its deadline is clock::kForever).
struct Deadline {
    explicit Deadline(DWORD milliseconds);
    bool infinite;
    int64_t at;
};

class KernelObject {
public:
    enum class Kind { Event, Thread, Find };

    virtual ~KernelObject() = default;
    virtual Kind GetKind() const = 0;
    // Waits until the object is signalled or the deadline passes; true when
    // signalled. An auto-reset event is reset by the wait that sees it.
    virtual bool Wait(const Deadline& deadline) = 0;
};

// Enters an object into the handle table and returns its new handle.
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null when the handle names none.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
// Removes a handle from the table and returns its object (null when none).
std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle);

} // namespace platform

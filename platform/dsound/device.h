// What a device object shares with its primary buffer.
#pragma once

#include "platform/dsound.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace platform::dsound {

struct DeviceState {
    std::atomic<DWORD> level{0}; // cooperative level, 0 until set
    std::mutex mutex;
    IDirectSoundBuffer* primary = nullptr; // guarded by mutex; not a reference
};

// Hands out the device's one primary buffer, made on first use (AddRef'd).
IDirectSoundBuffer* AcquirePrimaryBuffer(const std::shared_ptr<DeviceState>& state);

} // namespace platform::dsound

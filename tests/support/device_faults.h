// Failures of the software render device on demand, undone when the guard
// goes: device creation refused, video memory limited, locks refused.
#pragma once

#include "platform/d3d9.h"

#include <cstdint>

namespace testing_support {

class DeviceFaults {
public:
    DeviceFaults() { Clear(); }
    ~DeviceFaults() { Clear(); }
    DeviceFaults(const DeviceFaults&) = delete;
    DeviceFaults& operator=(const DeviceFaults&) = delete;

    void FailCreate(bool on)
    {
        platform::d3d9test::SetFault(platform::d3d9test::Fault::CreateDevice, on);
    }
    void Set(platform::d3d9test::Fault fault, bool on) { platform::d3d9test::SetFault(fault, on); }
    void Budget(size_t bytes) { platform::d3d9test::SetVideoMemoryBudget(bytes); }

private:
    static void Clear()
    {
        platform::d3d9test::ClearFaults();
        platform::d3d9test::SetVideoMemoryBudget(SIZE_MAX);
    }
};

} // namespace testing_support

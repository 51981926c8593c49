// Test seams and read-back of the software device.
#include "platform/d3d9/objects.h"

namespace platform::d3d9test {

using d3d9impl::FindDevice;
using d3d9impl::G;

Frame ReadBackBuffer(IDirect3DDevice9* device)
{
    d3d9impl::Device* d = FindDevice(device);
    return d ? d->CopyBackBuffer() : Frame{};
}

Frame LastPresentedFrame(IDirect3DDevice9* device)
{
    d3d9impl::Device* d = FindDevice(device);
    return d ? d->CopyPresented() : Frame{};
}

int PresentCount(IDirect3DDevice9* device)
{
    d3d9impl::Device* d = FindDevice(device);
    return d ? d->Presents() : 0;
}

void SetVideoMemoryBudget(size_t bytes)
{
    G().budget = bytes;
}
size_t VideoMemoryInUse()
{
    return G().used;
}

void LoseDevice(IDirect3DDevice9* device)
{
    if (d3d9impl::Device* d = FindDevice(device)) d->Lose();
}

void LoseAllDevices()
{
    for (const void* key : G().devices)
        static_cast<d3d9impl::Device*>(static_cast<IDirect3DDevice9*>(const_cast<void*>(key)))
            ->Lose();
}

void SetFault(Fault fault, bool active)
{
    G().faults[static_cast<size_t>(fault)] = active;
}
void ClearFaults()
{
    G().faults.fill(false);
}

LiveObjects CountLiveObjects()
{
    const d3d9impl::Globals& g = G();
    return {static_cast<int>(g.direct3d.size()), static_cast<int>(g.devices.size()),
            static_cast<int>(g.textures.size()), static_cast<int>(g.buffers.size())};
}

void SetFastPathsEnabled(bool enabled)
{
    G().fastPaths = enabled;
}

void SetDrawingInPart(bool enabled)
{
    G().drawInPart = enabled;
}

} // namespace platform::d3d9test

// The render device as the window's render pass and the containers see it:
// clear, begin and end the scene, present, the viewport, and the loss test.
// The resource manager holds one; until a real device is made, a device that
// draws nothing stands in for it and keeps only the viewport.
#pragma once

#include "platform/wintypes.h"

#include <memory>

struct IMViewport {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

class IMRenderDevice {
public:
    virtual ~IMRenderDevice() = default;

    // True when the device can no longer draw (it must be made anew).
    virtual bool IsLost() = 0;
    // Clears the whole render target to the colour (ARGB).
    virtual void Clear(DWORD colour) = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    // Shows the back buffer.
    virtual void Present() = 0;
    virtual void GetViewport(IMViewport* out) = 0;
    virtual void SetViewport(const IMViewport& viewport) = 0;
};

// A device that draws nothing: it keeps the viewport (the whole back buffer
// at first) and is never lost.
class IMNullRenderDevice : public IMRenderDevice {
public:
    IMNullRenderDevice(int width, int height)
        : viewport{0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f, 1.0f}
    {
    }

    bool IsLost() override { return false; }
    void Clear(DWORD) override {}
    void BeginScene() override {}
    void EndScene() override {}
    void Present() override {}
    void GetViewport(IMViewport* out) override { *out = viewport; }
    void SetViewport(const IMViewport& v) override { viewport = v; }

private:
    IMViewport viewport;
};

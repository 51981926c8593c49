// A render device for tests: it draws nothing and records what the window's
// render pass and the containers ask of it. A shared state lets a test fake
// the loss of the device and failures to make a new one.
#pragma once

#include "framework/render/IMRenderDevice.h"
#include "framework/render/IMResourceManager.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct FakeDeviceState {
    bool lost = false;          // the current device reports loss
    bool failCreate = false;    // making a device fails
    int created = 0;            // devices made so far
    std::vector<std::string> calls; // "Clear ff000000", "BeginScene", "SetViewport x y w h", ...
};

class RecordingDevice : public IMRenderDevice {
public:
    RecordingDevice(FakeDeviceState& state, int width, int height)
        : state(state), viewport{0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f, 1.0f}
    {
    }

    bool IsLost() override { return state.lost; }
    void Clear(DWORD colour) override
    {
        char text[32];
        std::snprintf(text, sizeof text, "Clear %08x", static_cast<unsigned>(colour));
        state.calls.push_back(text);
    }
    void BeginScene() override { state.calls.push_back("BeginScene"); }
    void EndScene() override { state.calls.push_back("EndScene"); }
    void Present() override { state.calls.push_back("Present"); }
    void GetViewport(IMViewport* out) override { *out = viewport; }
    void SetViewport(const IMViewport& v) override
    {
        viewport = v;
        state.calls.push_back("SetViewport " + std::to_string(v.X) + " " + std::to_string(v.Y) + " " +
                              std::to_string(v.Width) + " " + std::to_string(v.Height));
    }

private:
    FakeDeviceState& state;
    IMViewport viewport;
};

// Makes every new device of the resource manager a RecordingDevice on the
// given state, until the returned guard goes.
class RecordingDevices {
public:
    explicit RecordingDevices(FakeDeviceState& state)
    {
        IMResourceManager::SetDeviceFactory(
            [&state](HWND, bool, int width, int height, int) -> std::unique_ptr<IMRenderDevice> {
                if (state.failCreate)
                    return nullptr;
                ++state.created;
                return std::unique_ptr<IMRenderDevice>(new RecordingDevice(state, width, height));
            });
    }
    ~RecordingDevices() { IMResourceManager::SetDeviceFactory(nullptr); }
    RecordingDevices(const RecordingDevices&) = delete;
    RecordingDevices& operator=(const RecordingDevices&) = delete;
};

} // namespace testing_support

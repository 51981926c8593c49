// The central object of the framework: the render device, the frame counter,
// the drawing origin and the back-buffer size. Exactly one exists between
// Start and Shutdown, reachable through Instance().
//
// The window's render pass and the containers reach the device only through
// Device() (an IMRenderDevice); the drawing primitives and the texture table
// belong here too.
#pragma once

#include "framework/render/IMRenderDevice.h"
#include "framework/sound/CSoundSystem.h"
#include "platform/wintypes.h"

#include <functional>
#include <memory>

class IMResourceManager : public CSoundSystem {
public:
    // Makes the render device for a back buffer of the given size; null when
    // no device could be made.
    typedef std::function<std::unique_ptr<IMRenderDevice>(HWND window, bool windowed, int width,
                                                          int height, int refreshRate)>
        DeviceFactory;

    // Creates the manager and its device for the main window (IMWindow's
    // handle). Throws std::runtime_error when no device can be made.
    static void Start(bool windowed);
    // Reports the frame rate to the debugger and deletes the manager.
    static void Shutdown();
    // The manager, or null before Start and after Shutdown.
    static IMResourceManager* Instance() { return instance; }

    // Replaces the way devices are made (an empty function restores the
    // default). Takes effect at the next CreateDevice; for tests.
    static void SetDeviceFactory(DeviceFactory factory);

    // Creates (or re-creates) the device: 0 on success, 1 when none was made.
    int CreateDevice(int refreshRate, HWND window, bool windowed, int width, int height);
    // The sticky loss test: once lost, the device stays lost until a
    // successful CreateDevice.
    bool IsDeviceLost();
    // Recovery after loss: true when a usable device exists afterwards.
    bool ResetDevice();

    // The device, or null while none exists.
    IMRenderDevice* Device() { return device.get(); }

    int GetBackBufferWidth() const { return backBufferWidth; }
    int GetBackBufferHeight() const { return backBufferHeight; }
    bool IsWindowed() const { return windowed; }

    // Frames rendered since start-up: every render pass while the window is
    // not minimised, whether or not anything was drawn.
    DWORD frameCount;
    // The drawing origin added to every quad; containers move it while their
    // children paint.
    int originX;
    int originY;

private:
    IMResourceManager();
    ~IMResourceManager();
    IMResourceManager(const IMResourceManager&) = delete;
    IMResourceManager& operator=(const IMResourceManager&) = delete;

    static IMResourceManager* instance;

    std::unique_ptr<IMRenderDevice> device;
    int backBufferWidth;
    int backBufferHeight;
    bool windowed;
    bool deviceLost;
    int refreshRate;
    HWND window;
    DWORD startTime;
};

#include "framework/render/IMResourceManager.h"

#include "framework/window/IMWindow.h"
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/winmm.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

const int kRefreshRate = 75;
const int kBackBufferWidth = 800;
const int kBackBufferHeight = 600;

IMResourceManager::DeviceFactory& CustomFactory()
{
    static IMResourceManager::DeviceFactory factory;
    return factory;
}

// The device used unless a factory was installed.
std::unique_ptr<IMRenderDevice> MakeDefaultDevice(HWND, bool, int width, int height, int)
{
    return std::unique_ptr<IMRenderDevice>(new IMNullRenderDevice(width, height));
}

} // namespace

IMResourceManager* IMResourceManager::instance = nullptr;

IMResourceManager::IMResourceManager()
    : frameCount(0),
      originX(0),
      originY(0),
      backBufferWidth(0),
      backBufferHeight(0),
      windowed(false),
      deviceLost(false),
      refreshRate(0),
      window(nullptr),
      startTime(0)
{
}

IMResourceManager::~IMResourceManager()
{
    device.reset();
    // The sound system goes last.
    CSoundSystem::Release();
}

void IMResourceManager::SetDeviceFactory(DeviceFactory factory)
{
    CustomFactory() = std::move(factory);
}

void IMResourceManager::Start(bool windowed)
{
    delete instance;
    instance = new IMResourceManager();
    IMResourceManager& manager = *instance;
    manager.startTime = timeGetTime();
    manager.frameCount = 0;
    manager.window = IMWindow::Handle();

    // The sound system starts before the device; start-up goes on whether
    // or not it could be set up.
    manager.Init(manager.window);

    if (manager.CreateDevice(kRefreshRate, manager.window, windowed, kBackBufferWidth,
                             kBackBufferHeight) != 0) {
        delete instance;
        instance = nullptr;
        throw std::runtime_error(platform::WideToCp1251String(L"Не могу создать устройство Direct3D"));
    }

    // The skin textures are registered here, "DefaultBackGround" first.
}

void IMResourceManager::Shutdown()
{
    if (!instance)
        return;
    // The skin textures are released here, in the order of registration.

    // Passes per second over the whole run; no rate when no millisecond passed.
    const DWORD elapsed = timeGetTime() - instance->startTime;
    const unsigned long long fps =
        elapsed ? static_cast<unsigned long long>(instance->frameCount) * 1000u / elapsed : 0;
    OutputDebugStringW((L"FPS: " + std::to_wstring(fps) + L"\n").c_str());

    delete instance;
    instance = nullptr;
}

int IMResourceManager::CreateDevice(int rate, HWND hwnd, bool inWindow, int width, int height)
{
    if (instance != this)
        std::exit(0);

    int bufferWidth = width;
    int bufferHeight = height;
    if (inWindow) {
        RECT client{0, 0, 0, 0};
        GetClientRect(hwnd, &client);
        bufferWidth = client.right - client.left;
        bufferHeight = client.bottom - client.top;
    }
    windowed = inWindow;
    backBufferWidth = bufferWidth;
    backBufferHeight = bufferHeight;
    if (!inWindow)
        refreshRate = rate;

    device.reset();
    const DeviceFactory& factory = CustomFactory();
    device = factory ? factory(hwnd, inWindow, bufferWidth, bufferHeight, rate)
                     : MakeDefaultDevice(hwnd, inWindow, bufferWidth, bufferHeight, rate);
    if (!device)
        return 1;
    deviceLost = false;
    return 0;
}

bool IMResourceManager::IsDeviceLost()
{
    if (!deviceLost)
        deviceLost = !device || device->IsLost();
    return deviceLost;
}

bool IMResourceManager::ResetDevice()
{
    // Device textures are dropped here; their pixel copies stay, and each
    // comes back at its next use.
    if (deviceLost)
        deviceLost = CreateDevice(refreshRate, window, windowed, backBufferWidth,
                                  backBufferHeight) != 0;
    return !deviceLost;
}

// Start-up and shut-down of the manager, the device and its loss.
#include "framework/render/IMResourceManager.h"

#include "assets/skins.h"
#include "framework/window/IMWindow.h"
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/kernel32_resource.h"
#include "platform/user32.h"
#include "platform/winmm.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

const int kRefreshRate = 75;
const int kBackBufferWidth = 800;
const int kBackBufferHeight = 600;
const UINT kQuadBufferBytes = 4 * 28;
const DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Drops the reference, if any, and forgets the object.
template <class Interface>
void ReleaseAndClear(Interface*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

} // namespace

std::wstring IMFrameRateLine(DWORD frames, DWORD elapsed)
{
    // Wide arithmetic: a long run's frame count times 1000 does not wrap.
    const unsigned long long fps =
        elapsed ? static_cast<unsigned long long>(frames) * 1000u / elapsed : 0;
    return L"FPS: " + std::to_wstring(fps) + L"\n";
}

IMResourceManager* IMResourceManager::instance = nullptr;

IMResourceManager::IMResourceManager()
    : frameCount(0),
      originX(0),
      originY(0),
      direct3d(nullptr),
      device(nullptr),
      quadBuffer(nullptr),
      backBufferWidth(0),
      backBufferHeight(0),
      windowed(false),
      deviceLost(false),
      refreshRate(0),
      window(nullptr),
      startTime(0)
{}

IMResourceManager::~IMResourceManager()
{
    ReleaseAll();
    ReleaseAndClear(quadBuffer);
    ReleaseAndClear(device);
    ReleaseAndClear(direct3d);
    fonts.reset();
    // The sound system goes last.
    CSoundSystem::Release();
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

    int created = 1;
    try {
        created = manager.CreateDevice(kRefreshRate, manager.window, windowed, kBackBufferWidth,
                                       kBackBufferHeight);
    } catch (...) {
        delete instance;
        instance = nullptr;
        throw;
    }
    if (created != 0) {
        delete instance;
        instance = nullptr;
        throw std::runtime_error(
            platform::WideToCp1251String(L"Не могу создать устройство Direct3D"));
    }

    // The skins, "DefaultBackGround" first so that it gets identifier 0.
    for (const assets::SkinImage& skin : assets::kSkins) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        const std::wstring name = platform::Utf8ToWide(skin.name);
        if (platform::FindEmbeddedBlob(skin.name, &data, &size))
            manager.CreateTextureFromMemory(name, data, static_cast<unsigned>(size));
    }
    // The textures hold the pictures now; their file bytes are not read again.
    // (Released after the last one: reading one maps its neighbours' pages.)
    for (const assets::SkinImage& skin : assets::kSkins) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        if (platform::FindEmbeddedBlob(skin.name, &data, &size))
            platform::ReleaseEmbeddedPages(data, size);
    }
}

void IMResourceManager::Shutdown()
{
    if (!instance)
        return;
    for (const assets::SkinImage& skin : assets::kSkins)
        instance->ReleaseTextureByName(platform::Utf8ToWide(skin.name));

    OutputDebugStringW(
        IMFrameRateLine(instance->frameCount, timeGetTime() - instance->startTime).c_str());

    delete instance;
    instance = nullptr;
}

int IMResourceManager::CreateDevice(int rate, HWND hwnd, bool inWindow, int width, int height)
{
    if (instance != this)
        std::exit(0);

    if (!direct3d) {
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!direct3d)
            throw std::runtime_error("Can't init Direct3D");
    }
    D3DDISPLAYMODE mode{};
    if (FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)))
        throw std::runtime_error("Can't init DisplayMode");

    D3DPRESENT_PARAMETERS parameters{};
    if (inWindow) {
        RECT client{0, 0, 0, 0};
        GetClientRect(hwnd, &client);
        parameters.BackBufferWidth = static_cast<UINT>(client.right - client.left);
        parameters.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    } else {
        parameters.BackBufferWidth = static_cast<UINT>(width);
        parameters.BackBufferHeight = static_cast<UINT>(height);
    }
    parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
    parameters.BackBufferCount = 3;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = inWindow ? TRUE : FALSE;
    parameters.FullScreen_RefreshRateInHz = inWindow ? 0 : static_cast<UINT>(rate);
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    windowed = inWindow;
    backBufferWidth = static_cast<int>(parameters.BackBufferWidth);
    backBufferHeight = static_cast<int>(parameters.BackBufferHeight);
    if (!inWindow)
        refreshRate = rate;

    ReleaseAndClear(quadBuffer);
    ReleaseAndClear(device);

    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device))) {
        device = nullptr;
        return 1;
    }
    if (FAILED(device->CreateVertexBuffer(kQuadBufferBytes, 0, kQuadFvf, D3DPOOL_SYSTEMMEM,
                                          &quadBuffer, nullptr)))
        quadBuffer = nullptr; // DrawQuad then draws nothing
    deviceLost = false;
    return 0;
}

bool IMResourceManager::IsDeviceLost()
{
    if (!deviceLost)
        deviceLost = !device || device->TestCooperativeLevel() != D3D_OK;
    return deviceLost;
}

bool IMResourceManager::ResetDevice()
{
    for (size_t id = 0; id < records.size(); ++id)
        if (records[id] && records[id]->texture)
            DropDeviceTexture(static_cast<int>(id));
    if (deviceLost)
        deviceLost =
            CreateDevice(refreshRate, window, windowed, backBufferWidth, backBufferHeight) != 0;
    return !deviceLost;
}

void IMResourceManager::GetViewport(D3DVIEWPORT9* out)
{
    if (device && SUCCEEDED(device->GetViewport(out)))
        return;
    *out = D3DVIEWPORT9{0, 0, 0, 0, 0.0f, 1.0f};
}

void IMResourceManager::SetViewport(const D3DVIEWPORT9& viewport)
{
    if (device)
        device->SetViewport(&viewport);
}

// The Direct3D object: the display mode and device creation.
#include "platform/d3d9/objects.h"

#include <new>

namespace platform::d3d9impl {

namespace {

constexpr UINT kMaxBackBufferSide = 4096;

const void* Key(const IDirect3D9* d)
{
    return d;
}

bool ParametersAccepted(const D3DPRESENT_PARAMETERS& p)
{
    return p.BackBufferWidth >= 1 && p.BackBufferWidth <= kMaxBackBufferSide &&
           p.BackBufferHeight >= 1 && p.BackBufferHeight <= kMaxBackBufferSide &&
           p.BackBufferFormat == D3DFMT_A8R8G8B8 && p.BackBufferCount <= 3 &&
           p.MultiSampleType == D3DMULTISAMPLE_NONE && p.MultiSampleQuality == 0 &&
           p.SwapEffect == D3DSWAPEFFECT_DISCARD && !p.EnableAutoDepthStencil && p.Flags == 0 &&
           p.PresentationInterval == D3DPRESENT_INTERVAL_DEFAULT;
}

} // namespace

Globals& G()
{
    static Globals globals;
    return globals;
}

Direct3D::Direct3D()
{
    G().direct3d.insert(Key(this));
}
Direct3D::~Direct3D()
{
    G().direct3d.erase(Key(this));
}

ULONG Direct3D::AddRef()
{
    return ++refs;
}

ULONG Direct3D::Release()
{
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
    if (Faulty(d3d9test::Fault::AdapterDisplayMode)) return D3DERR_NOTAVAILABLE;
    *mode = {800, 600, 75, D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL ||
        behaviour != D3DCREATE_SOFTWARE_VERTEXPROCESSING || !parameters ||
        !ParametersAccepted(*parameters))
        return D3DERR_INVALIDCALL;
    if (Faulty(d3d9test::Fault::CreateDevice)) return D3DERR_NOTAVAILABLE;
    if (parameters->BackBufferCount == 0) parameters->BackBufferCount = 1;
    const HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
    try {
        *out = new Device(window, static_cast<int>(parameters->BackBufferWidth),
                          static_cast<int>(parameters->BackBufferHeight));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

} // namespace platform::d3d9impl

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    using namespace platform::d3d9impl;
    if (sdkVersion != D3D_SDK_VERSION || Faulty(platform::d3d9test::Fault::Direct3DCreate))
        return nullptr;
    return new Direct3D();
}

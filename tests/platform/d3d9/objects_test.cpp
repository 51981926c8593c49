// The device's objects: creation, locks, reference counts, the video-memory
// budget, device loss and re-creation, presenting, and what it refuses.
#include "platform/present.h"
#include "platform/sdl/frame_scaler.h"
#include "tests/platform/d3d9/fixture.h"

#include <png.h>

#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using d3d9fixture::Frame;
using platform::d3d9test::Fault;

class DeviceObjects : public d3d9fixture::DeviceTest {};

// --- creation -------------------------------------------------------------

TEST(DeviceCreation, Direct3DNeedsTheSdkVersion)
{
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Height, 600u);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(DeviceCreation, FaultsFailTheCallsTheyName)
{
    platform::d3d9test::SetFault(Fault::Direct3DCreate, true);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    platform::d3d9test::ClearFaults();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    platform::d3d9test::SetFault(Fault::AdapterDisplayMode, true);
    D3DDISPLAYMODE mode;
    EXPECT_TRUE(FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)));
    platform::d3d9test::SetFault(Fault::CreateDevice, true);
    D3DPRESENT_PARAMETERS pp{800,
                             600,
                             D3DFMT_A8R8G8B8,
                             3,
                             D3DMULTISAMPLE_NONE,
                             0,
                             D3DSWAPEFFECT_DISCARD,
                             nullptr,
                             FALSE,
                             FALSE,
                             D3DFMT_UNKNOWN,
                             0,
                             75,
                             0};
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&pp);
    EXPECT_TRUE(FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)));
    EXPECT_EQ(device, nullptr);
    platform::d3d9test::ClearFaults();
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &pp, &device),
              D3D_OK);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(DeviceCreation, RefusesPresentParametersItCannotHonour)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    const D3DPRESENT_PARAMETERS good{800,
                                     600,
                                     D3DFMT_A8R8G8B8,
                                     3,
                                     D3DMULTISAMPLE_NONE,
                                     0,
                                     D3DSWAPEFFECT_DISCARD,
                                     nullptr,
                                     FALSE,
                                     FALSE,
                                     D3DFMT_UNKNOWN,
                                     0,
                                     75,
                                     0};
    const auto attempt = [&](D3DPRESENT_PARAMETERS pp,
                             DWORD behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING) {
        IDirect3DDevice9* device = nullptr;
        HRESULT hr = d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, behaviour, &pp, &device);
        if (device)
            device->Release();
        return hr;
    };
    EXPECT_EQ(attempt(good), D3D_OK);
    auto pp = good;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    EXPECT_EQ(attempt(pp), D3DERR_INVALIDCALL);
    pp = good;
    pp.BackBufferWidth = 0;
    EXPECT_EQ(attempt(pp), D3DERR_INVALIDCALL);
    pp = good;
    pp.EnableAutoDepthStencil = TRUE;
    EXPECT_EQ(attempt(pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(attempt(good, 0x40), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
}

// --- textures -------------------------------------------------------------

TEST_F(DeviceObjects, NewTextureIsZeroAndDescribesItsLevels)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(512, 256, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    &t, nullptr),
              D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    ASSERT_EQ(t->GetLevelDesc(9, &desc), D3D_OK); // the full chain ends at 1 × 1
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(t->GetLevelDesc(10, &desc), D3DERR_INVALIDCALL);

    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, 512 * 4);
    const uint8_t* bytes = static_cast<const uint8_t*>(lr.pBits);
    size_t nonZero = 0;
    for (size_t i = 0; i < size_t(lr.Pitch) * 256; ++i)
        nonZero += bytes[i] != 0;
    EXPECT_EQ(nonZero, 0u);
    t->UnlockRect(0);
    EXPECT_EQ(t->Release(), 0u);
}

TEST_F(DeviceObjects, LockReadsBackWhatWasWritten)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    &t, nullptr),
              D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] =
                y * 1000 + x;
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);

    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(lr.pBits) +
                                                        y * lr.Pitch)[x],
                      uint32_t(y * 1000 + x));
    t->UnlockRect(0);

    // A rectangle lock points at its top-left texel.
    const RECT r = {3, 2, 7, 5};
    ASSERT_EQ(t->LockRect(0, &lr, &r, 0), D3D_OK);
    EXPECT_EQ(*static_cast<const uint32_t*>(lr.pBits), 2003u);
    t->UnlockRect(0);
    const RECT outside = {10, 0, 17, 1};
    EXPECT_EQ(t->LockRect(0, &lr, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(lr.pBits, nullptr);
    t->Release();
}

TEST_F(DeviceObjects, LocksAreOneAtATimeOnLevelZeroOfDynamicTextures)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    t->Release();

    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr),
              D3D_OK);
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    t->Release();
}

TEST_F(DeviceObjects, TextureLockFaultFailsTheLock)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3D_OK);
    platform::d3d9test::SetFault(Fault::TextureLock, true);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(lr.pBits, nullptr);
    platform::d3d9test::SetFault(Fault::TextureLock, false);
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    t->UnlockRect(0);
    t->Release();
}

TEST_F(DeviceObjects, RefusesTexturesItDoesNotMake)
{
    IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(this);
    EXPECT_EQ(device->CreateTexture(0, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                    &t, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 5, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
}

// --- reference counts -----------------------------------------------------

TEST_F(DeviceObjects, ReferenceCountsFollowAddRefAndRelease)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr),
              D3D_OK);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, 1);
    EXPECT_EQ(t->AddRef(), 2u);
    EXPECT_EQ(t->Release(), 1u);
    // The device holds the texture bound to it.
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    EXPECT_EQ(t->Release(), 1u);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, 1);
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, 0);

    EXPECT_EQ(quad->AddRef(), 2u);
    ASSERT_EQ(device->SetStreamSource(0, quad, 0, 28), D3D_OK);
    EXPECT_EQ(quad->Release(), 2u);
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
}

TEST_F(DeviceObjects, ReleasingTheDeviceLeavesHeldResourcesDeadButSafe)
{
    IDirect3DTexture9* t = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 64, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    &t, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateVertexBuffer(112, 0, 0x144, D3DPOOL_SYSTEMMEM, &vb, nullptr), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    quad->Release();
    quad = nullptr;
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), 0u);

    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(t->GetLevelDesc(0, &desc), D3D_OK);

    // A new device takes none of them.
    device = MakeDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->SetTexture(0, t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(0, vb, 0, 28), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
    ASSERT_EQ(device->CreateVertexBuffer(112, 0, 0x144, D3DPOOL_SYSTEMMEM, &quad, nullptr), D3D_OK);
}

TEST_F(DeviceObjects, TexturesOfOneDeviceCannotBeBoundToAnother)
{
    IDirect3DDevice9* other = MakeDevice(64, 64);
    ASSERT_NE(other, nullptr);
    const auto tex = SolidTexture(4, 4, 0xFFFFFFFF);
    EXPECT_EQ(other->SetTexture(0, tex.texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(other->SetStreamSource(0, quad, 0, 28), D3DERR_INVALIDCALL);
    EXPECT_EQ(other->Release(), 0u);
}

// --- video memory ---------------------------------------------------------

TEST_F(DeviceObjects, BudgetMakesTextureCreationRunOutOfVideoMemory)
{
    const size_t one = 256 * 256 * 4;
    platform::d3d9test::SetVideoMemoryBudget(3 * one);
    IDirect3DTexture9* t[4] = {};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(device->CreateTexture(256, 256, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                        D3DPOOL_DEFAULT, &t[i], nullptr),
                  D3D_OK);
    EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), 3 * one);
    EXPECT_EQ(device->CreateTexture(256, 256, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    &t[3], nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(t[3], nullptr);
    // A smaller one still fits nowhere; freeing one makes room.
    EXPECT_EQ(device->CreateTexture(1, 1, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    &t[3], nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    t[1]->Release();
    EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), 2 * one);
    EXPECT_EQ(device->CreateTexture(256, 256, 0, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                    &t[1], nullptr),
              D3D_OK);
    for (int i = 0; i < 3; ++i)
        t[i]->Release();
    EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), 0u);
}

TEST_F(DeviceObjects, BudgetCountsEveryDevicesTexturesAndDoesNotCountVertexBuffers)
{
    IDirect3DDevice9* other = MakeDevice(64, 64);
    IDirect3DTexture9 *a = nullptr, *b = nullptr;
    platform::d3d9test::SetVideoMemoryBudget(64 * 64 * 4);
    ASSERT_EQ(other->CreateTexture(64, 64, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                   &a, nullptr),
              D3D_OK);
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(4096, 0, 0, D3DPOOL_SYSTEMMEM, &vb, nullptr), D3D_OK);
    EXPECT_EQ(device->CreateTexture(4, 4, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b,
                                    nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    // The texture's memory goes with its device, even while the texture is held.
    other->Release();
    EXPECT_EQ(device->CreateTexture(4, 4, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b,
                                    nullptr),
              D3D_OK);
    a->Release();
    b->Release();
    vb->Release();
}

// --- device loss ----------------------------------------------------------

TEST_F(DeviceObjects, LostDeviceReportsLossUntilMadeAgain)
{
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    const auto tex = SolidTexture(8, 8, 0xFFFFFFFF);
    Begin(0xFF000000);
    DrawQuad(tex, {0, 0, 8, 8});
    End();
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const Frame shown = platform::d3d9test::LastPresentedFrame(device);

    platform::d3d9test::LoseDevice(device);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    // Nothing is drawn or shown any more; the calls themselves succeed.
    const Frame before = platform::d3d9test::ReadBackBuffer(device);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(DrawQuad(tex, {20, 20, 40, 40}), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(platform::d3d9test::ReadBackBuffer(device).pixels, before.pixels);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(platform::d3d9test::PresentCount(device), 1);
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).pixels, shown.pixels);

    // Its textures can still be filled (their contents are kept for copying).
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
    tex.texture->UnlockRect(0);

    // Released and made again: a working device.
    for (auto& t : textures)
        t.texture->Release();
    textures.clear();
    quad->Release();
    EXPECT_EQ(device->Release(), 0u);
    device = MakeDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(device->CreateVertexBuffer(112, 0, 0x144, D3DPOOL_SYSTEMMEM, &quad, nullptr), D3D_OK);
    const auto again = SolidTexture(8, 8, 0xFF00FF00);
    Begin(0xFF000000);
    ASSERT_EQ(DrawQuad(again, {0, 0, 8, 8}), D3D_OK);
    EXPECT_EQ(End().At(4, 4), 0xFF00FF00u);
}

TEST_F(DeviceObjects, EveryDeviceCanBeLostAtOnce)
{
    IDirect3DDevice9* other = MakeDevice(64, 64);
    platform::d3d9test::LoseAllDevices();
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(other->TestCooperativeLevel(), D3DERR_DEVICELOST);
    other->Release();
    IDirect3DDevice9* fresh = MakeDevice(64, 64);
    EXPECT_EQ(fresh->TestCooperativeLevel(), D3D_OK);
    fresh->Release();
}

TEST_F(DeviceObjects, TextureHeldAcrossRecreationCannotBeUsed)
{
    const auto old = SolidTexture(8, 8, 0xFFFFFFFF);
    old.texture->AddRef(); // kept by its owner past the release of the device
    platform::d3d9test::LoseDevice(device);
    for (auto& t : textures)
        t.texture->Release();
    textures.clear();
    quad->Release();
    device->Release();
    device = MakeDevice();
    ASSERT_EQ(device->CreateVertexBuffer(112, 0, 0x144, D3DPOOL_SYSTEMMEM, &quad, nullptr), D3D_OK);

    D3DLOCKED_RECT lr;
    EXPECT_EQ(old.texture->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(lr.pBits, nullptr);
    Begin(0xFF808080);
    EXPECT_EQ(DrawQuad(old, {0, 0, 8, 8}), D3D_OK); // SetTexture refused: drawn without a texture
    EXPECT_EQ(End().At(4, 4), 0xFF000000u);
    EXPECT_EQ(old.texture->Release(), 0u);
}

// --- vertex buffers -------------------------------------------------------

TEST_F(DeviceObjects, VertexBufferLockFailureDrawsNothing)
{
    const auto tex = SolidTexture(8, 8, 0xFFFFFFFF);
    platform::d3d9test::SetFault(Fault::VertexBufferLock, true);
    void* data = reinterpret_cast<void*>(this);
    EXPECT_EQ(quad->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(quad->Unlock(), D3DERR_INVALIDCALL);
    Begin(0xFF000000);
    EXPECT_TRUE(FAILED(DrawQuad(tex, {0, 0, 8, 8})));
    EXPECT_EQ(d3d9fixture::CoverageOf(End(), 0xFF000000).count, 0);

    platform::d3d9test::SetFault(Fault::VertexBufferLock, false);
    Begin(0xFF000000);
    EXPECT_EQ(DrawQuad(tex, {0, 0, 8, 8}), D3D_OK);
    EXPECT_EQ(d3d9fixture::CoverageOf(End(), 0xFF000000).count, 64);
}

TEST_F(DeviceObjects, VertexBufferLocksStayInsideTheBuffer)
{
    void* data;
    EXPECT_EQ(quad->Lock(100, 12, &data, 0), D3D_OK);
    EXPECT_EQ(quad->Unlock(), D3D_OK);
    EXPECT_EQ(quad->Lock(100, 13, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(quad->Lock(112, 0, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(quad->Lock(56, 0, &data, 0), D3D_OK); // to the end
    EXPECT_EQ(quad->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    quad->Unlock();
}

TEST_F(DeviceObjects, DrawingPastTheEndOfTheBufferIsRefused)
{
    const auto tex = SolidTexture(8, 8, 0xFFFFFFFF);
    Begin(0xFF000000);
    ASSERT_EQ(DrawQuad(tex, {0, 0, 8, 8}), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 1, 2), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, quad, 4, 28);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    End();
}

// --- scene, states and viewport ------------------------------------------

TEST_F(DeviceObjects, DrawingNeedsAScene)
{
    const auto tex = SolidTexture(8, 8, 0xFFFFFFFF);
    EXPECT_EQ(DrawQuad(tex, {0, 0, 8, 8}), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(d3d9fixture::CoverageOf(platform::d3d9test::ReadBackBuffer(device), 0).count, 0);
}

TEST_F(DeviceObjects, StatesItDoesNotImplementAreRefused)
{
    EXPECT_EQ(device->SetRenderState(D3DRS_FOGENABLE, TRUE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_BLENDOP, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_SRCBLEND, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(7), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG1, 0x12), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(0, D3DSAMP_MINFILTER, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(0, D3DSAMP_ADDRESSU, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetFVF(0x142), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(reinterpret_cast<IDirect3DVertexShader9*>(this)),
              D3DERR_INVALIDCALL);
}

TEST_F(DeviceObjects, CombinationsItDoesNotImplementAreNotDrawn)
{
    const auto tex = SolidTexture(8, 8, 0xFFFFFFFF);
    Begin(0xFF000000);
    ASSERT_EQ(DrawQuad(tex, {0, 0, 8, 8}), D3D_OK);
    // Texture × texture, and a blend of source alpha with zero.
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    End();
}

TEST_F(DeviceObjects, ViewportMustLieInsideTheBackBuffer)
{
    D3DVIEWPORT9 vp;
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Width, 800u);
    EXPECT_EQ(vp.Height, 600u);
    const D3DVIEWPORT9 wide = {100, 0, 701, 600, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&wide), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 ok = {100, 50, 700, 550, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&ok), D3D_OK);
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.X, 100u);
    EXPECT_EQ(vp.Height, 550u);
}

// --- present --------------------------------------------------------------

struct Shown {
    HWND window = nullptr;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0, pitch = 0, calls = 0;
};
Shown g_shown;

void Capture(HWND window, const uint32_t* bgra, int width, int height, int pitch,
             const platform::PresentChange&)
{
    g_shown.window = window;
    g_shown.pixels.assign(bgra, bgra + static_cast<size_t>(pitch / 4) * height);
    g_shown.width = width;
    g_shown.height = height;
    g_shown.pitch = pitch;
    ++g_shown.calls;
}

TEST_F(DeviceObjects, PresentHandsTheFrameToTheWindow)
{
    g_shown = {};
    platform::SetPresentFunction(Capture);
    const auto tex = SolidTexture(8, 8, 0xFF336699);
    Begin(0xFF000000);
    DrawQuad(tex, {10, 20, 18, 28});
    const Frame drawn = End();
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).pixels.size(), 0u);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    platform::SetPresentFunction(nullptr);

    EXPECT_EQ(g_shown.calls, 1);
    EXPECT_EQ(g_shown.width, 800);
    EXPECT_EQ(g_shown.height, 600);
    EXPECT_EQ(g_shown.pitch, 3200);
    EXPECT_EQ(g_shown.pixels, drawn.pixels);
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).pixels, drawn.pixels);
    EXPECT_EQ(platform::d3d9test::PresentCount(device), 1);

    // The next frame drawn over it is not shown until it is presented.
    Begin(0xFF000000);
    DrawQuad(tex, {30, 40, 38, 48});
    const Frame next = End();
    ASSERT_NE(next.pixels, drawn.pixels);
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).pixels, drawn.pixels);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).pixels, next.pixels);

    // Headless: presenting keeps the frame for the tests and calls nothing.
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(g_shown.calls, 1);
    EXPECT_EQ(platform::d3d9test::PresentCount(device), 3);
}

TEST_F(DeviceObjects, PresentGoesToTheDevicesWindow)
{
    g_shown = {};
    D3DPRESENT_PARAMETERS pp{64,
                             32,
                             D3DFMT_A8R8G8B8,
                             3,
                             D3DMULTISAMPLE_NONE,
                             0,
                             D3DSWAPEFFECT_DISCARD,
                             nullptr,
                             FALSE,
                             FALSE,
                             D3DFMT_UNKNOWN,
                             0,
                             75,
                             0};
    HWND window = reinterpret_cast<HWND>(0x1234);
    IDirect3DDevice9* other = nullptr;
    ASSERT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &pp, &other),
              D3D_OK);
    platform::SetPresentFunction(Capture);
    other->Present(nullptr, nullptr, nullptr, nullptr);
    platform::SetPresentFunction(nullptr);
    EXPECT_EQ(g_shown.window, window);
    EXPECT_EQ(g_shown.width, 64);
    EXPECT_EQ(g_shown.height, 32);
    other->Release();
}

namespace {

// The window's side of presenting, twice: every frame scaled whole, and
// only what the device says changed scaled into the frame before.
struct TwoScreens {
    platform::FrameScaler whole, part;
    std::vector<uint32_t> wholeOut, partOut;
    uint64_t lastSerial = 0;
    int partial = 0, empty = 0;
    RECT lastChange{0, 0, 0, 0};     // when known
    std::vector<int32_t> lastSpans; // the row spans with it
};
TwoScreens* g_screens = nullptr;
const int kScreenWidth = 1440, kScreenHeight = 1080;

void PresentBoth(HWND, const uint32_t* bgra, int width, int height, int pitch,
                 const platform::PresentChange& change)
{
    TwoScreens& s = *g_screens;
    s.whole.Scale(bgra, width, height, pitch, s.wholeOut.data(), kScreenWidth, kScreenHeight,
                  kScreenWidth * 4);
    const bool known = change.changed && change.serial == s.lastSerial + 1 && s.lastSerial != 0;
    const int all[4] = {0, 0, width, height};
    const int part[4] = {
        known ? int(change.changed->left) : 0, known ? int(change.changed->top) : 0,
        known ? int(change.changed->right) : 0, known ? int(change.changed->bottom) : 0};
    int written[4];
    s.part.ScaleChanged(bgra, width, height, pitch, s.partOut.data(), kScreenWidth, kScreenHeight,
                        kScreenWidth * 4, known ? part : all, written,
                        known ? change.rowSpans : nullptr);
    s.partial += known;
    if (known && change.rowSpans) s.lastSpans.assign(change.rowSpans, change.rowSpans + 2 * height);
    s.empty += known && written[2] <= written[0];
    if (known) s.lastChange = *change.changed;
    s.lastSerial = change.serial;
}

} // namespace

// The device draws only what changed, into a back buffer holding the frame
// before last, and the window scales only that part, row by row only the
// columns that changed (a round sprite's corners left out): after random moves,
// texel and state changes, reads of the back buffer in mid-frame and frames
// that do not begin with a whole clear, both buffers hold what a device that
// draws every frame whole holds, and the screen what a whole scale gives.
TEST_F(DeviceObjects, ChangedPartAloneDrawnAndScaledGivesTheWholeFrameAfterRandomMoves)
{
    TwoScreens screens;
    screens.wholeOut.assign(size_t(kScreenWidth) * kScreenHeight, 0);
    screens.partOut.assign(size_t(kScreenWidth) * kScreenHeight, 0);
    g_screens = &screens;

    // The second device makes each of its draws at once, over the whole frame.
    IDirect3DDevice9* const inPart = device;
    IDirect3DVertexBuffer9* const inPartQuad = quad;
    platform::d3d9test::SetDrawingInPart(false);
    IDirect3DDevice9* whole = MakeDevice();
    ASSERT_NE(whole, nullptr);
    IDirect3DVertexBuffer9* wholeQuad = nullptr;
    ASSERT_EQ(whole->CreateVertexBuffer(112, 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                        D3DPOOL_SYSTEMMEM, &wholeQuad, nullptr),
              D3D_OK);
    const auto use = [&](int k) {
        device = k ? whole : inPart;
        quad = k ? wholeQuad : inPartQuad;
        platform::d3d9test::SetDrawingInPart(k == 0);
    };

    std::vector<uint32_t> gradient(256 * 256);
    for (int i = 0; i < 256 * 256; ++i)
        gradient[size_t(i)] = 0xFF000000u | uint32_t(i % 256) << 16 | uint32_t(i / 256) << 8 | 0x40;
    // A disc: clear round it, so that its rows narrow the change.
    std::vector<uint32_t> sprite(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) {
        const int dx = i % 64 - 32, dy = i / 64 - 32;
        sprite[size_t(i)] =
            dx * dx + dy * dy < 30 * 30 ? uint32_t(40 + i % 200) << 24 | 0x30A0E0u : 0x0030A0E0u;
    }
    struct Set {
        d3d9fixture::Texture background, a, b, c;
    } sets[2];
    for (int k = 0; k < 2; ++k) {
        use(k);
        sets[k] = {MakeTexture(256, 256, gradient, 256), MakeTexture(64, 64, sprite, 64),
                   SolidTexture(32, 32, 0x80FF4020u), SolidTexture(16, 16, 0xA020F040u)};
    }
    std::mt19937 random(23);
    const auto coordinate = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto touch = [&](int k, int texel, uint32_t value) {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(sets[k].b.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
        static_cast<uint32_t*>(lr.pBits)[texel] = value;
        sets[k].b.texture->UnlockRect(0);
    };
    LONG ax = 100, ay = 100, bx = 500, by = 300, as = 64;
    int mixed = 0;
    for (int frame = 0; frame < 150; ++frame) {
        int what = coordinate(0, 11);
        // The frames about the first read back of a presented frame change
        // little, so that what the second buffer first holds matters.
        if (frame >= 74 && frame <= 76) what = 0;
        if (what == 0) { // a sprite moves by a pixel or by far
            ax += coordinate(-2, 2);
            ay += coordinate(-2, 2);
        } else if (what == 1) {
            bx = coordinate(-40, 820);
            by = coordinate(-40, 620);
            as = coordinate(20, 180); // the disc shrunk or enlarged
        } else if (what == 2) { // the texels of one change
            const int texel = coordinate(0, 32 * 32 - 1);
            touch(0, texel, 0xFFFFFFFFu);
            touch(1, texel, 0xFFFFFFFFu);
        }
        const int texel = coordinate(0, 32 * 32 - 1);
        const LONG cx = coordinate(0, 700), cy = coordinate(0, 500);
        // what 3 on: a sprite turned, left out, drawn with other states or
        // in a smaller viewport; texels changed after a draw; the back
        // buffer read; a frame begun without a whole clear; the background
        // narrower; or no change.
        Frame middle[2];
        for (int k = 0; k < 2; ++k) {
            use(k);
            const Set& t = sets[k];
            if (what == 9) {
                const D3DRECT part{cx, cy, cx + 90, cy + 70};
                ASSERT_EQ(device->Clear(1, &part, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0), D3D_OK);
                ASSERT_EQ(device->BeginScene(), D3D_OK);
            } else {
                Begin(0xFF000000);
                DrawQuad(t.background, RECT{what == 10 ? cx / 4 : 0, 0, 800, 600});
            }
            if (what == 8) middle[k] = platform::d3d9test::ReadBackBuffer(device);
            DrawQuad(t.a, RECT{ax, ay, ax + as, ay + as}, 0xFFFFFFFF, what == 3 ? 0.3f : 0.0f);
            if (what == 5) {
                colourWriteMask = 0x7;
                minFilter = D3DTEXF_POINT;
            }
            if (what == 6) {
                const D3DVIEWPORT9 inner{100, 80, 500, 400, 0.0f, 1.0f};
                device->SetViewport(&inner);
            }
            if (what != 4) DrawQuad(t.b, RECT{bx, by, bx + 48, by + 40}, 0xC0FFFFFF);
            if (what == 7) {
                touch(k, texel, 0xFF00FF00u);
                DrawQuad(t.b, RECT{cx, cy, cx + 96, cy + 80}, 0xE0FFFFFF);
            }
            if (what == 8) DrawQuad(t.a, RECT{cx, cy, cx + 64, cy + 64});
            const D3DVIEWPORT9 all{0, 0, 800, 600, 0.0f, 1.0f};
            device->SetViewport(&all);
            colourWriteMask = 0xF;
            minFilter = D3DTEXF_LINEAR;
            // Last in every frame, so that a sprite left out is one between others.
            DrawQuad(t.c, RECT{600, 40, 640, 80});
            ASSERT_EQ(device->EndScene(), D3D_OK);
            platform::SetPresentFunction(k == 0 ? PresentBoth : nullptr);
            ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        }
        use(0);
        platform::SetPresentFunction(nullptr);
        ASSERT_TRUE(middle[0].pixels == middle[1].pixels) << "frame " << frame;
        // Until the presented frame is first read back the device keeps one
        // buffer, which holds the last frame; from then on two.
        if (frame >= 75) {
            ASSERT_TRUE(platform::d3d9test::LastPresentedFrame(inPart).pixels ==
                        platform::d3d9test::LastPresentedFrame(whole).pixels)
                << "frame " << frame;
        }
        ASSERT_TRUE(platform::d3d9test::ReadBackBuffer(inPart).pixels ==
                    platform::d3d9test::ReadBackBuffer(whole).pixels)
            << "frame " << frame;
        ASSERT_TRUE(screens.wholeOut == screens.partOut) << "frame " << frame;
        mixed += what >= 5 && what <= 10;
    }
    // A sprite left out between others that stay (a caret's blink): only
    // its own place changed (and the few pixels round it that a draw's box
    // takes in).
    use(0);
    platform::SetPresentFunction(PresentBoth);
    for (bool caret : {true, false, true}) {
        Begin(0xFF000000);
        DrawQuad(sets[0].background, RECT{0, 0, 800, 600});
        if (caret)
            DrawQuad(sets[0].b, RECT{300, 200, 302, 230});
        DrawQuad(sets[0].c, RECT{600, 40, 640, 80});
        End();
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_TRUE(screens.wholeOut == screens.partOut);
    }
    const RECT& changed = screens.lastChange;
    EXPECT_TRUE(changed.left >= 296 && changed.top >= 196 && changed.right <= 306 &&
                changed.bottom <= 234 && changed.left < changed.right)
        << changed.left << "," << changed.top << " " << changed.right << "," << changed.bottom;
    // The disc moved by a pixel, enlarged: the clear corners round it are
    // left out of the rows of the change, its middle row is not.
    for (LONG x : {200, 201}) {
        Begin(0xFF000000);
        DrawQuad(sets[0].background, RECT{0, 0, 800, 600});
        DrawQuad(sets[0].a, RECT{x, 300, x + 96, 396});
        End();
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_TRUE(screens.wholeOut == screens.partOut);
    }
    ASSERT_EQ(screens.lastSpans.size(), 1200u);
    const auto spanWidth = [&](int y) {
        return screens.lastSpans[2 * size_t(y) + 1] - screens.lastSpans[2 * size_t(y)];
    };
    EXPECT_TRUE(changed.left >= 196 && changed.right <= 301 && changed.top >= 296 &&
                changed.bottom <= 400)
        << changed.left << "," << changed.top << " " << changed.right << "," << changed.bottom;
    EXPECT_LE(3 * spanWidth(changed.top + 3), 2 * (changed.right - changed.left));
    EXPECT_EQ(spanWidth(348), changed.right - changed.left);
    platform::SetPresentFunction(nullptr);
    g_screens = nullptr;
    EXPECT_EQ(whole->Release(), 0u);
    EXPECT_EQ(wholeQuad->Release(), 0u);
    // Most frames were presented in part, some of them not at all.
    EXPECT_GE(screens.partial, 80);
    EXPECT_GE(screens.empty, 5);
    EXPECT_GE(mixed, 50);
}

TEST_F(DeviceObjects, FrameSavesAsPng)
{
    const auto tex = SolidTexture(8, 8, 0x80336699);
    Begin(0x40102030);
    DrawQuad(tex, {0, 0, 8, 8});
    const Frame f = End();
    const std::string path = "/tmp/kvarlop_d3d9_frame_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(platform::d3d9test::SavePng(f, path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> read(image.width * image.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    std::remove(path.c_str());
    EXPECT_EQ(image.width, 800u);
    EXPECT_EQ(image.height, 600u);
    // The picture as shown: colours kept, alpha not.
    std::vector<uint32_t> shown = f.pixels;
    for (uint32_t& p : shown)
        p |= 0xFF000000;
    EXPECT_EQ(read, shown);
    EXPECT_FALSE(platform::d3d9test::SavePng(Frame{}, path));
}

} // namespace

// The device's objects: creation, locks, reference counts, the video-memory
// budget, device loss and re-creation, presenting, and what it refuses
// (presenting only what changed: changed_part_test.cpp).
#include "platform/present.h"
#include "tests/platform/d3d9/fixture.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using d3d9fixture::Frame;
using platform::d3d9test::Fault;

using d3d9fixture::DeviceObjects;

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

// Direct3D 9 as the renderer uses it: our own software device.
//
// The device draws pre-transformed, textured, tinted triangle fans into an
// A8R8G8B8 back buffer with the rules of the hardware: pixel centres at
// integer coordinates, the top-left fill rule, texel centres at half-integer
// texture coordinates, nearest or bilinear sampling with wrap addressing,
// MODULATE texture stages and SRCALPHA / INVSRCALPHA blending. Only the
// interfaces, states and values listed here exist; a state value the device
// does not implement is refused with D3DERR_INVALIDCALL when it is set, and a
// combination it does not implement makes DrawPrimitive refuse to draw.
//
// Objects are reference counted as in COM: a new object has count 1, AddRef
// and Release return the new count, the object is gone when Release returns
// 0. The device holds one reference to the texture and the vertex buffer
// bound to it. Resources do not keep their device alive: when a device is
// released, the textures and vertex buffers still held elsewhere lose their
// memory; they can still be released, but locking them or binding them to a
// device fails with D3DERR_INVALIDCALL.
//
// Texture and vertex-buffer memory is plain memory in our process, so locks
// never move it; a lock pointer is valid until Unlock (or the release of the
// device).
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef DWORD D3DCOLOR;
#define D3DCOLOR_ARGB(a, r, g, b)                                                                  \
    ((D3DCOLOR)((((a)&0xFFu) << 24) | (((r)&0xFFu) << 16) | (((g)&0xFFu) << 8) | ((b)&0xFFu)))

#define D3D_SDK_VERSION 32u
#define D3DADAPTER_DEFAULT 0u

// Results
#define D3D_OK S_OK
#define D3DERR_NOTAVAILABLE ((HRESULT)0x8876086A)
#define D3DERR_OUTOFVIDEOMEMORY ((HRESULT)0x8876017C)
#define D3DERR_INVALIDCALL ((HRESULT)0x8876086C)
#define D3DERR_DEVICELOST ((HRESULT)0x88760868)
#define D3DERR_DEVICENOTRESET ((HRESULT)0x88760869)

enum D3DFORMAT : DWORD {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21, // 32 bits: B, G, R, A bytes in memory
    D3DFMT_X8R8G8B8 = 22, // as A8R8G8B8; the fourth byte is ignored, alpha reads 255
};

enum D3DPOOL : DWORD {
    D3DPOOL_DEFAULT = 0,   // textures: lost with the device
    D3DPOOL_SYSTEMMEM = 2, // vertex buffers
};

enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1 };
enum D3DSWAPEFFECT : DWORD { D3DSWAPEFFECT_DISCARD = 1 };
enum D3DMULTISAMPLE_TYPE : DWORD { D3DMULTISAMPLE_NONE = 0 };
enum D3DRESOURCETYPE : DWORD { D3DRTYPE_SURFACE = 1 };
enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLEFAN = 6 };

#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020u
#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000u
#define D3DUSAGE_DYNAMIC 0x00000200u
#define D3DLOCK_READONLY 0x00000010u
#define D3DCLEAR_TARGET 0x00000001u

// Vertex format: the only one drawn is D3DFVF_XYZRHW | D3DFVF_DIFFUSE |
// D3DFVF_TEX1 (0x144): float x, y, z, rhw; D3DCOLOR diffuse; float u, v
// (28 bytes). x and y are screen pixels; z and rhw are not used.
#define D3DFVF_XYZRHW 0x004u
#define D3DFVF_DIFFUSE 0x040u
#define D3DFVF_TEX1 0x100u

enum D3DRENDERSTATETYPE : DWORD {
    D3DRS_FILLMODE = 8,                  // D3DFILL_SOLID
    D3DRS_SHADEMODE = 9,                 // D3DSHADE_GOURAUD
    D3DRS_ZWRITEENABLE = 14,             // any (there is no depth buffer)
    D3DRS_ALPHATESTENABLE = 15,          // FALSE
    D3DRS_SRCBLEND = 19,                 // D3DBLEND_ONE (default) or SRCALPHA
    D3DRS_DESTBLEND = 20,                // D3DBLEND_ZERO (default) or INVSRCALPHA
    D3DRS_CULLMODE = 22,                 // NONE, CW, CCW (default)
    D3DRS_ALPHABLENDENABLE = 27,         // FALSE (default) or TRUE
    D3DRS_FOGENABLE = 28,                // FALSE
    D3DRS_LIGHTING = 137,                // any (pre-transformed vertices are not lit)
    D3DRS_COLORWRITEENABLE = 168,        // mask of D3DCOLORWRITEENABLE_* (default all)
    D3DRS_BLENDOP = 171,                 // D3DBLENDOP_ADD
    D3DRS_SEPARATEALPHABLENDENABLE = 206 // FALSE
};

enum D3DFILLMODE : DWORD { D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : DWORD { D3DSHADE_GOURAUD = 2 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DBLEND : DWORD {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
};
enum D3DBLENDOP : DWORD { D3DBLENDOP_ADD = 1 };

#define D3DCOLORWRITEENABLE_RED 0x1u
#define D3DCOLORWRITEENABLE_GREEN 0x2u
#define D3DCOLORWRITEENABLE_BLUE 0x4u
#define D3DCOLORWRITEENABLE_ALPHA 0x8u

// Texture stage 0 only.
enum D3DTEXTURESTAGESTATETYPE : DWORD {
    D3DTSS_COLOROP = 1,   // default MODULATE
    D3DTSS_COLORARG1 = 2, // default TEXTURE
    D3DTSS_COLORARG2 = 3, // default CURRENT
    D3DTSS_ALPHAOP = 4,   // default SELECTARG1
    D3DTSS_ALPHAARG1 = 5, // default TEXTURE
    D3DTSS_ALPHAARG2 = 6, // default CURRENT
};

enum D3DTEXTUREOP : DWORD {
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
};

// Texture arguments; at stage 0 CURRENT is the diffuse colour.
#define D3DTA_DIFFUSE 0x00000000u
#define D3DTA_CURRENT 0x00000001u
#define D3DTA_TEXTURE 0x00000002u

// Sampler 0 only.
enum D3DSAMPLERSTATETYPE : DWORD {
    D3DSAMP_ADDRESSU = 1,  // D3DTADDRESS_WRAP
    D3DSAMP_ADDRESSV = 2,  // D3DTADDRESS_WRAP
    D3DSAMP_MAGFILTER = 5, // POINT (default) or LINEAR
    D3DSAMP_MINFILTER = 6, // POINT (default) or LINEAR
    D3DSAMP_MIPFILTER = 7, // NONE: level 0 is the only level sampled
};

enum D3DTEXTUREFILTERTYPE : DWORD {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
};

enum D3DTEXTUREADDRESS : DWORD { D3DTADDRESS_WRAP = 1 };

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DVIEWPORT9 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

struct D3DLOCKED_RECT {
    int Pitch;
    void* pBits;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct RGNDATA;
struct IDirect3DVertexShader9; // only null is ever set

struct IDirect3DBaseTexture9 {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IDirect3DBaseTexture9() = default;
};

// A texture of the default pool. Only level 0 has memory: it is zeroed at
// creation, its pitch is width × 4 bytes, and it is the level sampled.
// GetLevelDesc describes every level of the chain; LockRect and UnlockRect
// accept level 0 only. A texture can be locked once at a time.
struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    // rect null: the whole level; otherwise a rectangle inside it, and pBits
    // points at its top-left texel. Flags are accepted and have no effect.
    // D3DLOCK_READONLY promises the texels are not written while locked.
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;

protected:
    ~IDirect3DTexture9() = default;
};

struct IDirect3DVertexBuffer9 {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // size 0 with offset 0: the whole buffer. One lock at a time.
    virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;

protected:
    ~IDirect3DVertexBuffer9() = default;
};

struct IDirect3DDevice9 {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    // D3D_OK; after a loss D3DERR_DEVICELOST once, then D3DERR_DEVICENOTRESET
    // until the device is released. A lost device draws, clears and presents
    // nothing (those calls still succeed, Present reports D3DERR_DEVICELOST);
    // its textures can still be locked.
    virtual HRESULT TestCooperativeLevel() = 0;
    // Sizes from 1 to 8192 of any kind; levels 0 (the full chain) or a
    // count up to the chain's length; usage 0 or D3DUSAGE_DYNAMIC (only
    // dynamic textures can be locked); A8R8G8B8 or X8R8G8B8; the default
    // pool. D3DERR_OUTOFVIDEOMEMORY when the video-memory budget would be
    // exceeded. sharedHandle must be null.
    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                  HANDLE* sharedHandle) = 0;
    // System memory; usage 0 or D3DUSAGE_DYNAMIC; the buffer is zeroed.
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) = 0;
    // D3DCLEAR_TARGET only: fills the viewport (or the given rectangles,
    // clipped to it) with the colour; render states do not apply.
    virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                          DWORD stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // Shows the whole back buffer: it becomes the presented frame and is
    // handed to the present function (platform/present.h) when one is
    // installed, with the override window or else the device's window. The
    // back buffer then holds an older frame (the swap effect discards).
    // Rectangles and dirty region must be null.
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const RGNDATA* dirtyRegion) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
    // The viewport must lie inside the back buffer. Vertex x and y are screen
    // coordinates: the viewport does not move them, it clips what is drawn.
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                    UINT stride) = 0;
    // A stage without a texture samples opaque black.
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
    // Triangle fans, inside BeginScene / EndScene, from stream 0 (FVF 0x144,
    // stride at least 28). A triangle with a vertex more than 2^21 pixels
    // off the origin, or not a number, is not drawn.
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;

protected:
    ~IDirect3DDevice9() = default;
};

struct IDirect3D9 {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // The 800 × 600 display the program runs on, 75 Hz, X8R8G8B8.
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    // Adapter 0, HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING; an A8R8G8B8 back
    // buffer of the given size (1 to 4096 each way), DISCARD, no
    // multisampling, no depth buffer. The focus window (or hDeviceWindow when
    // set) is the window Present shows the frames in; it may be null.
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) = 0;

protected:
    ~IDirect3D9() = default;
};

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;

// Null unless sdkVersion is D3D_SDK_VERSION.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// Test seams and read-back. Settings are process-wide and stay until changed.
namespace platform::d3d9test {

// A copy of a frame: width × height pixels, top row first, each an ARGB value
// (in memory B, G, R, A).
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
};

// The device's back buffer as it is now; empty for an unknown or released device.
Frame ReadBackBuffer(IDirect3DDevice9* device);
// The frame shown by the last successful Present; empty before the first.
Frame LastPresentedFrame(IDirect3DDevice9* device);
// Number of successful Present calls of the device.
int PresentCount(IDirect3DDevice9* device);
// Writes the frame as an 8-bit RGB PNG file, as the screen shows it (the
// alpha channel is not shown, so it is not kept); false when it cannot.
bool SavePng(const Frame& frame, const std::string& path);

// Video memory: the bytes of level 0 of every live default-pool texture.
// CreateTexture fails with D3DERR_OUTOFVIDEOMEMORY when a new texture would
// take the total above the budget. Unlimited (SIZE_MAX) at first.
void SetVideoMemoryBudget(size_t bytes);
size_t VideoMemoryInUse();

// The device reports loss from now on (see TestCooperativeLevel); the
// second form loses every device that exists.
void LoseDevice(IDirect3DDevice9* device);
void LoseAllDevices();

// Failures on demand, for the callers' error paths.
enum class Fault {
    Direct3DCreate,     // Direct3DCreate9 returns null
    AdapterDisplayMode, // GetAdapterDisplayMode fails (D3DERR_NOTAVAILABLE)
    CreateDevice,       // CreateDevice fails (D3DERR_NOTAVAILABLE)
    VertexBufferLock,   // IDirect3DVertexBuffer9::Lock fails (D3DERR_INVALIDCALL)
    TextureLock,        // IDirect3DTexture9::LockRect fails (D3DERR_INVALIDCALL)
};
void SetFault(Fault fault, bool active);
void ClearFaults();

// Live objects of each kind, for leak checks.
struct LiveObjects {
    int direct3d = 0;
    int devices = 0;
    int textures = 0;
    int vertexBuffers = 0;
};
LiveObjects CountLiveObjects();

// Off: every draw takes the general triangle path (for comparing the paths).
void SetFastPathsEnabled(bool enabled);
// Off: each frame a device begins from now on is drawn whole as its draws
// come, not only where it changed at its present (for comparing the two).
void SetDrawingInPart(bool enabled);

} // namespace platform::d3d9test

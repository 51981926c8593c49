// The objects behind the Direct3D 9 interfaces, and the process-wide state
// they share (registry of live objects, video-memory account, test faults).
#pragma once

#include "platform/d3d9.h"
#include "platform/d3d9/raster.h"

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

namespace platform::d3d9impl {

class Device;
class Texture;

// One clear or draw of a frame, with all that decides the pixels it writes
// and the box it writes them in. Where two frames' records agree but for
// some, the frames agree outside those records' boxes.
struct DrawRecord {
    uint32_t kind; // 0 a clear, 1 a fan
    uint32_t count;
    uint64_t content; // the texture's generation, or the clear's colour
    uint32_t texelOr, diffuseOr, writeMask, flags;
    int32_t clip[4];
    RasterVertex first[4]; // the fan's first vertices
    uint64_t rest;         // a hash of the vertices after them
    int32_t box[4];        // written pixels lie inside; not compared
    // Not compared either: 0, or one more than the place of the draw's
    // bands among its frame's (DrawBands).
    uint32_t bands;
    bool Same(const DrawRecord& o) const;
};

// Where a draw may change pixels, finer than its box: the box's rows in
// kBands bands of equal height (the last one shorter), and for each the
// columns [x0, x1) outside which the draw leaves every pixel of its rows
// as it was. A round sprite's corners are left out.
struct DrawBands {
    static constexpr int kBands = 32;
    int32_t at[kBands][2];
    static int Height(const int32_t box[4]) { return (box[3] - box[1] + kBands - 1) / kBands; }
};

// The bands of a fan drawn with `state` inside `box`, when that is worth
// it (a large sprite): a quad whose texture follows its sides, blended by
// the texels' alpha, leaves the target alone where it samples only clear
// texels. False when that cannot be told.
bool NarrowBands(const DrawState& state, const RasterVertex* v, int count, const int32_t box[4],
                 DrawBands& out);
class VertexBuffer;

// What a device and its resources share. Resources keep it after the device
// is gone, so they can tell that their device has died.
struct DeviceCore {
    Device* device = nullptr; // null once the device is released
    std::unordered_set<Texture*> textures;
    std::unordered_set<VertexBuffer*> buffers;
};

class Texture final : public IDirect3DTexture9 {
public:
    // Allocates level 0 (zeroed); throws std::bad_alloc.
    Texture(std::shared_ptr<DeviceCore> core, UINT width, UINT height, UINT levels, DWORD usage,
            D3DFORMAT format);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // The device died: the memory goes, the object stays until released.
    void Orphan();
    bool HasMemory() const { return texels != nullptr; }
    bool BelongsTo(const Device* d) const { return core->device == d && HasMemory(); }
    TextureSource Source() const;
    D3DFORMAT Format() const { return format; }
    // Different for every texture and after every change of its texels.
    uint64_t Generation() const { return generation; }
    size_t Bytes() const { return static_cast<size_t>(width) * height * 4; }

private:
    ~Texture();

    ULONG refs = 1;
    std::shared_ptr<DeviceCore> core;
    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    // Finds each row's longest run of opaque texels and the span of its
    // texels that are not clear (after every unlock).
    void FindOpaqueRuns();

    struct Free {
        void operator()(uint32_t* p) const;
    };
    // Level 0, and a few spare texels for the row kernels. Zeroed by the
    // allocator: large blocks come as fresh zero pages, so texels a decoder
    // overwrites are not also filled first.
    std::unique_ptr<uint32_t[], Free> texels;
    std::vector<int32_t> opaqueRuns;
    std::vector<int32_t> visibleSpans;
    bool locked = false;
    bool lockedReadOnly = false;
    bool counted = false; // its bytes are in the video-memory account
    uint64_t generation;
};

class VertexBuffer final : public IDirect3DVertexBuffer9 {
public:
    VertexBuffer(std::shared_ptr<DeviceCore> core, UINT length);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;

    void Orphan();
    bool BelongsTo(const Device* d) const { return core->device == d && !bytes.empty(); }
    const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
    ~VertexBuffer();

    ULONG refs = 1;
    std::shared_ptr<DeviceCore> core;
    std::vector<uint8_t> bytes;
    bool locked = false;
};

class Device final : public IDirect3DDevice9 {
public:
    Device(HWND window, int width, int height);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;

    // Test seams and read-back.
    void Lose();
    d3d9test::Frame CopyBackBuffer();
    d3d9test::Frame CopyPresented() const;
    int Presents() const { return presents; }
    // The part of the frame presented last that differs from the one before
    // it; false when that is not known (all of it may differ).
    bool LastChange(RECT* changed) const;

    // The texels of `t` are about to change or go: the draws waiting for the
    // present that read them are made now.
    void TextureChanging(const Texture* t);

private:
    ~Device();

    enum class Loss { None, Lost, NotReset };

    // The blend, combine and clip settings of a draw; false when the states
    // ask for something the device does not do.
    bool MakeDrawState(DrawState* state);

    // What the render, stage and sampler states make of a draw, worked out
    // again only after one of them has changed: every quad sets them all,
    // mostly to the values they already hold.
    struct StateSummary {
        bool ok = false;
        bool colourTexel = false, colourDiffuse = false, alphaTexel = false, alphaDiffuse = false;
        bool blend = false;
        bool minLinear = false, magLinear = false;
        uint32_t writeMask = 0;
        Cull cull = Cull::CounterClockwise;
    };
    void Summarise();
    StateSummary summary;
    bool statesChanged = true;

    ULONG refs = 1;
    std::shared_ptr<DeviceCore> core;
    HWND window;
    int width, height;
    // Frames are drawn in `back` and presented from it. `front` is made
    // only once the presented frame has been asked for (a test or benchmark
    // reading it back): from then on the presented frame moves there
    // before the next one is drawn over it, and the two buffers swap.
    std::vector<uint32_t> back, front;
    bool presentedInBack = false; // no clear or draw since the last present
    mutable bool keepPresented = false;
    // What the back buffer holds when a frame's waiting draws are made.
    enum class BackHolds { Unknown, LastFrame, FrameBeforeLast };
    BackHolds backHolds = BackHolds::Unknown;
    // Called before the back buffer is written.
    void BeforeDrawing();
    // A clear of whole rows is kept owing until something else touches
    // them: the background that follows it every frame covers them anyway.
    mutable std::vector<uint8_t> pendingRows;
    mutable bool anyPending = false;
    uint32_t pendingColour = 0;
    int pendingX0 = 0, pendingX1 = 0; // the columns owed
    // Fills every row still owed the clear.
    void SettleClear() const;
    int presents = 0;
    Loss loss = Loss::None;
    bool inScene = false;
    D3DVIEWPORT9 viewport;

    std::array<DWORD, 256> renderStates{};
    std::array<DWORD, 8> stageStates{};
    std::array<DWORD, 8> samplerStates{};
    Texture* texture = nullptr;     // one reference held
    VertexBuffer* stream = nullptr; // one reference held
    UINT streamOffset = 0, streamStride = 0;
    DWORD fvf = 0;

    RasterScratch scratch;
    std::vector<RasterVertex> vertices;

    // The clears and draws of the frame being made and of the one presented
    // last, compared at each present to find what changed.
    std::vector<DrawRecord> log, lastLog;
    std::vector<DrawBands> logBands, lastLogBands; // the records' bands
    bool lastLogValid = false;
    bool changeKnown = false;
    RECT change{};
    // With a known change, for each row of the target the columns [x0, x1)
    // holding every pixel of it that changed (x0 >= x1: none).
    std::vector<int32_t> changeSpans;
    void Record(const DrawRecord& r);
    void RecordFan(const DrawState& state);
    void FindChange();

    // The clears and draws of a frame wait for its present, where the box
    // that changed is known: only that box is drawn then, with the box the
    // frame before changed when the back buffer holds the frame before
    // last (`backHolds`). Whatever reads the back buffer, or changes what a waiting draw
    // reads, has them made first, and the rest of that frame is drawn as it
    // comes and presented whole.
    struct Waiting {
        bool fan;       // else a clear
        bool wholeRows; // a clear of whole rows, kept owing
        bool fastPaths;
        uint32_t colour;
        int32_t rect[4]; // a clear's
        DrawState state;
        const Texture* texture;
        uint32_t first, count; // the fan's vertices in waitingVertices
    };
    std::vector<Waiting> waiting;
    std::vector<RasterVertex> waitingVertices;
    bool deferring;
    // What the present before last changed: between the frame before last
    // and the last one.
    bool previousChangeKnown = false;
    RECT previousChange{};
    void Fill(LONG x0, LONG y0, LONG x1, LONG y1, uint32_t colour);
    void ClearNow(const Waiting& w);
    // A waiting draw made now, clipped to `box` (left, top, right, bottom) when given.
    void DrawNow(const Waiting& w, const int* box = nullptr);
    // Makes every waiting clear and draw as it would have been made when it
    // came, or only what falls inside `box`.
    void DrawWaiting();
    void DrawWaitingWithin(const RECT& box);
    void DrawAllNow();
};

// A generation number no texture has had.
uint64_t NextGeneration();

class Direct3D final : public IDirect3D9 {
public:
    Direct3D();
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;

private:
    ~Direct3D();
    ULONG refs = 1;
};

// Process-wide state. UI thread only, like the device itself.
struct Globals {
    // Each by the address of its outermost interface.
    std::unordered_set<const void*> direct3d;
    std::unordered_set<const void*> devices;
    std::unordered_set<const void*> textures;
    std::unordered_set<const void*> buffers;
    size_t budget = SIZE_MAX;
    size_t used = 0;
    std::array<bool, 5> faults{};
    bool fastPaths = true;
    bool drawInPart = true;
    // Textures found alive lately, by their address: a quad binds one after
    // another, and the set above is slower to ask. A texture leaves this on
    // destruction.
    std::array<const void*, 256> recentTextures{};
    static size_t RecentSlot(const void* p)
    {
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(p) * 0x9E3779B97F4A7C15ull) >> 56);
    }
};
Globals& G();

inline bool Faulty(d3d9test::Fault f)
{
    return G().faults[static_cast<size_t>(f)];
}

// The object behind an interface pointer when it is one of ours and alive.
Device* FindDevice(IDirect3DDevice9* device);
Texture* FindTexture(IDirect3DBaseTexture9* texture);
VertexBuffer* FindBuffer(IDirect3DVertexBuffer9* buffer);

} // namespace platform::d3d9impl

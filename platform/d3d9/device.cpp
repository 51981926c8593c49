// The device: life, loss, resources, scene, present, viewport and states.
#include "platform/d3d9/objects.h"
#include "platform/d3d9/span.h"
#include "platform/present.h"

#include <algorithm>
#include <new>

namespace platform::d3d9impl {

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kQuadVertexSize = 28;
constexpr UINT kMaxTextureSide = 8192;

const void* Key(const IDirect3DDevice9* d)
{
    return d;
}

bool IsBool(DWORD v)
{
    return v == FALSE || v == TRUE;
}

// The values the device implements, per render state.
bool RenderStateAccepted(DWORD state, DWORD value)
{
    switch (state) {
    case D3DRS_FILLMODE: return value == D3DFILL_SOLID;
    case D3DRS_SHADEMODE: return value == D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE: return IsBool(value);
    case D3DRS_ALPHATESTENABLE: return value == FALSE;
    case D3DRS_SRCBLEND: return value == D3DBLEND_ONE || value == D3DBLEND_SRCALPHA;
    case D3DRS_DESTBLEND: return value == D3DBLEND_ZERO || value == D3DBLEND_INVSRCALPHA;
    case D3DRS_CULLMODE: return value >= D3DCULL_NONE && value <= D3DCULL_CCW;
    case D3DRS_ALPHABLENDENABLE: return IsBool(value);
    case D3DRS_FOGENABLE: return value == FALSE;
    case D3DRS_LIGHTING: return IsBool(value);
    case D3DRS_COLORWRITEENABLE: return value <= 0xF;
    case D3DRS_BLENDOP: return value == D3DBLENDOP_ADD;
    case D3DRS_SEPARATEALPHABLENDENABLE: return value == FALSE;
    default: return false;
    }
}

bool StageStateAccepted(DWORD type, DWORD value)
{
    switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_ALPHAOP: return value >= D3DTOP_SELECTARG1 && value <= D3DTOP_MODULATE;
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
        return value == D3DTA_DIFFUSE || value == D3DTA_CURRENT || value == D3DTA_TEXTURE;
    default: return false;
    }
}

bool SamplerStateAccepted(DWORD type, DWORD value)
{
    switch (type) {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV: return value == D3DTADDRESS_WRAP;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER: return value == D3DTEXF_POINT || value == D3DTEXF_LINEAR;
    case D3DSAMP_MIPFILTER: return value == D3DTEXF_NONE;
    default: return false;
    }
}

UINT ChainLength(UINT w, UINT h)
{
    UINT n = 1;
    for (UINT side = std::max(w, h); side > 1; side >>= 1)
        ++n;
    return n;
}

} // namespace

Device::Device(HWND focus, int w, int h)
    : core(std::make_shared<DeviceCore>()),
      window(focus),
      width(w),
      height(h),
      back(static_cast<size_t>(w) * h + kSpanPadding, 0u),
      pendingRows(static_cast<size_t>(h), 0),
      viewport{0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0.0f, 1.0f}
{
    core->device = this;
    deferring = G().drawInPart;
    renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates[D3DRS_ALPHATESTENABLE] = FALSE;
    renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRS_ALPHABLENDENABLE] = FALSE;
    renderStates[D3DRS_FOGENABLE] = FALSE;
    renderStates[D3DRS_LIGHTING] = TRUE;
    renderStates[D3DRS_COLORWRITEENABLE] = 0xF;
    renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    renderStates[D3DRS_SEPARATEALPHABLENDENABLE] = FALSE;
    stageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    stageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    samplerStates[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    samplerStates[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    samplerStates[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    samplerStates[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    samplerStates[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    G().devices.insert(Key(this));
}

Device::~Device()
{
    // What waits is never drawn.
    deferring = false;
    if (texture) texture->Release();
    if (stream) stream->Release();
    // What others still hold loses its memory with the device.
    for (Texture* t : core->textures)
        t->Orphan();
    for (VertexBuffer* b : core->buffers)
        b->Orphan();
    core->textures.clear();
    core->buffers.clear();
    core->device = nullptr;
    G().devices.erase(Key(this));
}

ULONG Device::AddRef()
{
    return ++refs;
}

ULONG Device::Release()
{
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

void Device::Lose()
{
    // The draws made before the loss stay in the back buffer; none come after.
    DrawAllNow();
    if (loss == Loss::None) loss = Loss::Lost;
}

HRESULT Device::TestCooperativeLevel()
{
    switch (loss) {
    case Loss::None: return D3D_OK;
    case Loss::Lost: loss = Loss::NotReset; return D3DERR_DEVICELOST;
    case Loss::NotReset: break;
    }
    return D3DERR_DEVICENOTRESET;
}

HRESULT Device::CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** out, HANDLE* sharedHandle)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (sharedHandle || w == 0 || h == 0 || w > kMaxTextureSide || h > kMaxTextureSide)
        return D3DERR_INVALIDCALL;
    if ((format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) || pool != D3DPOOL_DEFAULT ||
        (usage & ~D3DUSAGE_DYNAMIC) != 0)
        return D3DERR_INVALIDCALL;
    const UINT chain = ChainLength(w, h);
    if (levels == 0) levels = chain;
    if (levels > chain) return D3DERR_INVALIDCALL;

    const size_t bytes = static_cast<size_t>(w) * h * 4;
    Globals& g = G();
    if (g.used > g.budget || bytes > g.budget - g.used) return D3DERR_OUTOFVIDEOMEMORY;
    try {
        *out = new Texture(core, w, h, levels, usage, format);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD vertexFormat, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** out, HANDLE* sharedHandle)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (sharedHandle || pool != D3DPOOL_SYSTEMMEM || (usage & ~D3DUSAGE_DYNAMIC) != 0)
        return D3DERR_INVALIDCALL;
    if (vertexFormat != 0 && vertexFormat != kQuadFvf) return D3DERR_INVALIDCALL;
    if (length == 0 || (vertexFormat == kQuadFvf && length < kQuadVertexSize))
        return D3DERR_INVALIDCALL;
    try {
        *out = new VertexBuffer(core, length);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                        const RGNDATA* dirtyRegion)
{
    if (sourceRect || destRect || dirtyRegion) return D3DERR_INVALIDCALL;
    if (loss != Loss::None) return D3DERR_DEVICELOST;
    FindChange();
    // The back buffer differs from this frame only inside this change when
    // it holds the frame presented last, and inside this change and the one
    // before when it holds the frame before last; otherwise, or when a
    // change is not known, the frame is drawn whole.
    bool inPart = deferring && changeKnown && backHolds != BackHolds::Unknown;
    RECT box = change;
    if (inPart && backHolds == BackHolds::FrameBeforeLast) {
        inPart = previousChangeKnown;
        if (previousChange.left < previousChange.right && previousChange.top < previousChange.bottom) {
            if (box.left < box.right && box.top < box.bottom) {
                box.left = std::min(box.left, previousChange.left);
                box.top = std::min(box.top, previousChange.top);
                box.right = std::max(box.right, previousChange.right);
                box.bottom = std::max(box.bottom, previousChange.bottom);
            } else {
                box = previousChange;
            }
        }
    }
    if (inPart)
        DrawWaitingWithin(box);
    else
        DrawWaiting();
    deferring = G().drawInPart;
    previousChangeKnown = changeKnown;
    previousChange = change;
    SettleClear();
    ++presents;
    presentedInBack = true;
    backHolds = BackHolds::LastFrame;
    if (PresentFunction present = GetPresentFunction()) {
        const PresentChange what{static_cast<uint64_t>(presents), changeKnown ? &change : nullptr,
                                 changeKnown ? changeSpans.data() : nullptr};
        present(destWindowOverride ? destWindowOverride : window, back.data(), width, height,
                width * 4, what);
    }
    return D3D_OK;
}

void Device::BeforeDrawing()
{
    if (!presentedInBack) return;
    presentedInBack = false;
    if (!keepPresented) return;
    // The frame presented last stays readable; the back buffer now holds the
    // frame before it, or nothing known the first time.
    back.swap(front);
    if (back.size() != front.size()) {
        back.assign(front.size(), 0u);
        backHolds = BackHolds::Unknown;
    } else {
        backHolds = BackHolds::FrameBeforeLast;
    }
}

HRESULT Device::GetViewport(D3DVIEWPORT9* out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = viewport;
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* v)
{
    if (!v) return D3DERR_INVALIDCALL;
    if (static_cast<uint64_t>(v->X) + v->Width > static_cast<uint64_t>(width) ||
        static_cast<uint64_t>(v->Y) + v->Height > static_cast<uint64_t>(height))
        return D3DERR_INVALIDCALL;
    viewport = *v;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (!RenderStateAccepted(state, value)) return D3DERR_INVALIDCALL;
    if (renderStates[state] != value) {
        renderStates[state] = value;
        statesChanged = true;
    }
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage != 0 || !StageStateAccepted(type, value)) return D3DERR_INVALIDCALL;
    if (stageStates[type] != value) {
        stageStates[type] = value;
        statesChanged = true;
    }
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler != 0 || !SamplerStateAccepted(type, value)) return D3DERR_INVALIDCALL;
    if (samplerStates[type] != value) {
        samplerStates[type] = value;
        statesChanged = true;
    }
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader)
{
    // There are no shader objects: only the fixed pipeline.
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::SetFVF(DWORD value)
{
    if (value != 0 && value != kQuadFvf) return D3DERR_INVALIDCALL;
    fvf = value;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT number, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride)
{
    if (number != 0) return D3DERR_INVALIDCALL;
    // The same binding again, as every quad makes it: nothing to look up.
    if (buffer != nullptr && stream != nullptr &&
        static_cast<IDirect3DVertexBuffer9*>(stream) == buffer && stream->BelongsTo(this) &&
        streamOffset == offset && streamStride == stride)
        return D3D_OK;
    VertexBuffer* b = nullptr;
    if (buffer) {
        b = FindBuffer(buffer);
        if (!b || !b->BelongsTo(this)) return D3DERR_INVALIDCALL;
        b->AddRef();
    }
    if (stream) stream->Release();
    stream = b;
    streamOffset = offset;
    streamStride = stride;
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* base)
{
    if (stage != 0) return D3DERR_INVALIDCALL;
    if (base != nullptr && texture != nullptr &&
        static_cast<IDirect3DBaseTexture9*>(static_cast<IDirect3DTexture9*>(texture)) == base &&
        texture->BelongsTo(this))
        return D3D_OK;
    Texture* t = nullptr;
    if (base) {
        t = FindTexture(base);
        if (!t || !t->BelongsTo(this)) return D3DERR_INVALIDCALL;
        t->AddRef();
    }
    if (texture) texture->Release();
    texture = t;
    return D3D_OK;
}

d3d9test::Frame Device::CopyBackBuffer()
{
    DrawAllNow();
    SettleClear();
    return {width, height, {back.begin(), back.begin() + static_cast<size_t>(width) * height}};
}

d3d9test::Frame Device::CopyPresented() const
{
    keepPresented = true;
    if (presents == 0) return {};
    const std::vector<uint32_t>& shown = presentedInBack ? back : front;
    // Drawn over before it was ever asked for: it is not kept.
    if (shown.empty()) return {};
    return {width, height, {shown.begin(), shown.begin() + static_cast<size_t>(width) * height}};
}

Device* FindDevice(IDirect3DDevice9* device)
{
    if (!device || !G().devices.count(Key(device))) return nullptr;
    return static_cast<Device*>(device);
}

} // namespace platform::d3d9impl

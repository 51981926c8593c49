// Textures and vertex buffers.
#include "platform/d3d9/objects.h"
#include "platform/d3d9/span.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace platform::d3d9impl {

namespace {

const void* Key(const IDirect3DTexture9* t)
{
    return static_cast<const IDirect3DBaseTexture9*>(t);
}
const void* Key(const IDirect3DVertexBuffer9* b)
{
    return b;
}

} // namespace

Texture::Texture(std::shared_ptr<DeviceCore> owner, UINT w, UINT h, UINT levelCount, DWORD use,
                 D3DFORMAT fmt)
    : core(std::move(owner)),
      width(w),
      height(h),
      levels(levelCount),
      usage(use),
      format(fmt),
      texels(static_cast<uint32_t*>(
          std::calloc(static_cast<size_t>(w) * h + kSpanPadding, sizeof(uint32_t)))),
      opaqueRuns(2 * static_cast<size_t>(h), 0),
      visibleSpans(2 * static_cast<size_t>(h), 0),
      generation(NextGeneration())
{
    if (!texels) throw std::bad_alloc();
    G().used += Bytes();
    counted = true;
    G().textures.insert(Key(this));
    core->textures.insert(this);
}

Texture::~Texture()
{
    if (core->device) core->device->TextureChanging(this);
    Orphan();
    if (core->device) core->textures.erase(this);
    Globals& g = G();
    g.textures.erase(Key(this));
    const void*& recent = g.recentTextures[Globals::RecentSlot(Key(this))];
    if (recent == Key(this)) recent = nullptr;
}

void Texture::Free::operator()(uint32_t* p) const
{
    std::free(p);
}

void Texture::Orphan()
{
    if (counted) {
        G().used -= Bytes();
        counted = false;
    }
    texels.reset();
    std::vector<int32_t>().swap(opaqueRuns);
    std::vector<int32_t>().swap(visibleSpans);
    locked = false;
}

void Texture::FindOpaqueRuns()
{
    // X8R8G8B8 texels keep no alpha in their fourth byte (it reads 255 when
    // drawn, through the texel mask): no run is taken from it, and a video
    // frame refilled every step is not scanned for nothing.
    if (format == D3DFMT_X8R8G8B8) {
        std::fill(opaqueRuns.begin(), opaqueRuns.end(), 0);
        for (UINT y = 0; y < height; ++y) {
            visibleSpans[2 * y] = 0;
            visibleSpans[2 * y + 1] = static_cast<int32_t>(width);
        }
        return;
    }
    for (UINT y = 0; y < height; ++y) {
        const uint32_t* row = texels.get() + static_cast<size_t>(y) * width;
        UINT bestBegin = 0, bestEnd = 0;
        UINT firstVisible = width, lastVisible = 0;
        for (UINT x = 0; x < width;) {
            if ((row[x] >> 24) != 255) {
                if ((row[x] >> 24) != 0) {
                    firstVisible = std::min(firstVisible, x);
                    lastVisible = x + 1;
                }
                ++x;
                continue;
            }
            firstVisible = std::min(firstVisible, x);
            const UINT begin = x;
            while (x < width && (row[x] >> 24) == 255)
                ++x;
            lastVisible = x;
            if (x - begin > bestEnd - bestBegin) {
                bestBegin = begin;
                bestEnd = x;
            }
        }
        opaqueRuns[2 * y] = static_cast<int32_t>(bestBegin);
        opaqueRuns[2 * y + 1] = static_cast<int32_t>(bestEnd);
        visibleSpans[2 * y] = static_cast<int32_t>(firstVisible < lastVisible ? firstVisible : 0);
        visibleSpans[2 * y + 1] =
            static_cast<int32_t>(firstVisible < lastVisible ? lastVisible : 0);
    }
}

ULONG Texture::AddRef()
{
    return ++refs;
}

ULONG Texture::Release()
{
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels) return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = D3DPOOL_DEFAULT;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = std::max<UINT>(1, width >> level);
    desc->Height = std::max<UINT>(1, height >> level);
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags)
{
    if (!out) return D3DERR_INVALIDCALL;
    out->pBits = nullptr;
    out->Pitch = 0;
    if (Faulty(d3d9test::Fault::TextureLock)) return D3DERR_INVALIDCALL;
    if (level != 0 || !HasMemory() || locked || !(usage & D3DUSAGE_DYNAMIC))
        return D3DERR_INVALIDCALL;
    LONG x = 0, y = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || static_cast<UINT>(rect->right) > width ||
            static_cast<UINT>(rect->bottom) > height)
            return D3DERR_INVALIDCALL;
        x = rect->left;
        y = rect->top;
    }
    if (core->device) core->device->TextureChanging(this);
    locked = true;
    lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
    out->Pitch = static_cast<int>(width * 4);
    out->pBits = texels.get() + static_cast<size_t>(y) * width + x;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level)
{
    if (level != 0 || !locked) return D3DERR_INVALIDCALL;
    locked = false;
    // The runs follow the texels; a read-only lock changed none.
    if (!lockedReadOnly) {
        FindOpaqueRuns();
        generation = NextGeneration();
    }
    return D3D_OK;
}

TextureSource Texture::Source() const
{
    return {texels.get(),        static_cast<int>(width), static_cast<int>(height),
            opaqueRuns.data(),   visibleSpans.data(),     generation};
}

VertexBuffer::VertexBuffer(std::shared_ptr<DeviceCore> owner, UINT length)
    : core(std::move(owner)),
      bytes(length, 0)
{
    G().buffers.insert(Key(this));
    core->buffers.insert(this);
}

VertexBuffer::~VertexBuffer()
{
    if (core->device) core->buffers.erase(this);
    G().buffers.erase(Key(this));
}

void VertexBuffer::Orphan()
{
    std::vector<uint8_t>().swap(bytes);
    locked = false;
}

ULONG VertexBuffer::AddRef()
{
    return ++refs;
}

ULONG VertexBuffer::Release()
{
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD)
{
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (Faulty(d3d9test::Fault::VertexBufferLock)) return D3DERR_INVALIDCALL;
    if (bytes.empty() || locked) return D3DERR_INVALIDCALL;
    const size_t length = bytes.size();
    if (offset >= length) return D3DERR_INVALIDCALL;
    if (size == 0) size = static_cast<UINT>(length - offset); // to the end
    if (static_cast<size_t>(offset) + size > length) return D3DERR_INVALIDCALL;
    locked = true;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT VertexBuffer::Unlock()
{
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

Texture* FindTexture(IDirect3DBaseTexture9* texture)
{
    if (!texture) return nullptr;
    Globals& g = G();
    const void*& recent = g.recentTextures[Globals::RecentSlot(texture)];
    if (recent != texture) {
        if (!g.textures.count(texture)) return nullptr;
        recent = texture;
    }
    return static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
}

VertexBuffer* FindBuffer(IDirect3DVertexBuffer9* buffer)
{
    if (!buffer || !G().buffers.count(buffer)) return nullptr;
    return static_cast<VertexBuffer*>(buffer);
}

} // namespace platform::d3d9impl

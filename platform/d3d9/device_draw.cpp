// Clearing and drawing: the device's states turned into a draw state.
#include "platform/d3d9/objects.h"

#include <algorithm>
#include <cstring>

namespace platform::d3d9impl {

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kQuadVertexSize = 28;

// What a texture operation reads: the texel, the diffuse colour or both
// (multiplied). False for what the device does not do (a product of an
// argument with itself).
bool StageInputs(DWORD op, DWORD arg1, DWORD arg2, bool* texel, bool* diffuse)
{
    const auto isTexel = [](DWORD arg) { return arg == D3DTA_TEXTURE; };
    switch (op) {
    case D3DTOP_SELECTARG1:
        *texel = isTexel(arg1);
        *diffuse = !*texel;
        return true;
    case D3DTOP_SELECTARG2:
        *texel = isTexel(arg2);
        *diffuse = !*texel;
        return true;
    case D3DTOP_MODULATE: *texel = *diffuse = true; return isTexel(arg1) != isTexel(arg2);
    default: return false;
    }
}

// The stand-in texel of a stage without a texture: opaque black.
const uint32_t kNoTexture = 0xFF000000;

} // namespace

void Device::Summarise()
{
    StateSummary& m = summary;
    m = StateSummary{};
    if (!StageInputs(stageStates[D3DTSS_COLOROP], stageStates[D3DTSS_COLORARG1],
                     stageStates[D3DTSS_COLORARG2], &m.colourTexel, &m.colourDiffuse) ||
        !StageInputs(stageStates[D3DTSS_ALPHAOP], stageStates[D3DTSS_ALPHAARG1],
                     stageStates[D3DTSS_ALPHAARG2], &m.alphaTexel, &m.alphaDiffuse))
        return;

    if (renderStates[D3DRS_ALPHABLENDENABLE]) {
        const DWORD src = renderStates[D3DRS_SRCBLEND], dst = renderStates[D3DRS_DESTBLEND];
        if (src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA)
            m.blend = true;
        else if (src != D3DBLEND_ONE || dst != D3DBLEND_ZERO)
            return;
    }
    m.minLinear = samplerStates[D3DSAMP_MINFILTER] == D3DTEXF_LINEAR;
    m.magLinear = samplerStates[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR;

    const DWORD mask = renderStates[D3DRS_COLORWRITEENABLE];
    m.writeMask = ((mask & D3DCOLORWRITEENABLE_RED) ? 0x00FF0000u : 0u) |
                  ((mask & D3DCOLORWRITEENABLE_GREEN) ? 0x0000FF00u : 0u) |
                  ((mask & D3DCOLORWRITEENABLE_BLUE) ? 0x000000FFu : 0u) |
                  ((mask & D3DCOLORWRITEENABLE_ALPHA) ? 0xFF000000u : 0u);

    switch (renderStates[D3DRS_CULLMODE]) {
    case D3DCULL_NONE: m.cull = Cull::None; break;
    case D3DCULL_CW: m.cull = Cull::Clockwise; break;
    default: m.cull = Cull::CounterClockwise; break;
    }
    m.ok = true;
}

bool Device::MakeDrawState(DrawState* s)
{
    if (statesChanged) {
        Summarise();
        statesChanged = false;
    }
    const StateSummary& m = summary;
    if (!m.ok) return false;
    s->blend = m.blend;

    s->target = back.data();
    s->pitch = width;
    s->pendingRows = anyPending ? pendingRows.data() : nullptr;
    s->pendingColour = pendingColour;
    s->pendingX0 = pendingX0;
    s->pendingX1 = pendingX1;
    s->clipX0 = static_cast<int>(viewport.X);
    s->clipY0 = static_cast<int>(viewport.Y);
    s->clipX1 = static_cast<int>(viewport.X + viewport.Width);
    s->clipY1 = static_cast<int>(viewport.Y + viewport.Height);

    bool opaqueTexels = false;
    if (texture) {
        s->texture = texture->Source();
        opaqueTexels = texture->Format() == D3DFMT_X8R8G8B8;
    } else {
        s->texture = {&kNoTexture, 1, 1};
    }
    s->minLinear = m.minLinear;
    s->magLinear = m.magLinear;

    s->texelOr =
        (m.colourTexel ? 0u : 0x00FFFFFFu) | (m.alphaTexel && !opaqueTexels ? 0u : 0xFF000000u);
    s->diffuseOr = (m.colourDiffuse ? 0u : 0x00FFFFFFu) | (m.alphaDiffuse ? 0u : 0xFF000000u);
    s->writeMask = m.writeMask;
    s->cull = m.cull;
    return true;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD)
{
    if (flags != D3DCLEAR_TARGET || (count > 0 && !rects)) return D3DERR_INVALIDCALL;
    if (loss != Loss::None) return D3D_OK;
    const LONG vx0 = static_cast<LONG>(viewport.X), vy0 = static_cast<LONG>(viewport.Y);
    const LONG vx1 = vx0 + static_cast<LONG>(viewport.Width),
               vy1 = vy0 + static_cast<LONG>(viewport.Height);
    const auto clear = [&](bool wholeRows, LONG x0, LONG y0, LONG x1, LONG y1) {
        x0 = std::max(x0, vx0);
        y0 = std::max(y0, vy0);
        x1 = std::min(x1, vx1);
        y1 = std::min(y1, vy1);
        if (x0 >= x1 || y0 >= y1) return;
        DrawRecord r;
        std::memset(&r, 0, sizeof r);
        r.content = colour;
        r.clip[0] = r.box[0] = x0;
        r.clip[1] = r.box[1] = y0;
        r.clip[2] = r.box[2] = x1;
        r.clip[3] = r.box[3] = y1;
        Record(r);
        Waiting w{};
        w.wholeRows = wholeRows;
        w.colour = colour;
        w.rect[0] = x0;
        w.rect[1] = y0;
        w.rect[2] = x1;
        w.rect[3] = y1;
        if (deferring)
            waiting.push_back(w);
        else
            ClearNow(w);
    };
    BeforeDrawing();
    if (count == 0) {
        clear(vx0 == 0 && vx1 == width, vx0, vy0, vx1, vy1);
    } else {
        for (DWORD i = 0; i < count; ++i)
            clear(false, rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    return D3D_OK;
}

void Device::Fill(LONG x0, LONG y0, LONG x1, LONG y1, uint32_t colour)
{
    // One row filled, the others copied from it.
    uint32_t* first = back.data() + static_cast<size_t>(y0) * width + x0;
    std::fill(first, first + (x1 - x0), colour);
    for (LONG y = y0 + 1; y < y1; ++y)
        std::memcpy(first + static_cast<size_t>(y - y0) * width, first, (x1 - x0) * 4);
}

void Device::ClearNow(const Waiting& w)
{
    SettleClear();
    if (!w.wholeRows) {
        Fill(w.rect[0], w.rect[1], w.rect[2], w.rect[3], w.colour);
        return;
    }
    // The rows are filled only if something else than a straight copy of
    // whole rows lands on them.
    for (int32_t y = w.rect[1]; y < w.rect[3]; ++y)
        pendingRows[static_cast<size_t>(y)] = 1;
    pendingColour = w.colour;
    pendingX0 = 0;
    pendingX1 = width;
    anyPending = true;
}

void Device::SettleClear() const
{
    if (!anyPending) return;
    anyPending = false;
    for (int y = 0; y < height; ++y) {
        if (!pendingRows[static_cast<size_t>(y)]) continue;
        pendingRows[static_cast<size_t>(y)] = 0;
        uint32_t* row = const_cast<uint32_t*>(back.data()) + static_cast<size_t>(y) * width;
        std::fill(row + pendingX0, row + pendingX1, pendingColour);
    }
}

void Device::RecordFan(const DrawState& s)
{
    DrawRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = 1;
    r.count = static_cast<uint32_t>(vertices.size());
    r.content = texture ? texture->Generation() : 0;
    r.texelOr = s.texelOr;
    r.diffuseOr = s.diffuseOr;
    r.writeMask = s.writeMask;
    r.flags = (s.blend ? 1u : 0u) | (s.minLinear ? 2u : 0u) | (s.magLinear ? 4u : 0u) |
              (G().fastPaths ? 8u : 0u) | static_cast<uint32_t>(s.cull) << 4;
    r.clip[0] = s.clipX0;
    r.clip[1] = s.clipY0;
    r.clip[2] = s.clipX1;
    r.clip[3] = s.clipY1;
    float x0 = vertices[0].x, y0 = vertices[0].y, x1 = x0, y1 = y0;
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const RasterVertex& v = vertices[i];
        if (i < 4) {
            r.first[i] = v;
        } else {
            unsigned char bytes[sizeof v];
            std::memcpy(bytes, &v, sizeof v);
            for (unsigned char b : bytes)
                hash = (hash ^ b) * 1099511628211ull;
        }
        x0 = std::min(x0, v.x);
        y0 = std::min(y0, v.y);
        x1 = std::max(x1, v.x);
        y1 = std::max(y1, v.y);
    }
    r.rest = vertices.size() > 4 ? hash : 0;
    // A pixel and a half of margin round the corners; what is not a number
    // may cover anything within the clip.
    const auto edge = [](float v, int low, int high) {
        return v >= static_cast<float>(low)
                   ? (v <= static_cast<float>(high) ? static_cast<int>(v) : high)
                   : low;
    };
    const bool finite = x0 == x0 && y0 == y0 && x1 == x1 && y1 == y1;
    r.box[0] = finite ? std::max(s.clipX0, edge(x0, s.clipX0, s.clipX1) - 2) : s.clipX0;
    r.box[1] = finite ? std::max(s.clipY0, edge(y0, s.clipY0, s.clipY1) - 2) : s.clipY0;
    r.box[2] = finite ? std::min(s.clipX1, edge(x1, s.clipX0, s.clipX1) + 2) : s.clipX1;
    r.box[3] = finite ? std::min(s.clipY1, edge(y1, s.clipY0, s.clipY1) + 2) : s.clipY1;
    DrawBands bands;
    if (NarrowBands(s, vertices.data(), static_cast<int>(vertices.size()), r.box, bands)) {
        logBands.push_back(bands);
        r.bands = static_cast<uint32_t>(logBands.size());
    }
    Record(r);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    if (!inScene || type != D3DPT_TRIANGLEFAN || primitiveCount == 0) return D3DERR_INVALIDCALL;
    if (fvf != kQuadFvf || !stream || streamStride < kQuadVertexSize) return D3DERR_INVALIDCALL;
    const uint64_t count = static_cast<uint64_t>(primitiveCount) + 2;
    const uint64_t first = streamOffset + static_cast<uint64_t>(startVertex) * streamStride;
    const std::vector<uint8_t>& bytes = stream->Bytes();
    if (first + (count - 1) * streamStride + kQuadVertexSize > bytes.size())
        return D3DERR_INVALIDCALL;
    DrawState state;
    if (!MakeDrawState(&state)) return D3DERR_INVALIDCALL;
    if (loss != Loss::None) return D3D_OK;
    BeforeDrawing();
    state.target = back.data(); // it may have just been swapped

    vertices.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* p = bytes.data() + first + i * streamStride;
        RasterVertex& v = vertices[i];
        std::memcpy(&v.x, p, 4);
        std::memcpy(&v.y, p + 4, 4);
        std::memcpy(&v.diffuse, p + 16, 4);
        std::memcpy(&v.u, p + 20, 4);
        std::memcpy(&v.v, p + 24, 4);
    }
    RecordFan(state);
    if (!deferring) {
        DrawFan(state, vertices.data(), static_cast<int>(count), scratch, G().fastPaths);
        return D3D_OK;
    }
    Waiting w{};
    w.fan = true;
    w.fastPaths = G().fastPaths;
    w.state = state;
    w.texture = texture;
    w.first = static_cast<uint32_t>(waitingVertices.size());
    w.count = static_cast<uint32_t>(count);
    waitingVertices.insert(waitingVertices.end(), vertices.begin(), vertices.end());
    waiting.push_back(w);
    return D3D_OK;
}

} // namespace platform::d3d9impl

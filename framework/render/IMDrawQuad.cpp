// The one drawing primitive: a textured, tinted, optionally rotated quad.
#include "framework/render/IMResourceManager.h"

#include <cmath>

namespace {

struct QuadVertex {
    float x;
    float y;
    float z;
    float rhw;
    D3DCOLOR diffuse;
    float u;
    float v;
};
static_assert(sizeof(QuadVertex) == 28, "the quad vertex is 28 bytes");

const DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void SetQuadStates(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
}

} // namespace

long IMResourceManager::DrawQuad(int textureId, const RECT& dest, const RECT* source, DWORD colour,
                                 float angle)
{
    IMTextureRecord* record = GetTextureRecord(textureId);
    if (!record)
        return 0;
    if (!record->texture)
        RestoreTexture(textureId);

    const RECT src = source ? *source : record->imageRect;
    const float cx = (dest.left + dest.right) * 0.5f;
    const float cy = (dest.top + dest.bottom) * 0.5f;
    if (dest.left >= dest.right || dest.top >= dest.bottom)
        return 0;
    // No device, no vertex buffer, or a texture that could not be restored:
    // nothing to draw with.
    if (!device || !quadBuffer || !record->texture)
        return 0;

    SetQuadStates(device);

    float xs[4] = {static_cast<float>(dest.left), static_cast<float>(dest.right),
                   static_cast<float>(dest.right), static_cast<float>(dest.left)};
    float ys[4] = {static_cast<float>(dest.top), static_cast<float>(dest.top),
                   static_cast<float>(dest.bottom), static_cast<float>(dest.bottom)};
    if (angle != 0.0f) {
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        for (int i = 0; i < 4; ++i) {
            const float dx = xs[i] - cx;
            const float dy = ys[i] - cy;
            xs[i] = cx + dx * c - dy * s;
            ys[i] = cy + dx * s + dy * c;
        }
    }

    void* data = nullptr;
    if (FAILED(quadBuffer->Lock(0, 0, &data, 0)))
        return 0;
    const float tw = static_cast<float>(record->textureWidth);
    const float th = static_cast<float>(record->textureHeight);
    const float us[4] = {src.left / tw, src.right / tw, src.right / tw, src.left / tw};
    const float vs[4] = {src.top / th, src.top / th, src.bottom / th, src.bottom / th};
    QuadVertex* vertices = static_cast<QuadVertex*>(data);
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = static_cast<float>(originX) + xs[i] - 0.5f;
        vertices[i].y = static_cast<float>(originY) + ys[i] - 0.5f;
        vertices[i].z = 0.0f;
        vertices[i].rhw = 1.0f;
        vertices[i].diffuse = colour;
        vertices[i].u = us[i];
        vertices[i].v = vs[i];
    }
    quadBuffer->Unlock();

    device->SetVertexShader(nullptr);
    device->SetFVF(kQuadFvf);
    device->SetStreamSource(0, quadBuffer, 0, sizeof(QuadVertex));
    device->SetTexture(0, record->texture);
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    return 0;
}

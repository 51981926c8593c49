// A device made as the renderer makes it, and quads drawn as the renderer
// draws them: vertices at the corners − 0.5, texture coordinates = source
// rectangle / texture size, all states set before every quad.
#pragma once

#include "platform/d3d9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace d3d9fixture {

using platform::d3d9test::Frame;

struct Texture {
    IDirect3DTexture9* texture = nullptr;
    int width = 0, height = 0;
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3d, nullptr);
        device = MakeDevice();
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->CreateVertexBuffer(112, 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                             D3DPOOL_SYSTEMMEM, &quad, nullptr),
                  D3D_OK);
    }

    void TearDown() override
    {
        for (Texture& t : textures)
            if (t.texture)
                t.texture->Release();
        textures.clear();
        if (quad)
            quad->Release();
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (direct3d) {
            EXPECT_EQ(direct3d->Release(), 0u);
        }
        platform::d3d9test::ClearFaults();
        platform::d3d9test::SetVideoMemoryBudget(SIZE_MAX);
        platform::d3d9test::SetFastPathsEnabled(true);
        platform::d3d9test::SetDrawingInPart(true);
        const platform::d3d9test::LiveObjects live = platform::d3d9test::CountLiveObjects();
        EXPECT_EQ(live.devices, 0);
        EXPECT_EQ(live.textures, 0);
        EXPECT_EQ(live.vertexBuffers, 0);
    }

    IDirect3DDevice9* MakeDevice(int width = 800, int height = 600)
    {
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        pp.BackBufferFormat = D3DFMT_A8R8G8B8;
        pp.BackBufferCount = 3;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = FALSE;
        pp.FullScreen_RefreshRateInHz = 75;
        IDirect3DDevice9* d = nullptr;
        if (direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &d) != D3D_OK)
            return nullptr;
        return d;
    }

    // A texture of the power-of-two size, level 0 filled from `pixels`
    // (image width × height, the rest left zero).
    Texture MakeTexture(int texWidth, int texHeight, const std::vector<uint32_t>& pixels,
                        int imageWidth, D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        Texture t;
        t.width = texWidth;
        t.height = texHeight;
        EXPECT_EQ(device->CreateTexture(texWidth, texHeight, 0, D3DUSAGE_DYNAMIC, format,
                                        D3DPOOL_DEFAULT, &t.texture, nullptr),
                  D3D_OK);
        if (!t.texture)
            return t;
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
        const int imageHeight = imageWidth ? static_cast<int>(pixels.size()) / imageWidth : 0;
        for (int y = 0; y < imageHeight; ++y)
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch, &pixels[y * imageWidth],
                        imageWidth * 4);
        t.texture->UnlockRect(0);
        textures.push_back(t);
        return t;
    }

    // A texture of one colour over its whole level 0.
    Texture SolidTexture(int w, int h, uint32_t colour, D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        return MakeTexture(w, h, std::vector<uint32_t>(w * h, colour), w, format);
    }

    void SetStates()
    {
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, colourWriteMask);
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
        device->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
    }

    // Writes the four vertices of a quad into the vertex buffer and draws it.
    HRESULT DrawQuad(const Texture& tex, RECT dest, RECT source, D3DCOLOR colour,
                     float angle = 0.0f)
    {
        const float cx = (dest.left + dest.right) * 0.5f, cy = (dest.top + dest.bottom) * 0.5f;
        float corners[4][2] = {{float(dest.left), float(dest.top)},
                               {float(dest.right), float(dest.top)},
                               {float(dest.right), float(dest.bottom)},
                               {float(dest.left), float(dest.bottom)}};
        if (angle != 0.0f) {
            const float c = std::cos(angle), s = std::sin(angle);
            for (auto& p : corners) {
                const float x = p[0] - cx, y = p[1] - cy;
                p[0] = cx + x * c - y * s;
                p[1] = cy + x * s + y * c;
            }
        }
        const float tw = float(tex.width), th = float(tex.height);
        const float uv[4][2] = {{source.left / tw, source.top / th},
                                {source.right / tw, source.top / th},
                                {source.right / tw, source.bottom / th},
                                {source.left / tw, source.bottom / th}};
        SetStates();
        void* data = nullptr;
        if (quad->Lock(0, 0, &data, 0) != D3D_OK)
            return E_FAIL;
        for (int i = 0; i < 4; ++i) {
            float v[7];
            v[0] = originX + corners[i][0] - 0.5f;
            v[1] = originY + corners[i][1] - 0.5f;
            v[2] = 0.0f;
            v[3] = 1.0f;
            std::memcpy(&v[4], &colour, 4);
            v[5] = uv[i][0];
            v[6] = uv[i][1];
            std::memcpy(static_cast<uint8_t*>(data) + i * 28, v, 28);
        }
        quad->Unlock();
        device->SetVertexShader(nullptr);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->SetStreamSource(0, quad, 0, 28);
        device->SetTexture(0, tex.texture);
        return device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }

    HRESULT DrawQuad(const Texture& tex, RECT dest, D3DCOLOR colour = 0xFFFFFFFF,
                     float angle = 0.0f)
    {
        return DrawQuad(tex, dest, RECT{0, 0, tex.width, tex.height}, colour, angle);
    }

    // Clear to `background`, then begin the scene.
    void Begin(uint32_t background = 0xFF000000)
    {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    Frame End()
    {
        EXPECT_EQ(device->EndScene(), D3D_OK);
        return platform::d3d9test::ReadBackBuffer(device);
    }

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* quad = nullptr;
    std::vector<Texture> textures;
    DWORD colourWriteMask = 0xF;
    DWORD minFilter = D3DTEXF_LINEAR;
    float originX = 0.0f, originY = 0.0f;
};

// The bounding box of the pixels that differ from `background`, and their count.
struct Coverage {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right/bottom exclusive
    int count = 0;
};

inline Coverage CoverageOf(const Frame& f, uint32_t background)
{
    Coverage c;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (f.At(x, y) != background) {
                ++c.count;
                c.left = std::min(c.left, x);
                c.top = std::min(c.top, y);
                c.right = std::max(c.right, x + 1);
                c.bottom = std::max(c.bottom, y + 1);
            }
    return c;
}

// The device's objects and its presenting (one suite over several files).
class DeviceObjects : public DeviceTest {};

} // namespace d3d9fixture

// The rectangle path (row kernels) and the general triangle path must give
// the same pixels for every axis-aligned quad, whatever the states, the
// texture, the scale and the order of the vertices. Also the rounding
// primitive both rest on.
#include "platform/d3d9/pixel.h"
#include "platform/d3d9/span.h"
#include "tests/platform/d3d9/fixture.h"

#include <random>

namespace {

using d3d9fixture::Frame;

TEST(DeviceArithmetic, DivisionBy255RoundsToNearestOverTheWholeRange)
{
    for (uint32_t t = 0; t <= 255 * 255; ++t)
        ASSERT_EQ(platform::d3d9impl::Div255(t), (2 * t + 255) / 510) << t;
}

// Parameter: whether the wide (AVX2) row kernels may be used.
class DrawingPaths : public d3d9fixture::DeviceTest, public ::testing::WithParamInterface<bool> {
protected:
    static constexpr int kWidth = 96, kHeight = 64;

    void SetUp() override
    {
        DeviceTest::SetUp();
        if (GetParam() && !platform::d3d9impl::WideKernelsSupported())
            GTEST_SKIP() << "no AVX2 here";
        platform::d3d9impl::UseWideKernels(GetParam());
        // A small screen keeps the comparisons quick.
        quad->Release();
        device->Release();
        device = MakeDevice(kWidth, kHeight);
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->CreateVertexBuffer(112, 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                             D3DPOOL_SYSTEMMEM, &quad, nullptr),
                  D3D_OK);
    }

    struct Scene {
        std::vector<D3DRECT> stripes;
        std::vector<uint32_t> stripeColours;
        D3DVIEWPORT9 viewport;
        DWORD blend, srcBlend, destBlend, cull, mask, minFilter, magFilter;
        DWORD colourOp, colourArg1, colourArg2, alphaOp, alphaArg1, alphaArg2;
        float v[4][7];
        uint32_t diffuse;
        IDirect3DTexture9* texture;
    };

    void TearDown() override
    {
        platform::d3d9impl::UseWideKernels(true);
        DeviceTest::TearDown();
    }

    Frame Render(const Scene& s, bool fast)
    {
        platform::d3d9test::SetFastPathsEnabled(fast);
        D3DVIEWPORT9 full = {0, 0, kWidth, kHeight, 0.0f, 1.0f};
        device->SetViewport(&full);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        for (size_t i = 0; i < s.stripes.size(); ++i)
            device->Clear(1, &s.stripes[i], D3DCLEAR_TARGET, s.stripeColours[i], 1.0f, 0);
        device->BeginScene();
        device->SetViewport(&s.viewport);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, s.blend);
        device->SetRenderState(D3DRS_SRCBLEND, s.srcBlend);
        device->SetRenderState(D3DRS_DESTBLEND, s.destBlend);
        device->SetRenderState(D3DRS_CULLMODE, s.cull);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, s.mask);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, s.minFilter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, s.magFilter);
        device->SetTextureStageState(0, D3DTSS_COLOROP, s.colourOp);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, s.colourArg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, s.colourArg2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, s.alphaOp);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, s.alphaArg1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, s.alphaArg2);
        void* data;
        EXPECT_EQ(quad->Lock(0, 0, &data, 0), D3D_OK);
        for (int i = 0; i < 4; ++i) {
            std::memcpy(static_cast<uint8_t*>(data) + i * 28, s.v[i], 28);
            std::memcpy(static_cast<uint8_t*>(data) + i * 28 + 16, &s.diffuse, 4);
        }
        quad->Unlock();
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->SetStreamSource(0, quad, 0, 28);
        device->SetTexture(0, s.texture);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
        device->EndScene();
        return platform::d3d9test::ReadBackBuffer(device);
    }
};

TEST_P(DrawingPaths, RectanglePathMatchesTheTrianglePath)
{
    std::mt19937 rng(20240601);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const int sides[] = {1, 3, 4, 5, 8, 16, 17, 32, 64};
    int drawn = 0;
    for (int iteration = 0; iteration < 400; ++iteration) {
        SCOPED_TRACE(iteration);
        // Texture: any size, texels fully clear, opaque or in between; now
        // and then wholly opaque, or clear around a box, as a glyph is.
        const int tw = sides[pick(0, 8)], th = sides[pick(0, 8)];
        const bool opaque = pick(0, 3) == 0;
        const bool boxed = pick(0, 2) == 0;
        const int bx0 = pick(0, tw - 1), by0 = pick(0, th - 1);
        const int bx1 = pick(bx0, tw), by1 = pick(by0, th);
        std::vector<uint32_t> texels(tw * th);
        for (int k = 0; k < tw * th; ++k) {
            const int kind = opaque ? 5 : pick(0, 9);
            uint32_t alpha = kind < 3 ? 0 : kind < 6 ? 255 : static_cast<uint32_t>(pick(0, 255));
            const int x = k % tw, y = k / tw;
            if (boxed && (x < bx0 || x >= bx1 || y < by0 || y >= by1))
                alpha = 0;
            texels[k] = alpha << 24 | (rng() & 0xFFFFFF);
        }
        const auto tex =
            MakeTexture(tw, th, texels, tw, pick(0, 4) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);

        Scene s;
        for (int i = 0, n = pick(0, 6); i < n; ++i) {
            const LONG x = pick(0, kWidth - 1), y = pick(0, kHeight - 1);
            s.stripes.push_back({x, y, x + pick(1, 60), y + pick(1, 40)});
            s.stripeColours.push_back(rng());
        }
        const DWORD vx = pick(0, kWidth - 1), vy = pick(0, kHeight - 1);
        s.viewport = pick(0, 2) ? D3DVIEWPORT9{0, 0, kWidth, kHeight, 0, 1}
                                : D3DVIEWPORT9{vx,
                                               vy,
                                               static_cast<DWORD>(pick(0, kWidth - vx)),
                                               static_cast<DWORD>(pick(0, kHeight - vy)),
                                               0,
                                               1};
        s.blend = pick(0, 4) ? TRUE : FALSE;
        const bool alphaBlend = pick(0, 5) > 0;
        s.srcBlend = alphaBlend ? D3DBLEND_SRCALPHA : D3DBLEND_ONE;
        s.destBlend = alphaBlend ? D3DBLEND_INVSRCALPHA : D3DBLEND_ZERO;
        s.cull = pick(0, 1) ? D3DCULL_CCW : D3DCULL_NONE;
        s.mask = pick(0, 2) ? 0xF : static_cast<DWORD>(pick(1, 14));
        s.minFilter = pick(0, 3) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        s.magFilter = pick(0, 3) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
        const DWORD ops[] = {D3DTOP_MODULATE, D3DTOP_MODULATE, D3DTOP_SELECTARG1,
                             D3DTOP_SELECTARG2};
        const bool swapArgs = pick(0, 1);
        s.colourOp = ops[pick(0, 3)];
        s.colourArg1 = swapArgs ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
        s.colourArg2 = swapArgs ? D3DTA_TEXTURE : D3DTA_CURRENT;
        s.alphaOp = ops[pick(0, 3)];
        s.alphaArg1 = D3DTA_TEXTURE;
        s.alphaArg2 = D3DTA_DIFFUSE;
        s.diffuse = pick(0, 3) ? rng() : 0xFFFFFFFF;
        s.texture = tex.texture;

        // Destination and source rectangles of any size and scale, also
        // mirrored and outside the texture; the fan may start at any corner
        // and run either way round.
        const float left = pick(-30, kWidth + 10) - 0.5f, top = pick(-30, kHeight + 10) - 0.5f;
        const float right = left + pick(1, 90), bottom = top + pick(1, 70);
        float u0 = pick(-2 * tw, 2 * tw) / float(tw), v0 = pick(-2 * th, 2 * th) / float(th);
        float u1 = u0 + pick(-3 * tw, 3 * tw) / float(tw),
              v1 = v0 + pick(-3 * th, 3 * th) / float(th);
        if (pick(0, 2) == 0) { // texel for pixel
            if (pick(0, 1)) {  // moved by part of a texel, also onto the grid's rounding boundaries
                u0 += (pick(-128, 128) + pick(0, 2) * 0.25f) / (128.0f * tw);
                v0 += (pick(-128, 128) + pick(0, 2) * 0.25f) / (128.0f * th);
            }
            u1 = u0 + (right - left) / float(tw);
            v1 = v0 + (bottom - top) / float(th);
        }
        const float corners[4][4] = {{left, top, u0, v0},
                                     {right, top, u1, v0},
                                     {right, bottom, u1, v1},
                                     {left, bottom, u0, v1}};
        const int start = pick(0, 3), step = pick(0, 1) ? 1 : 3;
        for (int i = 0; i < 4; ++i) {
            const float* c = corners[(start + i * step) % 4];
            const float vertex[7] = {c[0], c[1], 0.0f, 1.0f, 0.0f, c[2], c[3]};
            std::memcpy(s.v[i], vertex, sizeof vertex);
        }

        const Frame fast = Render(s, true), general = Render(s, false);
        const Frame blank = [&] {
            Scene empty = s;
            empty.mask = 0;
            return Render(empty, true);
        }();
        if (fast.pixels != blank.pixels)
            ++drawn;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(fast.At(x, y), general.At(x, y)) << "pixel " << x << "," << y;

        // The same quad again, moved by whole pixels, and now and then with
        // its colour, texture coordinates, place within a pixel or texels
        // changed as well: a quad drawn before is not taken for another.
        Scene again = s;
        const float dx = float(pick(-20, 20)), dy = float(pick(-20, 20));
        const int change = pick(0, 5);
        for (int i = 0; i < 4; ++i) {
            again.v[i][0] += dx + (change == 1 ? 0.25f : 0.0f);
            again.v[i][1] += dy;
            if (change == 2 && again.v[i][5] == s.v[0][5]) again.v[i][5] += 0.5f / float(tw);
        }
        if (change == 3) again.diffuse ^= 0x00402010u;
        if (change == 4) {
            D3DLOCKED_RECT lr;
            ASSERT_EQ(tex.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
            for (int k = 0; k < tw * th; k += 2)
                static_cast<uint32_t*>(lr.pBits)[k] ^= 0x80604020u;
            tex.texture->UnlockRect(0);
        }
        const Frame moved = Render(again, true), movedGeneral = Render(again, false);
        ASSERT_TRUE(moved.pixels == movedGeneral.pixels) << "moved, change " << change;
        tex.texture->Release();
        textures.clear();
    }
    // Many of the quads must have drawn something for the comparison to mean anything.
    EXPECT_GT(drawn, 120);
}

INSTANTIATE_TEST_SUITE_P(KernelWidths, DrawingPaths, ::testing::Values(false, true));

} // namespace

namespace {

using ClearThenDraw = d3d9fixture::DeviceTest;
using d3d9fixture::Frame;

} // namespace

// The clear of whole rows waits for the draws that follow it: every pixel
// must still read as cleared or as drawn over the clear colour, never as
// what an earlier frame left in the buffer.
TEST_F(ClearThenDraw, NoPixelShowsAnEarlierFrame)
{
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    // Red frames presented leave red in the back buffer.
    for (int i = 0; i < 2; ++i) {
        Begin(red);
        End();
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    ASSERT_EQ(platform::d3d9test::ReadBackBuffer(device).At(5, 5), red);

    minFilter = D3DTEXF_POINT;
    const auto wide = SolidTexture(800, 4, 0xFF00FF00, D3DFMT_X8R8G8B8);
    const auto half = SolidTexture(8, 8, 0x80FFFFFF);
    Begin(blue);
    ASSERT_EQ(DrawQuad(wide, RECT{0, 10, 800, 14}), D3D_OK);   // a whole-row copy
    ASSERT_EQ(DrawQuad(wide, RECT{100, 20, 900, 24}), D3D_OK); // a copy of part of each row
    ASSERT_EQ(DrawQuad(half, RECT{0, 100, 8, 108}), D3D_OK);   // blended over the clear
    ASSERT_EQ(DrawQuad(half, RECT{200, 200, 240, 240}, 0xFFFFFFFF, 0.3f), D3D_OK); // triangles
    const Frame frame = End();
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            ASSERT_NE(frame.At(x, y), red) << x << "," << y;
    EXPECT_EQ(frame.At(400, 12), 0xFF00FF00u);
    EXPECT_EQ(frame.At(50, 21), blue);
    EXPECT_EQ(frame.At(150, 21), 0xFF00FF00u);
    EXPECT_EQ(frame.At(4, 104) & 0xFF, 0xFFu); // white half over blue keeps all the blue
    EXPECT_NEAR(static_cast<int>(frame.At(4, 104) >> 16 & 0xFF), 128, 2);

    // A cleared frame presented with nothing drawn (nor read) shows the clear.
    Begin(blue);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(platform::d3d9test::LastPresentedFrame(device).At(400, 12), blue);
}

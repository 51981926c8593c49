// What a quad's pixels become: texel mapping, filters, wrapping, the tint,
// blending and the write mask. Each test runs on both drawing paths.
#include "tests/platform/d3d9/fixture.h"

#include <cmath>
#include <random>

namespace {

using d3d9fixture::Frame;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;

uint32_t Ch(uint32_t c, int i)
{
    return (c >> (8 * i)) & 255;
}
uint32_t Round(double v)
{
    return static_cast<uint32_t>(std::floor(v + 0.5));
}

uint32_t Tint(uint32_t t, uint32_t d)
{
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= Round(Ch(t, i) * Ch(d, i) / 255.0) << (8 * i);
    return out;
}

uint32_t Over(uint32_t s, uint32_t d)
{
    const double a = s >> 24;
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= Round((Ch(s, i) * a + Ch(d, i) * (255 - a)) / 255.0) << (8 * i);
    return out;
}

// Distinct opaque colours per texel.
std::vector<uint32_t> Numbered(int w, int h)
{
    std::vector<uint32_t> p(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[y * w + x] = 0xFF000000 | (x * 7) << 16 | (y * 11) << 8 | (x + y);
    return p;
}

class Shading : public d3d9fixture::DeviceTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        platform::d3d9test::SetFastPathsEnabled(GetParam());
    }
};

TEST_P(Shading, SourceRectangleMapsTexelCentresOntoPixelCentres)
{
    const auto pixels = Numbered(16, 16);
    const auto tex = MakeTexture(16, 16, pixels, 16);
    Begin();
    DrawQuad(tex, {100, 200, 106, 207}, {3, 5, 9, 12}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 6; ++i)
            ASSERT_EQ(f.At(100 + i, 200 + j), pixels[(5 + j) * 16 + 3 + i]) << i << "," << j;
    EXPECT_EQ(f.At(99, 200), kBlack);
    EXPECT_EQ(f.At(106, 206), kBlack);
}

TEST_P(Shading, WholeImageInALargerTextureShowsOnlyTheImage)
{
    // A 5 × 3 image in an 8 × 4 texture; the padding is zero.
    const auto pixels = Numbered(5, 3);
    const auto tex = MakeTexture(8, 4, pixels, 5);
    Begin();
    DrawQuad(tex, {10, 10, 15, 13}, {0, 0, 5, 3}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ(f.At(10 + i, 10 + j), pixels[j * 5 + i]);
}

TEST_P(Shading, MagnificationTakesTheNearestTexel)
{
    // Twice the size: each texel covers 2 × 2 pixels, not blended with its neighbours.
    const auto pixels = Numbered(16, 16);
    const auto tex = MakeTexture(16, 16, pixels, 16);
    Begin();
    DrawQuad(tex, {100, 200, 112, 214}, {3, 5, 9, 12}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 14; ++j)
        for (int i = 0; i < 12; ++i)
            ASSERT_EQ(f.At(100 + i, 200 + j), pixels[(5 + j / 2) * 16 + 3 + i / 2])
                << i << "," << j;
}

TEST_P(Shading, MinificationByTwoAveragesEachBlockOfFour)
{
    std::mt19937 rng(7);
    std::vector<uint32_t> pixels(64);
    for (auto& p : pixels)
        p = 0xFF000000 | (rng() & 0xFFFFFF);
    const auto tex = MakeTexture(8, 8, pixels, 8);
    Begin();
    DrawQuad(tex, {40, 30, 44, 34}, {0, 0, 8, 8}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            uint32_t want = 0xFF000000;
            for (int c = 0; c < 3; ++c) {
                const uint32_t sum = Ch(pixels[2 * j * 8 + 2 * i], c) +
                                     Ch(pixels[2 * j * 8 + 2 * i + 1], c) +
                                     Ch(pixels[(2 * j + 1) * 8 + 2 * i], c) +
                                     Ch(pixels[(2 * j + 1) * 8 + 2 * i + 1], c);
                want |= Round(sum / 4.0) << (8 * c);
            }
            EXPECT_EQ(f.At(40 + i, 30 + j), want) << i << "," << j;
        }
}

TEST_P(Shading, MinificationWithPointFilterSkipsTexels)
{
    const auto pixels = Numbered(8, 8);
    const auto tex = MakeTexture(8, 8, pixels, 8);
    minFilter = D3DTEXF_POINT;
    Begin();
    DrawQuad(tex, {40, 30, 44, 34}, {0, 0, 8, 8}, kWhite);
    const Frame f = End();
    // Pixel centre i lands on texel 2i + 1.
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(f.At(40 + i, 30 + j), pixels[(2 * j + 1) * 8 + 2 * i + 1]);
}

TEST_P(Shading, TextureCoordinatesWrapAround)
{
    const auto pixels = Numbered(4, 4);
    const auto tex = MakeTexture(4, 4, pixels, 4);
    Begin();
    // Beyond the right edge, and before the left and top edges, at 1:1.
    DrawQuad(tex, {10, 10, 18, 14}, {2, 0, 10, 4}, kWhite);
    DrawQuad(tex, {30, 10, 34, 14}, {-2, -1, 2, 3}, kWhite);
    // Only the last column and the last row past the edge.
    DrawQuad(tex, {40, 10, 44, 14}, {1, 1, 5, 5}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(f.At(10 + i, 10 + j), pixels[j * 4 + (2 + i) % 4]);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(f.At(30 + i, 10 + j), pixels[((j + 3) % 4) * 4 + (i + 2) % 4]);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(f.At(40 + i, 10 + j), pixels[((j + 1) % 4) * 4 + (i + 1) % 4]);
    }
}

TEST_P(Shading, BilinearSamplesWrapAtTheTextureEdges)
{
    // Halving the source {-2, 0, 6, 8}: the first column averages texels 6 and 7.
    std::vector<uint32_t> pixels(64, kBlack);
    for (int y = 0; y < 8; ++y) {
        pixels[y * 8 + 6] = 0xFF000040;
        pixels[y * 8 + 7] = 0xFF0000C0;
    }
    const auto tex = MakeTexture(8, 8, pixels, 8);
    Begin();
    DrawQuad(tex, {50, 50, 54, 54}, {-2, 0, 6, 8}, kWhite);
    const Frame f = End();
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(f.At(50, 50 + j), 0xFF000080u);
        EXPECT_EQ(f.At(51, 50 + j), kBlack);
    }
}

TEST_P(Shading, TintModulatesEveryChannelAndBlendsOverTheBackground)
{
    struct Case {
        uint32_t texel, tint, background;
    };
    const Case cases[] = {
        {0xFFFFFFFF, 0xA5FFFFFF, 0xFF000000}, // the fade of a translucent picture
        {0xC0806040, 0x80FF4020, 0xFF102030},
        {0xFF336699, 0xFF808080, 0xFFFFFFFF}, // the grey of a disabled button
        {0x7FFFFFFF, 0xFF072134, 0x40AFAFAF}, // a glyph's edge over a translucent background
        {0x01FFFFFF, 0xFFFFFFFF, 0xFF808080},
        {0xFE123456, 0xFEFFFFFF, 0x00000000},
    };
    Begin();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    for (int k = 0; k < 6; ++k) {
        const D3DRECT r = {k * 20, 0, k * 20 + 10, 10};
        device->Clear(1, &r, D3DCLEAR_TARGET, cases[k].background, 1.0f, 0);
        auto tex = SolidTexture(4, 4, cases[k].texel);
        DrawQuad(tex, {k * 20, 0, k * 20 + 10, 10}, cases[k].tint);
    }
    const Frame f = End();
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        const uint32_t want = Over(Tint(cases[k].texel, cases[k].tint), cases[k].background);
        EXPECT_EQ(f.At(k * 20, 0), want);
        EXPECT_EQ(f.At(k * 20 + 9, 9), want);
    }
}

TEST_P(Shading, TintOfABilinearSample)
{
    // Halving a two-colour texture: each pixel averages a light and a dark texel, then the tint applies.
    std::vector<uint32_t> pixels(16);
    for (int i = 0; i < 16; ++i)
        pixels[i] = (i % 2) ? 0xFF204060 : 0xFFE0C0A0;
    const auto tex = MakeTexture(4, 4, pixels, 4);
    Begin(0xFF000000);
    DrawQuad(tex, {0, 0, 2, 2}, 0xC0FF8040);
    const Frame f = End();
    const uint32_t average = 0xFF808080;
    EXPECT_EQ(f.At(0, 0), Over(Tint(average, 0xC0FF8040), kBlack));
    EXPECT_EQ(f.At(1, 1), Over(Tint(average, 0xC0FF8040), kBlack));
}

TEST_P(Shading, TexelsChangedThroughALockAreDrawnAsTheyAreNow)
{
    // Opaque first, then half of each row made translucent.
    const auto tex = SolidTexture(16, 4, 0xFF00FF00);
    Begin(0xFF000000);
    DrawQuad(tex, {0, 0, 16, 4});
    EXPECT_EQ(End().At(12, 2), 0xFF00FF00u);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 8; x < 16; ++x)
            static_cast<uint32_t*>(lr.pBits)[y * lr.Pitch / 4 + x] = 0x8000FF00;
    tex.texture->UnlockRect(0);
    Begin(0xFFFF0000);
    DrawQuad(tex, {0, 0, 16, 4});
    const Frame f = End();
    EXPECT_EQ(f.At(3, 2), 0xFF00FF00u);
    EXPECT_EQ(f.At(12, 2), Over(0x8000FF00, 0xFFFF0000));
}

TEST_P(Shading, X8R8G8B8TexelsAreOpaque)
{
    // The fourth byte is 0 as a video frame's converter writes it.
    const auto tex = SolidTexture(8, 8, 0x00336699, D3DFMT_X8R8G8B8);
    Begin(0xFF808080);
    DrawQuad(tex, {0, 0, 8, 8});
    DrawQuad(tex, {10, 0, 18, 8}, 0x80FFFFFF);
    const Frame f = End();
    EXPECT_EQ(f.At(3, 3), 0xFF336699u);
    EXPECT_EQ(f.At(13, 3), Over(0x80336699, 0xFF808080));
}

TEST_P(Shading, ColourWriteMaskKeepsTheOtherChannels)
{
    const auto tex = SolidTexture(4, 4, 0xFFFFFFFF);
    const uint32_t background = 0x11223344;
    struct Case {
        DWORD mask;
        uint32_t want;
    };
    const Case cases[] = {
        {D3DCOLORWRITEENABLE_RED, 0x11FF3344},
        {D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_ALPHA, 0xFF22FF44},
        {D3DCOLORWRITEENABLE_BLUE, 0x112233FF},
        {D3DCOLORWRITEENABLE_ALPHA, 0xFF223344},
        {0, background},
        {0xF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        colourWriteMask = c.mask;
        Begin(background);
        DrawQuad(tex, {5, 5, 15, 15});
        const Frame f = End();
        EXPECT_EQ(f.At(5, 5), c.want);
        EXPECT_EQ(f.At(14, 14), c.want);
        EXPECT_EQ(f.At(15, 15), background);
    }
}

TEST_P(Shading, WriteMaskAppliesAfterBlending)
{
    const auto tex = SolidTexture(4, 4, 0xFFFFFFFF);
    colourWriteMask = D3DCOLORWRITEENABLE_GREEN;
    Begin(0xFF000000);
    DrawQuad(tex, {0, 0, 4, 4}, 0x80FFFFFF);
    const uint32_t blended = Over(0x80FFFFFF, 0xFF000000);
    EXPECT_EQ(End().At(1, 1), 0xFF000000 | (blended & 0x0000FF00));
}

TEST_P(Shading, DefaultStagesTakeAlphaFromTheTextureWithoutBlending)
{
    // A fresh device: colour = texel × diffuse, alpha = texel, no blending.
    const auto tex = SolidTexture(4, 4, 0x80C0C0C0);
    IDirect3DVertexBuffer9* vb = quad;
    Begin(0xFF0000FF);
    const float v[4][7] = {{9.5f, 9.5f, 0, 1, 0, 0, 0},
                           {13.5f, 9.5f, 0, 1, 0, 1, 0},
                           {13.5f, 13.5f, 0, 1, 0, 1, 1},
                           {9.5f, 13.5f, 0, 1, 0, 0, 1}};
    void* data;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    for (int i = 0; i < 4; ++i) {
        std::memcpy(static_cast<uint8_t*>(data) + i * 28, v[i], 28);
        const uint32_t diffuse = 0xFF808080;
        std::memcpy(static_cast<uint8_t*>(data) + i * 28 + 16, &diffuse, 4);
    }
    vb->Unlock();
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetStreamSource(0, vb, 0, 28);
    device->SetTexture(0, tex.texture);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    EXPECT_EQ(End().At(11, 11), (Tint(0x80C0C0C0, 0xFF808080) & 0x00FFFFFF) | 0x80000000);
}

TEST_P(Shading, StageWithoutATextureSamplesOpaqueBlack)
{
    Begin(0xFFFFFFFF);
    d3d9fixture::Texture none;
    none.width = none.height = 1;
    ASSERT_EQ(DrawQuad(none, {0, 0, 4, 4}, 0xFF808080), D3D_OK);
    EXPECT_EQ(End().At(2, 2), 0xFF000000u);
}

TEST_P(Shading, DiffuseColourIsInterpolatedAcrossTheTriangle)
{
    // A fan whose left vertices are black and right vertices white, over a
    // 1 × 1 white texture: the colour ramps from left to right.
    const auto tex = SolidTexture(1, 1, 0xFFFFFFFF);
    Begin();
    SetStates();
    const uint32_t colours[4] = {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000};
    const float xy[4][2] = {{-0.5f, 9.5f}, {254.5f, 9.5f}, {254.5f, 11.5f}, {-0.5f, 11.5f}};
    void* data;
    ASSERT_EQ(quad->Lock(0, 0, &data, 0), D3D_OK);
    for (int i = 0; i < 4; ++i) {
        const float v[7] = {xy[i][0], xy[i][1], 0, 1, 0, 0, 0};
        std::memcpy(static_cast<uint8_t*>(data) + i * 28, v, 28);
        std::memcpy(static_cast<uint8_t*>(data) + i * 28 + 16, &colours[i], 4);
    }
    quad->Unlock();
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetStreamSource(0, quad, 0, 28);
    device->SetTexture(0, tex.texture);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    const Frame f = End();
    for (int x = 0; x < 255; x += 17) {
        const uint32_t g = Round((x + 0.5) * 255.0 / 255.0);
        EXPECT_EQ(f.At(x, 10), 0xFF000000 | g << 16 | g << 8 | g) << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Shading, ::testing::Values(true, false));

} // namespace

// Drawing a quad: where it lands (origin, half-pixel shift, viewport), what
// part of the texture it shows, how the colour tints and fades it, rotation,
// and the quads that draw nothing.
#include "render_fixture.h"

#include <cmath>

using testing_support::Channel;
using testing_support::ExpectRect;
using testing_support::Mul255;
using testing_support::RenderTest;

namespace {

// A texture whose pixel tells where it came from: red = x, green = y.
uint32_t Coordinates(int x, int y)
{
    return 0xFF000000u | (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) << 8);
}

class QuadDrawing : public RenderTest {};

} // namespace

TEST_F(QuadDrawing, OriginMovesTheQuadAndEachPixelShowsOneTexel)
{
    const int id = MakeTexture(L"coords", 10, 10, Coordinates);
    manager->originX = 100;
    manager->originY = 50;
    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 10, 10}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(frame), 100, 50, 110, 60);
    // The half-pixel shift puts texel centres on pixel centres: no blur even
    // though the filter is bilinear.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(frame.At(100 + x, 50 + y), Coordinates(x, y)) << x << "," << y;
}

TEST_F(QuadDrawing, HalfPixelShiftCentresSamplesBetweenTexelPairsWhenHalved)
{
    // Four texels dark, dark, light, light drawn into two pixels: each pixel
    // centre falls between the two texels of its own pair, never across
    // the pairs (nor wraps round to the far edge).
    const int id =
        MakeTexture(L"pairs", 4, 2, [](int x, int) { return x < 2 ? 0xFF000000u : 0xFFFFFFFFu; });
    const RECT source{0, 0, 4, 2};
    const auto frame = Draw(
        [&] {
            manager->DrawQuad(id, RECT{10, 10, 12, 11}, &source, 0xFFFFFFFF, 0.0f);
        },
        0xFF0000FF);
    EXPECT_EQ(frame.At(10, 10), 0xFF000000u);
    EXPECT_EQ(frame.At(11, 10), 0xFFFFFFFFu);
    EXPECT_EQ(frame.At(12, 10), 0xFF0000FFu);
    EXPECT_EQ(frame.At(10, 11), 0xFF0000FFu);
}

TEST_F(QuadDrawing, WholeImageOfANonPowerOfTwoTextureIsShownWithoutItsPadding)
{
    // 5 × 3 in an 8 × 4 texture; the padding is zero (transparent black).
    const int id = MakeTexture(L"odd", 5, 3, Coordinates);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->textureWidth, 8);
    EXPECT_EQ(record->textureHeight, 4);
    ExpectRect(record->imageRect, 0, 0, 5, 3);

    const auto frame = Draw(
        [&] {
            manager->DrawQuad(id, RECT{20, 30, 25, 33}, nullptr, 0xFFFFFFFF, 0.0f);
        },
        0xFF0000FF);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(frame.At(20 + x, 30 + y), Coordinates(x, y)) << x << "," << y;
    ExpectRect(Covered(frame, 0xFF0000FF), 20, 30, 25, 33);
}

TEST_F(QuadDrawing, SourceRectangleSelectsTexelsInsideThePowerOfTwoTexture)
{
    const int id = MakeTexture(L"coords", 12, 12, Coordinates); // a 16 × 16 texture
    const RECT source{3, 4, 7, 6};
    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 4, 2}, &source, 0xFFFFFFFF, 0.0f);
    });
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(frame.At(x, y), Coordinates(3 + x, 4 + y)) << x << "," << y;
    ExpectRect(Covered(frame), 0, 0, 4, 2);
}

TEST_F(QuadDrawing, ColourTintsAndItsAlphaFadesOverWhatIsBelow)
{
    const uint32_t texel = 0xFFC08040;
    const int id = MakeSolid(L"solid", 4, 4, texel);
    const uint32_t background = 0xFF204060;

    // Opaque tint: texel × colour per channel.
    const uint32_t tint = 0xFF80FF40;
    auto frame = Draw(
        [&] {
            manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, tint, 0.0f);
        },
        background);
    const uint32_t tinted = frame.At(1, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Channel(tinted, i), Mul255(Channel(texel, i), Channel(tint, i))) << i;

    // Half alpha: blended over the background by the faded alpha.
    const uint32_t fade = 0x80FFFFFF;
    frame = Draw([&] { manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, fade, 0.0f); }, background);
    const uint32_t a = 0x80;
    for (int i = 0; i < 3; ++i) {
        const uint32_t expected =
            (Channel(texel, i) * a + Channel(background, i) * (255 - a) + 127) / 255;
        EXPECT_NEAR(static_cast<int>(Channel(frame.At(2, 2), i)), static_cast<int>(expected), 1)
            << i;
    }
    // Colour alpha 0: nothing shows.
    frame = Draw(
        [&] {
            manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0x00FFFFFF, 0.0f);
        },
        background);
    EXPECT_EQ(frame.At(1, 1), background);
}

TEST_F(QuadDrawing, TextureAlphaIsBlended)
{
    const int id =
        MakeTexture(L"half", 2, 1, [](int x, int) { return x == 0 ? 0x00FFFFFFu : 0xFFFFFFFFu; });
    const auto frame = Draw(
        [&] {
            manager->DrawQuad(id, RECT{0, 0, 2, 1}, nullptr, 0xFFFFFFFF, 0.0f);
        },
        0xFF102030);
    EXPECT_EQ(frame.At(0, 0), 0xFF102030u); // clear texel: background stays
    EXPECT_EQ(frame.At(1, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(QuadDrawing, RotationTurnsTheQuadClockwiseAboutItsCentre)
{
    // A 20 × 4 bar, its left half red and its right half blue.
    const int id =
        MakeTexture(L"bar", 20, 4, [](int x, int) { return x < 10 ? 0xFFFF0000u : 0xFF0000FFu; });
    const RECT dest{90, 98, 110, 102}; // centre (100, 100)
    const auto frame = Draw(
        [&] { manager->DrawQuad(id, dest, nullptr, 0xFFFFFFFF, static_cast<float>(M_PI / 2)); });
    // Upright now: 4 wide and 20 tall about the same centre.
    ExpectRect(Covered(frame), 98, 90, 102, 110);
    // Clockwise on the screen: the left (red) end goes to the top.
    EXPECT_EQ(frame.At(100, 92), 0xFFFF0000u);
    EXPECT_EQ(frame.At(100, 107), 0xFF0000FFu);

    // A full turn shows the quad as it was.
    const auto turned = Draw(
        [&] { manager->DrawQuad(id, dest, nullptr, 0xFFFFFFFF, static_cast<float>(2 * M_PI)); });
    ExpectRect(Covered(turned), 90, 98, 110, 102);
}

TEST_F(QuadDrawing, ViewportClipsTheQuadButDoesNotMoveIt)
{
    const int id = MakeSolid(L"white", 40, 40, 0xFFFFFFFF);
    const D3DVIEWPORT9 narrow{10, 20, 15, 5, 0.0f, 1.0f};
    const auto frame = Draw([&] {
        manager->SetViewport(narrow);
        manager->DrawQuad(id, RECT{0, 0, 40, 40}, nullptr, 0xFFFFFFFF, 0.0f);
        const D3DVIEWPORT9 whole{0, 0, 800, 600, 0.0f, 1.0f};
        manager->SetViewport(whole);
    });
    ExpectRect(Covered(frame), 10, 20, 25, 25);
}

TEST_F(QuadDrawing, EmptyOrInvertedDestinationDrawsNothingButRestoresTheTexture)
{
    const int id = MakeSolid(L"white", 4, 4, 0xFFFFFFFF);
    manager->DropDeviceTexture(id);
    ASSERT_EQ(manager->GetTextureRecord(id)->texture, nullptr);
    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{10, 10, 10, 20}, nullptr, 0xFFFFFFFF, 0.0f);
        manager->DrawQuad(id, RECT{10, 20, 20, 10}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(frame), 800, 600, 0, 0);
    EXPECT_NE(manager->GetTextureRecord(id)->texture, nullptr);
}

TEST_F(QuadDrawing, IdentifierNamingNoRecordDrawsNothing)
{
    const int missing = manager->LoadTexture(L"no such picture.png");
    EXPECT_EQ(missing, manager->SlotCount());
    const int released = MakeSolid(L"gone", 4, 4, 0xFFFFFFFF);
    manager->ReleaseTexture(released);
    const auto frame = Draw([&] {
        EXPECT_EQ(manager->DrawQuad(missing, RECT{0, 0, 10, 10}, nullptr, 0xFFFFFFFF, 0.0f), 0);
        manager->DrawQuad(released, RECT{0, 0, 10, 10}, nullptr, 0xFFFFFFFF, 0.0f);
        manager->DrawQuad(-1, RECT{0, 0, 10, 10}, nullptr, 0xFFFFFFFF, 0.0f);
        manager->DrawQuad(1 << 30, RECT{0, 0, 10, 10}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(frame), 800, 600, 0, 0);
}

TEST_F(QuadDrawing, FailedVertexBufferLockDrawsNothing)
{
    const int id = MakeSolid(L"white", 4, 4, 0xFFFFFFFF);
    faults.Set(platform::d3d9test::Fault::VertexBufferLock, true);
    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(frame), 800, 600, 0, 0);
    faults.Set(platform::d3d9test::Fault::VertexBufferLock, false);
    const auto again = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(again), 0, 0, 4, 4);
}

TEST_F(QuadDrawing, EveryQuadSetsItsOwnStates)
{
    const int id = MakeSolid(L"half", 2, 2, 0x80FFFFFF);
    // States left behind by someone else do not change the next quad.
    const auto frame = Draw([&] {
        IDirect3DDevice9* device = manager->Device();
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        manager->DrawQuad(id, RECT{0, 0, 2, 2}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    // Blended: half white over black.
    EXPECT_NEAR(static_cast<int>(Channel(frame.At(0, 0), 0)), 0x80, 1);
}

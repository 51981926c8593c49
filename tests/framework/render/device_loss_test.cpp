// Device loss and video memory: textures dropped and restored lazily from
// their pixel copies, in their own format; making room by dropping other
// textures, and giving up when nothing is left to drop.
#include "render_fixture.h"

using testing_support::ExpectRect;
using testing_support::RenderTest;

namespace {

class DeviceLoss : public RenderTest {
protected:
    void LoseAndRecover()
    {
        platform::d3d9test::LoseDevice(manager->Device());
        ASSERT_TRUE(manager->IsDeviceLost());
        ASSERT_TRUE(manager->ResetDevice());
        ASSERT_FALSE(manager->IsDeviceLost());
    }

    int WithDeviceTexture()
    {
        int count = 0;
        for (int id = 0; id < manager->SlotCount(); ++id)
            if (const IMTextureRecord* record = manager->GetTextureRecord(id))
                count += record->texture != nullptr;
        return count;
    }
};

uint32_t Pattern(int x, int y)
{
    return 0xFF000000u | static_cast<uint32_t>(x * 40) << 16 | static_cast<uint32_t>(y * 40);
}

} // namespace

TEST_F(DeviceLoss, TexturesComeBackWithTheirPixelsOnFirstUse)
{
    const int id = MakeTexture(L"pattern", 6, 6, Pattern);
    const int unused = MakeSolid(L"unused", 4, 4, 0xFFFFFFFF);
    LoseAndRecover();
    EXPECT_EQ(WithDeviceTexture(), 0); // everything dropped, nothing remade yet
    ASSERT_NE(manager->GetTextureRecord(id), nullptr);
    EXPECT_EQ(manager->GetTextureRecord(id)->refCount, 1);

    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 6, 6}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(frame.At(x, y), Pattern(x, y)) << x << "," << y;
    EXPECT_NE(manager->GetTextureRecord(id)->texture, nullptr);
    EXPECT_EQ(manager->GetTextureRecord(unused)->texture, nullptr); // not used: stays dropped
    EXPECT_EQ(WithDeviceTexture(), 1);
    // The padding rows below the image, which the copy does not keep, come back clear.
    manager->FillTexture(id, [](unsigned char* bits, int pitch, int) {
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(reinterpret_cast<const uint32_t*>(bits + 7 * pitch)[x], 0u);
    });
}

TEST_F(DeviceLoss, PitchAndFillRestoreFirst)
{
    const int id = MakeSolid(L"solid", 4, 4, 0xFF00FF00);
    LoseAndRecover();
    EXPECT_EQ(manager->GetTexturePitch(id), 16);
    EXPECT_NE(manager->GetTextureRecord(id)->texture, nullptr);

    const int other = MakeSolid(L"other", 4, 4, 0xFF0000FF);
    LoseAndRecover();
    uint32_t first = 0;
    manager->FillTexture(other, [&first](unsigned char* bits, int, int) {
        first = *reinterpret_cast<uint32_t*>(bits);
    });
    EXPECT_EQ(first, 0xFF0000FFu);
}

TEST_F(DeviceLoss, RestoredTextureKeepsItsFormat)
{
    // A video frame texture: its fourth bytes are 0, and the format says to
    // ignore them.
    const int id = MakeTexture(
        L"frame", 4, 4, [](int, int) { return 0x00FF8000u; }, D3DFMT_X8R8G8B8);
    const auto before = Draw(
        [&] {
            manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f);
        },
        0xFF0000FF);
    EXPECT_EQ(before.At(1, 1), 0xFFFF8000u);

    LoseAndRecover();
    const auto after = Draw(
        [&] {
            manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f);
        },
        0xFF0000FF);
    EXPECT_EQ(after.At(1, 1), 0xFFFF8000u); // still opaque
    D3DSURFACE_DESC desc{};
    manager->GetTextureRecord(id)->texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
}

TEST_F(DeviceLoss, FailedRecoveryDrawsNothingUntilALaterOneSucceeds)
{
    const int id = MakeSolid(L"solid", 4, 4, 0xFFFFFFFF);
    platform::d3d9test::LoseDevice(manager->Device());
    ASSERT_TRUE(manager->IsDeviceLost());
    faults.FailCreate(true);
    EXPECT_FALSE(manager->ResetDevice());
    EXPECT_EQ(manager->Device(), nullptr);
    // Without a device every operation copes.
    EXPECT_EQ(manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f), 0);
    EXPECT_EQ(manager->GetTexturePitch(id), 0);
    EXPECT_EQ(manager->CreateEmptyTexture(L"new", 2, 2, D3DFMT_A8R8G8B8), manager->SlotCount());
    D3DVIEWPORT9 viewport{1, 1, 1, 1, 0.0f, 1.0f};
    manager->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 0u);

    faults.FailCreate(false);
    EXPECT_TRUE(manager->ResetDevice());
    const auto frame = Draw([&] {
        manager->DrawQuad(id, RECT{0, 0, 4, 4}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    EXPECT_EQ(frame.At(3, 3), 0xFFFFFFFFu);
}

TEST_F(DeviceLoss, OutOfVideoMemoryDropsOtherTexturesLowestFirst)
{
    const IMTextureRecord* background = manager->GetTextureRecord(0);
    ASSERT_NE(background, nullptr);
    ASSERT_NE(background->texture, nullptr);
    // Room for one more 4 × 4 texture, not for a 64 × 64 one.
    const size_t budget = platform::d3d9test::VideoMemoryInUse() + 64;
    faults.Budget(budget);
    const int id = MakeSolid(L"big", 64, 64, 0xFF00FF00);
    ASSERT_NE(manager->GetTextureRecord(id), nullptr);
    EXPECT_NE(manager->GetTextureRecord(id)->texture, nullptr);
    // The 1024 × 1024 background was the first other texture with video memory.
    EXPECT_EQ(background->texture, nullptr);
    EXPECT_NE(manager->GetTextureRecord(1)->texture, nullptr);
    EXPECT_LE(platform::d3d9test::VideoMemoryInUse(), budget);

    // Drawing the background makes room again: the lowest other textures go
    // (the skins after it), not the background itself, and it shows.
    const auto frame = Draw([&] {
        manager->DrawQuad(0, RECT{0, 0, 800, 600}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    EXPECT_NE(background->texture, nullptr);
    EXPECT_EQ(manager->GetTextureRecord(1)->texture, nullptr);
    EXPECT_LE(platform::d3d9test::VideoMemoryInUse(), budget);
    ExpectRect(Covered(frame, 0xFF000000), 0, 0, 800, 600);
}

TEST_F(DeviceLoss, WhenNothingIsLeftToDropTheOperationGivesUp)
{
    // Less room than the new texture needs, whatever is dropped.
    faults.Budget(1024);
    const int slots = manager->SlotCount();
    EXPECT_EQ(manager->CreateEmptyTexture(L"huge", 64, 64, D3DFMT_A8R8G8B8), slots);
    EXPECT_EQ(manager->FindTexture(L"huge"), slots);
    EXPECT_EQ(WithDeviceTexture(), 0); // each other texture dropped once
    EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), 0u);

    // Restoring cannot make room either: the quad is not drawn.
    const auto frame = Draw([&] {
        manager->DrawQuad(0, RECT{0, 0, 800, 600}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    ExpectRect(Covered(frame), 800, 600, 0, 0);
    EXPECT_EQ(manager->GetTextureRecord(0)->texture, nullptr);

    // So does loading from memory.
    faults.Budget(SIZE_MAX);
    const IMTextureRecord* skin = manager->GetTextureRecord(1);
    ASSERT_FALSE(skin->pixels.empty());
    faults.Budget(0);
    const unsigned char* png = nullptr;
    size_t size = 0;
    ASSERT_TRUE(platform::FindEmbeddedBlob("ExitButton", &png, &size));
    EXPECT_EQ(manager->CreateTextureFromMemory(L"again", png, static_cast<unsigned>(size)), slots);

    // Once there is room, everything comes back.
    faults.Budget(SIZE_MAX);
    const auto later = Draw([&] {
        manager->DrawQuad(0, RECT{0, 0, 800, 600}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    EXPECT_NE(manager->GetTextureRecord(0)->texture, nullptr);
    ExpectRect(Covered(later), 0, 0, 800, 600);
}

// Start-up and shut-down: the skins registered in order with their sizes,
// and the frame-rate line.
#include "assets/skins.h"
#include "platform/codepage.h"
#include "render_fixture.h"

using testing_support::RenderTest;

namespace {

class StartUp : public RenderTest {};

} // namespace

TEST_F(StartUp, SkinsAreRegisteredInOrderWithTheirSizes)
{
    ASSERT_EQ(manager->SlotCount(), static_cast<int>(assets::kSkinCount));
    for (size_t i = 0; i < assets::kSkinCount; ++i) {
        const assets::SkinImage& skin = assets::kSkins[i];
        const std::wstring name = platform::Utf8ToWide(skin.name);
        ASSERT_EQ(manager->FindTexture(name), static_cast<int>(i)) << skin.name;
        manager->TakePixelCopy(static_cast<int>(i));
        const IMTextureRecord* record = manager->GetTextureRecord(static_cast<int>(i));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->imageRect.right, skin.width) << skin.name;
        EXPECT_EQ(record->imageRect.bottom, skin.height) << skin.name;
        EXPECT_EQ(record->textureWidth, IMNextPowerOfTwo(skin.width)) << skin.name;
        EXPECT_EQ(record->textureHeight, IMNextPowerOfTwo(skin.height)) << skin.name;
        EXPECT_EQ(record->refCount, 1) << skin.name;
        EXPECT_FALSE(record->pixels.empty()) << skin.name;
    }
    EXPECT_EQ(manager->FindTexture(L"DefaultBackGround"), 0);
    EXPECT_EQ(manager->FindTexture(L"SelectionMask"), 56);
    // The background is a picture, not a blank texture.
    const IMTextureRecord* background = manager->GetTextureRecord(0);
    bool anyColour = false;
    for (size_t i = 0; i < background->pixels.size() && !anyColour; i += 4)
        anyColour = background->pixels[i] != 0 || background->pixels[i + 1] != 0 ||
                    background->pixels[i + 2] != 0;
    EXPECT_TRUE(anyColour);
}

TEST_F(StartUp, ShutdownDropsTheSkinReferencesAndReportsTheFrameRate)
{
    std::vector<std::wstring>& lines = CaptureDebugLines();
    manager->frameCount = 0;
    IMResourceManager::Shutdown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"FPS: 0\n");
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, 0);
}

TEST_F(StartUp, FrameRateLineIsWholeFramesPerSecond)
{
    EXPECT_EQ(IMFrameRateLine(150, 2000), L"FPS: 75\n");
    EXPECT_EQ(IMFrameRateLine(149, 2000), L"FPS: 74\n"); // truncated
    EXPECT_EQ(IMFrameRateLine(10, 0), L"FPS: 0\n");      // no time passed
    // A day of frames at 75 per second: no wrap-around.
    EXPECT_EQ(IMFrameRateLine(75u * 86400u, 86400000u), L"FPS: 75\n");
}

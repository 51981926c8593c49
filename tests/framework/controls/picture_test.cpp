// The picture: made by its factory with the image's size at its place,
// tinted by its colour, hit only where its texture is opaque enough, and
// drawn by the window's render pass.
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/render/IMResourceManager.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

using testing_support::HeadlessWindow;

namespace {

class Picture : public ::testing::Test {
protected:
    IMResourceManager& Manager() { return *window.Manager(); }

    const IMTextureRecord& Record(const std::wstring& name)
    {
        Manager().TakePixelCopy(Manager().FindTexture(name));
        return *Manager().GetTextureRecord(Manager().FindTexture(name));
    }

    static uint32_t Texel(const IMTextureRecord& r, int x, int y)
    {
        return *reinterpret_cast<const uint32_t*>(
            &r.pixels[static_cast<size_t>(y) * r.pitch + x * 4]);
    }

    platform::d3d9test::Frame Render()
    {
        window.window->SetDirty(true);
        window.Pump(1);
        return platform::d3d9test::LastPresentedFrame(Manager().Device());
    }

    HeadlessWindow window;
};

RECT RectOf(IMControl* c)
{
    RECT r;
    c->GetRect(&r);
    return r;
}

} // namespace

TEST_F(Picture, TakesTheImageSizeNotTheTextureSize)
{
    auto* bubble =
        IMStaticPictureBase<IMTextureView>::Create(window.window, 150, 60, L"103", 0, 0xFFFFFFFF);
    ASSERT_NE(bubble, nullptr);
    const RECT r = RectOf(bubble);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 150 + 511);
    EXPECT_EQ(r.bottom, 60 + 470);
    EXPECT_EQ(Record(L"103").textureWidth, 512);

    auto* escape = IMStaticPictureBase<IMTextureView>::Create(window.window, 135, 517, L"EscButton",
                                                              0, 0xFFFFFFFF);
    const RECT e = RectOf(escape);
    EXPECT_EQ(e.right - e.left, 37);
    EXPECT_EQ(e.bottom - e.top, 25);
}

TEST_F(Picture, SettingATextureResizesToItsImageAtTheOrigin)
{
    IMStaticPictureBase<IMTextureView> picture(nullptr, 0);
    picture.SetRect(RECT{40, 40, 50, 50});
    picture.SetTexture(L"PrintButton");
    const RECT r = RectOf(&picture);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 84);
    EXPECT_EQ(r.bottom, 47);
}

TEST_F(Picture, BackgroundCoversTheScreenPixelForPixel)
{
    IMStaticPictureBase<IMTextureView>::Create(window.window, 0, 0, L"102", 0, 0xFFFFFFFF);
    const auto frame = Render();
    const IMTextureRecord& image = Record(L"102");
    for (const POINT p : {POINT{0, 0}, POINT{799, 0}, POINT{0, 599}, POINT{799, 599},
                          POINT{400, 300}, POINT{123, 456}})
        EXPECT_EQ(frame.At(p.x, p.y), Texel(image, p.x, p.y) | 0xFF000000u) << p.x << "," << p.y;
}

TEST_F(Picture, ColourTintsTheDrawingAndScalesTheHitAlpha)
{
    auto* pale = IMStaticPictureBase<IMTextureView>::Create(window.window, 0, 0, L"PrintButton", 0,
                                                            0xA5FFFFFF);
    window.Pump(1);
    EXPECT_EQ(pale->colour, 0xA5FFFFFFu);
    // Opaque texels under a translucent colour never reach 255.
    EXPECT_FALSE(pale->HitTest(42, 23));
    pale->hitThreshold = 1;
    EXPECT_TRUE(pale->HitTest(42, 23));

    const auto frame = Render();
    const uint32_t texel = Texel(Record(L"PrintButton"), 42, 23);
    const int want = static_cast<int>((texel >> 8 & 0xFF) * 0xA5 / 255);
    EXPECT_NEAR(static_cast<int>(frame.At(42, 23) >> 8 & 0xFF), want, 1);
}

TEST_F(Picture, PointerOverTheClearPartFindsTheControlBeneath)
{
    auto* below =
        IMStaticPictureBase<IMTextureView>::Create(window.window, 0, 0, L"102", 0, 0xFFFFFFFF);
    auto* bubble =
        IMStaticPictureBase<IMTextureView>::Create(window.window, 0, 0, L"103", 0, 0xFFFFFFFF);
    bubble->hitThreshold = 1;
    window.Pump(1);
    const IMTextureRecord& image = Record(L"103");
    ASSERT_EQ(Texel(image, 0, 0) >> 24, 0u);     // outside the disc
    ASSERT_GT(Texel(image, 255, 235) >> 24, 0u); // its middle

    window.MoveMouse(255, 235);
    window.Pump(1);
    EXPECT_EQ(window.window->GetHoveredChild(), bubble);
    window.MoveMouse(1, 1);
    window.Pump(1);
    EXPECT_EQ(window.window->GetHoveredChild(), below);
}

TEST_F(Picture, UnloadableNameMakesAnEmptyPictureThatIsNeverHit)
{
    const int slots = Manager().SlotCount();
    auto* missing = IMStaticPictureBase<IMTextureView>::Create(window.window, 10, 10,
                                                               L"no/such/file.png", 0, 0xFFFFFFFF);
    ASSERT_NE(missing, nullptr);
    missing->hitThreshold = 0;
    EXPECT_FALSE(missing->HasTexture());
    EXPECT_EQ(Manager().SlotCount(), slots);
    const RECT r = RectOf(missing);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_FALSE(missing->HitTest(10, 10));
    const auto frame = Render();
    EXPECT_EQ(frame.At(10, 10), 0xFF000000u);
}

TEST_F(Picture, ClosingThePictureReleasesItsTexture)
{
    const int id = Manager().FindTexture(L"PrintButton");
    const int before = Manager().GetTextureRecord(id)->refCount;
    auto* picture = IMStaticPictureBase<IMTextureView>::Create(window.window, 0, 0, L"PrintButton",
                                                               0, 0xFFFFFFFF);
    window.Pump(1);
    EXPECT_EQ(Manager().GetTextureRecord(id)->refCount, before + 1);
    picture->Close();
    window.Pump(2);
    EXPECT_EQ(Manager().GetTextureRecord(id)->refCount, before);
}

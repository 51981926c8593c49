// The button: its state follows the pointer, the mouse buttons and the
// enabled flag as the window's container routes the input, and the screen
// shows the skin of each state (read back from the presented frame).
#include "framework/controls/IMButtonBase.h"
#include "framework/render/IMResourceManager.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testing_support::HeadlessWindow;

namespace {

class Button : public ::testing::Test {
protected:
    void SetUp() override
    {
        button = IMButtonBase<IMStateView>::Create(window.window, 30, 490, L"PrintButton",
                                                   L"PrintButton", L"PrintButtonNuv",
                                                   L"PrintButtonKlick", 0);
        ASSERT_NE(button, nullptr);
        button->ConnectClicked([this](const IMMouseEvent&) -> long {
            ++clicks;
            return 0;
        });
        window.Pump(1);
    }

    IMResourceManager& Manager() { return *window.Manager(); }

    const IMTextureRecord& Skin(const std::wstring& name)
    {
        Manager().TakePixelCopy(Manager().FindTexture(name));
        return *Manager().GetTextureRecord(Manager().FindTexture(name));
    }

    static uint32_t Texel(const IMTextureRecord& r, int x, int y)
    {
        return *reinterpret_cast<const uint32_t*>(
            &r.pixels[static_cast<size_t>(y) * r.pitch + x * 4]);
    }

    // Whether the presented frame shows the skin, 1:1 at the button's
    // place, on every opaque texel (the window clears to black), with each
    // channel scaled by tint / 255.
    ::testing::AssertionResult ShowsSkin(const std::wstring& name, int tint = 255)
    {
        window.window->SetDirty(true);
        window.Pump(1);
        const auto frame = platform::d3d9test::LastPresentedFrame(Manager().Device());
        if (frame.Empty())
            return ::testing::AssertionFailure() << "no frame presented";
        const IMTextureRecord& skin = Skin(name);
        for (int y = 0; y < 47; ++y)
            for (int x = 0; x < 84; ++x) {
                const uint32_t t = Texel(skin, x, y);
                if (t >> 24 != 255)
                    continue;
                const uint32_t s = frame.At(30 + x, 490 + y);
                for (int shift = 0; shift < 24; shift += 8) {
                    const int want = static_cast<int>((t >> shift & 0xFF) * tint / 255);
                    const int got = static_cast<int>(s >> shift & 0xFF);
                    if (std::abs(want - got) > 1)
                        return ::testing::AssertionFailure()
                               << "pixel " << x << "," << y << " is " << std::hex << s
                               << ", the skin's texel " << t;
                }
            }
        return ::testing::AssertionSuccess();
    }

    HeadlessWindow window;
    IMButtonBase<IMStateView>* button = nullptr;
    int clicks = 0;
    // The middle of the button: opaque in every skin.
    const int cx = 30 + 42;
    const int cy = 490 + 23;
};

} // namespace

TEST_F(Button, StateFollowsThePointerAndTheButton)
{
    EXPECT_EQ(button->GetState(), IMStateView::StateNormal);
    EXPECT_TRUE(ShowsSkin(L"PrintButton"));
    window.MoveMouse(cx, cy);
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StateMouseOver);
    EXPECT_TRUE(ShowsSkin(L"PrintButtonNuv"));

    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StatePressed);
    EXPECT_TRUE(ShowsSkin(L"PrintButtonKlick"));
    EXPECT_EQ(clicks, 0);

    window.Post(WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StateMouseOver);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ShowsSkin(L"PrintButtonNuv"));

    window.MoveMouse(400, 100);
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StateNormal);
    EXPECT_TRUE(ShowsSkin(L"PrintButton"));
}

TEST_F(Button, ClearCornerOfTheSkinIsNotTheButton)
{
    const IMTextureRecord& normal = Skin(L"PrintButton");
    if (Texel(normal, 0, 0) >> 24 == 255)
        GTEST_SKIP() << "the skin has no clear corner";
    window.MoveMouse(30, 490);
    window.Pump(1);
    EXPECT_FALSE(button->IsMouseOver());
    EXPECT_EQ(button->GetState(), IMStateView::StateNormal);
}

TEST_F(Button, DisablingUnderThePointerGreysAtOnceAndEnablingHovers)
{
    window.MoveMouse(cx, cy);
    window.Pump(1);
    ASSERT_EQ(button->GetState(), IMStateView::StateMouseOver);

    button->Disable();
    button->colour = 0xFF808080; // as the screens grey a disabled button
    EXPECT_EQ(button->GetState(), IMStateView::StateDisabled);
    EXPECT_TRUE(ShowsSkin(L"PrintButton", 0x80));

    // A disabled button is not pressed and not clicked.
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
    window.Post(WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StateDisabled);
    EXPECT_EQ(clicks, 0);

    button->Enable();
    button->colour = 0xFFFFFFFF;
    EXPECT_EQ(button->GetState(), IMStateView::StateMouseOver);
    EXPECT_TRUE(ShowsSkin(L"PrintButtonNuv"));
}

TEST_F(Button, HiddenButtonKeepsItsStateAndIsNotDrawn)
{
    window.MoveMouse(cx, cy);
    window.Pump(1);
    button->Hide();
    EXPECT_FALSE(button->HitTest(cx, cy));
    window.MoveMouse(400, 100);
    window.Pump(1);
    EXPECT_EQ(button->GetState(), IMStateView::StateMouseOver);
    window.window->SetDirty(true);
    window.Pump(1);
    const auto frame = platform::d3d9test::LastPresentedFrame(Manager().Device());
    EXPECT_EQ(frame.At(cx, cy), 0xFF000000u);
}

TEST_F(Button, UnchangedStateDoesNotDirtyTheScreen)
{
    window.MoveMouse(cx, cy);
    window.Pump(1);
    window.Pump(1);
    const int presents = window.Presents();
    int changes = 0;
    button->ConnectChanged([&changes](const IMEvent&) -> long {
        ++changes;
        return 0;
    });
    window.MoveMouse(cx + 1, cy);
    window.Pump(2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(window.Presents(), presents);
}

TEST_F(Button, EmptyNamesStandForTheNormalSkin)
{
    IMButtonBase<IMStateView>* exit =
        IMButtonBase<IMStateView>::Create(window.window, 755, 22, L"ExitButton", L"", L"", L"", 0);
    ASSERT_NE(exit, nullptr);
    window.Pump(1);
    RECT r;
    exit->GetRect(&r);
    EXPECT_EQ(r.right - r.left, 21);
    EXPECT_EQ(r.bottom - r.top, 21);
    const int id = exit->GetTextureId();
    const IMTextureRecord& skin = Skin(L"ExitButton");
    int opaqueX = -1, opaqueY = -1;
    for (int y = 0; y < 21 && opaqueX < 0; ++y)
        for (int x = 0; x < 21; ++x)
            if (Texel(skin, x, y) >> 24 == 255) {
                opaqueX = x;
                opaqueY = y;
                break;
            }
    ASSERT_GE(opaqueX, 0);
    window.MoveMouse(755 + opaqueX, 22 + opaqueY);
    window.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(755 + opaqueX, 22 + opaqueY));
    window.Pump(1);
    EXPECT_EQ(exit->GetState(), IMStateView::StatePressed);
    EXPECT_EQ(exit->GetTextureId(), id);
}

namespace {

struct SkinButton {
    const wchar_t* name;
    int width;
    int height;
};

const SkinButton kSkinButtons[] = {
    {L"PrintButton", 84, 47},    {L"SaveAsButton", 148, 47},       {L"RetryButton", 109, 47},
    {L"CloseButton", 111, 47},   {L"StartPopStartButton", 84, 47}, {L"SubmitButton", 109, 47},
    {L"OptionsButton", 109, 47}, {L"CancelButton", 111, 47},
};

} // namespace

// Every skin button takes its image's size, and its three state images share
// one opaque footprint: otherwise a pointer on the edge would make the
// button leave and enter again as its texture changes.
TEST(SkinButtons, SizeAndOneFootprintForAllStates)
{
    HeadlessWindow window;
    IMResourceManager& manager = *window.Manager();
    for (const SkinButton& skin : kSkinButtons) {
        const std::wstring name = skin.name;
        auto* button = IMButtonBase<IMStateView>::Create(window.window, 0, 0, name, name,
                                                         name + L"Nuv", name + L"Klick", 0);
        RECT r;
        button->GetRect(&r);
        EXPECT_EQ(r.right, skin.width) << std::string(name.begin(), name.end());
        EXPECT_EQ(r.bottom, skin.height) << std::string(name.begin(), name.end());

        for (const std::wstring& state : {name, name + L"Nuv", name + L"Klick"})
            manager.TakePixelCopy(manager.FindTexture(state));
        const IMTextureRecord* images[3] = {
            manager.GetTextureRecord(manager.FindTexture(name)),
            manager.GetTextureRecord(manager.FindTexture(name + L"Nuv")),
            manager.GetTextureRecord(manager.FindTexture(name + L"Klick"))};
        int opaque = 0, mismatched = 0, differ = 0;
        for (int y = 0; y < skin.height; ++y)
            for (int x = 0; x < skin.width; ++x) {
                bool inside[3];
                for (int i = 0; i < 3; ++i)
                    inside[i] =
                        images[i]->pixels[static_cast<size_t>(y) * images[i]->pitch + x * 4 + 3] ==
                        255;
                opaque += inside[0];
                const auto texel = [&](int i) {
                    return *reinterpret_cast<const uint32_t*>(
                        &images[i]->pixels[static_cast<size_t>(y) * images[i]->pitch + x * 4]);
                };
                // Otherwise the screen could not tell the states apart.
                differ += texel(0) != texel(1) && texel(1) != texel(2);
                mismatched += inside[0] != inside[1] || inside[0] != inside[2];
            }
        EXPECT_GT(opaque, skin.width * skin.height / 2) << std::string(name.begin(), name.end());
        EXPECT_EQ(mismatched, 0) << std::string(name.begin(), name.end());
        EXPECT_GT(differ, 100) << std::string(name.begin(), name.end());
        button->Close();
    }
}

// The title screen: centred lines, the description's scrolling, Start and
// Enter, Options over the page, and what lands on the screen.
#include "app/screens/screens_fixture.h"
#include "app/screens/title_screen.h"

#include <cstring>

using namespace app_test;

namespace {

class TitleScreenTest : public ScreensTest {
protected:
    screens::TitleScreen BuildWith(const std::wstring& description)
    {
        Dialog* dialog = new Dialog(app->mainWindow, nullptr, 0);
        screens::TitleScreen screen =
            screens::BuildTitleScreen(dialog, screens::TitleTexts{L"1", L"2", description}, false);
        Pump();
        return screen;
    }
};

} // namespace

TEST_F(TitleScreenTest, OnlyADescriptionTallerThanItsFrameGetsTheScrollBar)
{
    EXPECT_EQ(350, screens::CentredLeft(800, 101));
    EXPECT_EQ(349, screens::CentredLeft(799, 101));
    screens::TitleScreen shortOne = BuildWith(L"Коротко.");
    EXPECT_TRUE(shortOne.scroll->IsHidden());
    screens::TitleScreen empty = BuildWith(L"");
    EXPECT_TRUE(empty.scroll->IsHidden());
    EXPECT_EQ(235, empty.descriptionContent->GetHeight());

    std::wstring text;
    for (int i = 0; i < 3; ++i)
        text += std::wstring(exercise::kDescription) + L" ";
    screens::TitleScreen longOne = BuildWith(text + L"Конец.");
    const int h = longOne.description->GetHeight();
    ASSERT_GT(h, screens::kDescriptionFrameHeight);
    EXPECT_FALSE(longOne.scroll->IsHidden());
    // Scrolled as far as it goes, the last line sits inside the frame.
    longOne.scroll->SetPosition(100000);
    RECT content;
    longOne.descriptionContent->GetRect(&content);
    EXPECT_EQ(-(h - screens::kDescriptionFrameHeight), content.top);
    const RECT last = longOne.description->GetGlyphRect(longOne.description->GetGlyphCount() - 1);
    EXPECT_GE(content.top + last.top, 0);
    EXPECT_LE(content.top + last.bottom, screens::kDescriptionFrameHeight);
}

TEST_F(TitleScreenTest, EnterStartsOncePerPressWithTheTypedName)
{
    Dialog* title = ShowTitle();
    Type(L"Ёлкин Щ.");
    Press(VK_RETURN, L'\r');
    EXPECT_FALSE(app->mainWindow->IsLiveChild(title));
    EXPECT_EQ(L"Ёлкин Щ.", app->pupilName);
    EXPECT_NE(nullptr, app->workbook);
    // One instruction, whose closing starts the run once.
    ASSERT_EQ(1u, app->mainWindow->LiveChildren().size());
    Press(VK_ESCAPE);
    EXPECT_NE(nullptr, app->exerciseDialog);
    EXPECT_EQ(1, app->runNumber);
}

TEST_F(TitleScreenTest, StartWithAnEmptyNameRunsWithoutAWorkbook)
{
    Dialog* title = ShowTitle();
    Click(CentreOf(ChildrenOf<screens::Button>(title).at(0)));
    EXPECT_FALSE(app->mainWindow->IsLiveChild(title));
    Press(VK_ESCAPE);
    EXPECT_NE(nullptr, app->exerciseDialog);
    EXPECT_EQ(nullptr, app->workbook);
    IMApp<App>::Release();
    EXPECT_FALSE(FolderExists(dataHome.Folder() + "/ZEMT"));
}

// Whatever opens over the page and is clicked, once it closes the keys
// reach the name bar again: the settings, the exit dialog, the credits and
// an instruction replay.
TEST_F(TitleScreenTest, OptionsOpensTheSettingsOverThePageAndKeepsTheName)
{
    Dialog* title = ShowTitle();
    Type(L"Аня");
    ASSERT_EQ(3u, ChildrenOf<screens::Button>(title).size());
    Click(CentreOf(ChildrenOf<screens::Button>(title).at(2)));
    Dialog* settings = Top();
    ASSERT_NE(title, settings);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(title));
    // Cancel closes the page; the name is as it was and typing goes on in it.
    Click(CentreOf(ChildrenOf<screens::Button>(settings).at(1)));
    EXPECT_FALSE(app->mainWindow->IsLiveChild(settings));
    Type(L"б");
    EXPECT_EQ(L"Аняб", ChildrenOf<IMEditBar>(title).at(0)->GetText());

    Press(VK_F12);
    Dialog* veil = Top();
    Click(POINT{100, 100});
    Click(POINT{400, 375}); // Cancel
    EXPECT_FALSE(app->mainWindow->IsLiveChild(veil));
    Type(L"в");
    KeyI(true);
    Click(POINT{100, 100});
    Click(CentreOf(ChildrenOf<screens::Button>(Top()).at(0))); // the credits' Exit
    PushKey(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE);
    Type(L"г");
    Press(VK_F1);
    Click(POINT{100, 100});
    Press(VK_F1);
    EXPECT_FALSE(app->modal);
    Type(L"д");
    EXPECT_EQ(L"Анябвгд", ChildrenOf<IMEditBar>(title).at(0)->GetText());
    Press(VK_RETURN, L'\r');
    EXPECT_EQ(L"Анябвгд", app->pupilName);

    // Without a settings screen there is no Options button.
    app->settingsScreen.clear();
    Dialog* plain = ShowTitle();
    EXPECT_EQ(2u, ChildrenOf<screens::Button>(plain).size());
    // Exit, at the top right, ends the program.
    EXPECT_FALSE(Click(CentreOf(ChildrenOf<screens::Button>(plain).at(1))));
}

TEST_F(TitleScreenTest, SkinsAndTextsLandWhereThePageSaysThem)
{
    Dialog* title = ShowTitle();
    RECT r;
    const platform::d3d9test::Frame frame = Frame();
    ASSERT_FALSE(frame.Empty());

    // Start at (690, 450): the frame shows the skin's own pixel there.
    ChildrenOf<screens::Button>(title).at(0)->GetRect(&r);
    IMResourceManager* manager = IMResourceManager::Instance();
    const POINT c{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
    uint32_t skinPixel = 0;
    ASSERT_TRUE(
        manager->CopiedTexel(manager->FindTexture(L"StartPopStartButton"), c.x, c.y, &skinPixel));
    ASSERT_EQ(0xFFu, skinPixel >> 24);
    EXPECT_EQ(skinPixel & 0xFFFFFF, frame.At(690 + c.x, 450 + c.y) & 0xFFFFFF);

    // "Номер ЦОР:" at (30, 115): dark ink inside its rectangle, none just above.
    LineWithText(title, L"Номер ЦОР:")->GetRect(&r);
    auto inkIn = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const uint32_t p = frame.At(x, y);
                n += ((p >> 16) & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x70;
            }
        return n;
    };
    EXPECT_GT(inkIn(r.top, r.bottom), 50);
    EXPECT_EQ(0, inkIn(r.top - 12, r.top));
}

// The title screen: centred lines, the description's scrolling, the name
// bar, Start and Enter, Options over the page, and what lands on the screen.
#include "app/screens/title_screen.h"
#include "app/screens/screens_fixture.h"

#include <cstring>

using namespace app_test;

namespace {

class TitleScreenTest : public ScreensTest {
protected:
    IMEditBar* NameBar(Dialog* title)
    {
        std::vector<IMEditBar*> bars = ChildrenOf<IMEditBar>(title);
        return bars.size() == 1 ? bars[0] : nullptr;
    }
    // The buttons of the page itself (not those of its scroll bar).
    std::vector<screens::Button*> Buttons(Dialog* title)
    {
        return ChildrenOf<screens::Button>(title);
    }
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

TEST_F(TitleScreenTest, LinesAreCentredByHalvesTruncatedTowardZero)
{
    EXPECT_EQ(350, screens::CentredLeft(800, 101));
    EXPECT_EQ(350, screens::CentredLeft(800, 100));
    EXPECT_EQ(349, screens::CentredLeft(799, 101));
    Dialog* title = ShowTitle();
    for (const wchar_t* text : {L"трувель", L"Ольмарис"}) {
        screens::TextLine* line = LineWithText(title, text);
        ASSERT_NE(nullptr, line);
        RECT r;
        line->GetRect(&r);
        EXPECT_EQ(400 - (r.right - r.left) / 2, r.left);
    }
}

TEST_F(TitleScreenTest, OnlyADescriptionTallerThanItsFrameGetsTheScrollBar)
{
    screens::TitleScreen shortOne = BuildWith(L"Коротко.");
    EXPECT_TRUE(shortOne.scroll->IsHidden());
    EXPECT_EQ(shortOne.description->GetHeight(), shortOne.descriptionContent->GetHeight());

    screens::TitleScreen empty = BuildWith(L"");
    EXPECT_TRUE(empty.scroll->IsHidden());
    EXPECT_EQ(235, empty.descriptionContent->GetHeight());

    std::wstring text;
    for (int i = 0; i < 3; ++i)
        text += std::wstring(exercise::kDescription) + L" ";
    text += L"Конец.";
    screens::TitleScreen longOne = BuildWith(text);
    const int h = longOne.description->GetHeight();
    ASSERT_GT(h, screens::kDescriptionFrameHeight);
    EXPECT_FALSE(longOne.scroll->IsHidden());
    EXPECT_EQ(0, longOne.scroll->position);

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
    Pump();
    EXPECT_FALSE(app->mainWindow->IsLiveChild(title));
    EXPECT_EQ(L"Ёлкин Щ.", app->pupilName);
    EXPECT_NE(nullptr, app->workbook);
    EXPECT_TRUE(app->modal);
    // One instruction, whose closing starts the run once.
    ASSERT_EQ(1u, app->mainWindow->LiveChildren().size());
    Press(VK_ESCAPE);
    Pump();
    EXPECT_NE(nullptr, app->exerciseDialog);
    EXPECT_EQ(1, app->runNumber);
}

TEST_F(TitleScreenTest, StartWithAnEmptyNameRunsWithoutAWorkbook)
{
    Dialog* title = ShowTitle();
    std::vector<screens::Button*> buttons = Buttons(title);
    ASSERT_GE(buttons.size(), 2u);
    Click(CentreOf(buttons[0]));
    EXPECT_FALSE(app->mainWindow->IsLiveChild(title));
    EXPECT_EQ(nullptr, app->workbook);
    Press(VK_ESCAPE);
    Pump();
    EXPECT_NE(nullptr, app->exerciseDialog);
    IMApp<App>::Release();
    EXPECT_FALSE(FolderExists(dataHome.Folder() + "/ZEMT"));
}

TEST_F(TitleScreenTest, OptionsOpensTheSettingsOverThePageAndKeepsTheName)
{
    Dialog* title = ShowTitle();
    Type(L"Аня");
    std::vector<screens::Button*> buttons = Buttons(title);
    ASSERT_EQ(3u, buttons.size());
    Click(CentreOf(buttons[2]));
    Dialog* settings = Top();
    ASSERT_NE(title, settings);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(title));
    EXPECT_EQ(5u, ChildrenOf<IMEditBar>(settings).size());

    // Cancel closes the page; the name is as it was and typing goes on in it.
    Click(CentreOf(ChildrenOf<screens::Button>(settings).at(1)));
    Pump();
    EXPECT_FALSE(app->mainWindow->IsLiveChild(settings));
    Type(L"б");
    EXPECT_EQ(L"Аняб", NameBar(title)->GetText());
}

TEST_F(TitleScreenTest, WithoutASettingsScreenThereIsNoOptionsButton)
{
    app->settingsScreen.clear();
    Dialog* title = ShowTitle();
    EXPECT_EQ(2u, Buttons(title).size());
}

TEST_F(TitleScreenTest, SkinsAndTextsLandWhereThePageSaysAndTheNameBarHasTheFocus)
{
    Dialog* title = ShowTitle();
    EXPECT_TRUE(NameBar(title)->GetEdit()->IsFocused());
    const platform::d3d9test::Frame frame = Frame();
    ASSERT_FALSE(frame.Empty());

    // Start at (690, 450): the frame shows the skin's own pixel there.
    screens::Button* start = Buttons(title).at(0);
    RECT r;
    start->GetRect(&r);
    EXPECT_EQ(690, r.left);
    EXPECT_EQ(450, r.top);
    IMResourceManager* manager = IMResourceManager::Instance();
    IMTextureRecord* skin = manager->GetTextureRecord(manager->FindTexture(L"StartPopStartButton"));
    ASSERT_NE(nullptr, skin);
    const POINT c{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
    uint32_t skinPixel = 0;
    std::memcpy(&skinPixel, &skin->pixels[static_cast<size_t>(c.y) * skin->pitch + 4 * c.x], 4);
    ASSERT_EQ(0xFFu, skinPixel >> 24);
    EXPECT_EQ(skinPixel & 0xFFFFFF, frame.At(690 + c.x, 450 + c.y) & 0xFFFFFF);

    // "Номер ЦОР:" at (30, 115): dark ink inside its rectangle, none just above.
    screens::TextLine* caption = LineWithText(title, L"Номер ЦОР:");
    ASSERT_NE(nullptr, caption);
    caption->GetRect(&r);
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(115, r.top);
    auto dark = [&](int x, int y) {
        const uint32_t p = frame.At(x, y);
        return ((p >> 16) & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x70;
    };
    int inside = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            inside += dark(x, y);
    int above = 0;
    for (int y = r.top - 12; y < r.top; ++y)
        for (int x = r.left; x < r.right; ++x)
            above += dark(x, y);
    EXPECT_GT(inside, 50);
    EXPECT_EQ(0, above);
}

// The settings page: what a bar must hold to be taken, the replacement
// texts, the order in which values reach the App, Cancel, and closing.
#include "app/screens/settings_page.h"
#include "app/screens/screens_fixture.h"

#include <climits>

using namespace app_test;

TEST(SettingParse, TheWholeTextMustBeDigitsOfAnInt)
{
    int v = -7;
    EXPECT_TRUE(screens::ParseSetting(L"0", &v));
    EXPECT_EQ(0, v);
    EXPECT_TRUE(screens::ParseSetting(L"007", &v));
    EXPECT_EQ(7, v);
    EXPECT_TRUE(screens::ParseSetting(L"2147483647", &v));
    EXPECT_EQ(INT_MAX, v);
    v = 5;
    for (const wchar_t* refused : {L"", L" 5", L"5 ", L"-1", L"+5", L"5x", L"1a", L"٣",
                                   L"2147483648", L"4294967296", L"99999999999999999999999"})
        EXPECT_FALSE(screens::ParseSetting(refused, &v)) << refused;
    EXPECT_EQ(5, v);
}

namespace {

class SettingsPageTest : public ScreensTest {
protected:
    // The page as Options opens it.
    void Open()
    {
        app->RunInDialog(app->settingsScreen);
        Pump();
        page = Top();
        bars = ChildrenOf<IMEditBar>(page);
        ASSERT_EQ(5u, bars.size());
        std::vector<screens::Button*> buttons = ChildrenOf<screens::Button>(page);
        ASSERT_EQ(2u, buttons.size());
        submit = buttons[0];
        cancel = buttons[1];
    }
    void Fill(std::vector<std::wstring> texts)
    {
        for (size_t i = 0; i < texts.size(); ++i)
            bars[i]->SetText(texts[i]);
    }
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (IMEditBar* bar : bars)
            texts.push_back(bar->GetText());
        return texts;
    }
    bool IsOpen() { return app->mainWindow->IsLiveChild(page); }

    Dialog* page = nullptr;
    std::vector<IMEditBar*> bars;
    screens::Button* submit = nullptr;
    screens::Button* cancel = nullptr;
};

} // namespace

TEST_F(SettingsPageTest, TheFirstOpeningShowsTheDefaultsWithTheCaretInTheFirstBar)
{
    Open();
    EXPECT_EQ((std::vector<std::wstring>{L"512", L"128", L"1", L"7", L"10"}), Texts());
    EXPECT_TRUE(bars[0]->GetEdit()->IsFocused());
    Type(L"4");
    EXPECT_EQ(L"5124", bars[0]->GetText());
}

TEST_F(SettingsPageTest, ASpeedOutOfRangeIsReplacedAndKeepsTheSpeedItHad)
{
    app->initialSpeed = 3;
    Open();
    Fill({L"300", L"100", L"11", L"9", L"4"});
    Click(CentreOf(submit));
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(L"1", bars[2]->GetText());
    EXPECT_EQ(3, app->initialSpeed);
    // Values that passed are in the App already, before and after the bar.
    EXPECT_EQ(300, app->initialDiameter);
    EXPECT_EQ(100, app->finalDiameter);
    EXPECT_EQ(9, app->finalSpeed);
    EXPECT_EQ(4, app->bubbleCount);

    Click(CentreOf(submit));
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(1, app->initialSpeed);
}

TEST_F(SettingsPageTest, LettersInTheCountShowTheCurrentCountAndKeepThePageOpen)
{
    Open();
    Fill({L"200", L"100", L"2", L"3", L"1a"});
    Click(CentreOf(submit));
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(L"10", bars[4]->GetText());
    EXPECT_EQ(200, app->initialDiameter);
    EXPECT_EQ(3, app->finalSpeed);
    EXPECT_EQ(10, app->bubbleCount);
}

TEST_F(SettingsPageTest, ABlankBeforeTheDigitIsNotANumber)
{
    Open();
    Fill({L"512", L"128", L"1", L" 5", L"10"});
    Click(CentreOf(submit));
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(L"7", bars[3]->GetText());
    EXPECT_EQ(7, app->finalSpeed);
}

TEST_F(SettingsPageTest, CancelPutsBackWhatTheAppHoldsAndCloses)
{
    Open();
    Fill({L"9", L"abc", L"5", L"", L"77"});
    Click(CentreOf(cancel));
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(512, app->initialDiameter);
    EXPECT_EQ(128, app->finalDiameter);
    EXPECT_EQ(1, app->initialSpeed);
    EXPECT_EQ(7, app->finalSpeed);
    EXPECT_EQ(10, app->bubbleCount);
}

TEST_F(SettingsPageTest, NoughtIsAcceptedForTheDiametersAndTheCount)
{
    Open();
    Fill({L"0", L"0", L"10", L"10", L"0"});
    Click(CentreOf(submit));
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(0, app->initialDiameter);
    EXPECT_EQ(0, app->finalDiameter);
    EXPECT_EQ(0, app->bubbleCount);
}

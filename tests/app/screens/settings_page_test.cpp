// The settings page: what a bar must hold to be taken, the replacement
// texts, the order in which values reach the App, Cancel, and closing.
#include "app/screens/screens_fixture.h"
#include "app/screens/settings_page.h"

#include <climits>

using namespace app_test;

TEST(SettingParse, TheWholeTextMustBeDigitsOfAnInt)
{
    int v = -7;
    EXPECT_TRUE(screens::ParseSetting(L"007", &v));
    EXPECT_EQ(7, v);
    EXPECT_TRUE(screens::ParseSetting(L"2147483647", &v));
    EXPECT_EQ(INT_MAX, v);
    for (const wchar_t* refused : {L"", L" 5", L"5 ", L"-1", L"+5", L"5x", L"٣", L"2147483648",
                                   L"4294967296", L"99999999999999999999999"})
        EXPECT_FALSE(screens::ParseSetting(refused, &v)) << refused;
    EXPECT_EQ(INT_MAX, v);
}

namespace {

class SettingsPageTest : public ScreensTest {
protected:
    // The page as Options opens it, the bars filled as given.
    void Open(std::vector<std::wstring> texts = {})
    {
        app->RunInDialog(app->settingsScreen);
        Pump();
        page = Top();
        bars = ChildrenOf<IMEditBar>(page);
        ASSERT_EQ(5u, bars.size());
        for (size_t i = 0; i < texts.size(); ++i)
            bars[i]->SetText(texts[i]);
    }
    void Submit() { Click(CentreOf(ChildrenOf<screens::Button>(page).at(0))); }
    void Cancel() { Click(CentreOf(ChildrenOf<screens::Button>(page).at(1))); }
    bool IsOpen() { return app->mainWindow->IsLiveChild(page); }

    Dialog* page = nullptr;
    std::vector<IMEditBar*> bars;
};

} // namespace

TEST_F(SettingsPageTest, ASpeedOutOfRangeIsReplacedAndTheOtherValuesAreTakenAlready)
{
    Open();
    std::vector<std::wstring> shown;
    for (IMEditBar* bar : bars)
        shown.push_back(bar->GetText());
    EXPECT_EQ((std::vector<std::wstring>{L"512", L"128", L"1", L"7", L"10"}), shown);
    EXPECT_TRUE(bars[0]->GetEdit()->IsFocused());

    Cancel();
    app->initialSpeed = 3;
    Open({L"300", L"100", L"11", L"9", L"4"});
    Submit();
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(L"1", bars[2]->GetText());
    EXPECT_EQ(3, app->initialSpeed);
    EXPECT_EQ(300, app->initialDiameter);
    EXPECT_EQ(100, app->finalDiameter);
    EXPECT_EQ(9, app->finalSpeed);
    EXPECT_EQ(4, app->bubbleCount);
    Submit();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(1, app->initialSpeed);
}

TEST_F(SettingsPageTest, TextsThatAreNoNumbersAreReplacedAndKeepThePageOpen)
{
    // Values other than the defaults, so that a replacement text shows
    // whether it is the fixed one or the value held.
    app->initialDiameter = 300;
    app->finalDiameter = 200;
    app->finalSpeed = 5;
    app->bubbleCount = 4;
    Open({L"3OO", L"", L"2", L" 5", L"1a"});
    Submit();
    EXPECT_TRUE(IsOpen());
    std::vector<std::wstring> shown;
    for (IMEditBar* bar : bars)
        shown.push_back(bar->GetText());
    EXPECT_EQ((std::vector<std::wstring>{L"512", L"128", L"2", L"7", L"4"}), shown);
    EXPECT_EQ(300, app->initialDiameter);
    EXPECT_EQ(200, app->finalDiameter);
    EXPECT_EQ(2, app->initialSpeed);
    EXPECT_EQ(5, app->finalSpeed);
    EXPECT_EQ(4, app->bubbleCount);
}

TEST_F(SettingsPageTest, CancelRevertsAndClosesAndNoughtIsAccepted)
{
    Open({L"9", L"abc", L"5", L"", L"77"});
    Cancel();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(512, app->initialDiameter);
    EXPECT_EQ(1, app->initialSpeed);
    EXPECT_EQ(10, app->bubbleCount);

    Open({L"0", L"0", L"10", L"10", L"0"});
    Submit();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(0, app->initialDiameter);
    EXPECT_EQ(0, app->finalDiameter);
    EXPECT_EQ(0, app->bubbleCount);
}

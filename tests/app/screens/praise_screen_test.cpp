// The praise screen: which pair rand() draws, where the cloud and the clip
// stand, what the clip's end closes (and in which order), and that a clip
// that cannot be played still leads on to the results.
#include "app/screens/praise_screen.h"

#include "../shell/shell_fixture.h"
#include "framework/controls/IMAnimationBase.h"
#include "framework/video/IMTheoraView.h"
#include "platform/kernel32_resource.h"
#include "platform/winmm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace app_test;

namespace {

typedef IMAnimationBase<IMTheoraView> Video;

std::vector<LONG> RectOf(IMControl* c)
{
    RECT r;
    c->GetRect(&r);
    return {r.left, r.top, r.right, r.bottom};
}

class PraiseTest : public ShellTest {
protected:
    // The praise, joined, over an open step dialog.
    ShellApp::Dialog* ShowPraise()
    {
        app->RunNextStep();
        app->ShowPraise(0, 0);
        Pump(1);
        return dynamic_cast<ShellApp::Dialog*>(app->mainWindow->LiveChildren().back());
    }
};

} // namespace

TEST(PraisePairs, EachTakesItsShareOfTheRandomValues)
{
    EXPECT_EQ(0, screens::DrawPraisePair(6553));
    EXPECT_EQ(1, screens::DrawPraisePair(6554));
    EXPECT_EQ(4, screens::DrawPraisePair(32767));
}

TEST_F(PraiseTest, TheCloudHoldsTheClipInItsMiddle)
{
    ShellApp::Dialog* praise = ShowPraise();
    ASSERT_NE(app->stepDialog, praise);
    EXPECT_EQ((std::vector<LONG>{0, 0, 800, 600}), RectOf(praise));
    const std::vector<IMControl*> children = praise->LiveChildren();
    ASSERT_EQ(2u, children.size());
    Video* video = dynamic_cast<Video*>(children[0]);
    ASSERT_NE(nullptr, video);
    EXPECT_EQ((std::vector<LONG>{93, 76, 413, 276}), RectOf(video));
    EXPECT_EQ((std::vector<LONG>{0, 0, 506, 350}), RectOf(children[1]));
    EXPECT_EQ(5000, video->period);
    EXPECT_TRUE(video->IsPlaying());
    // The cloud alone holds the cloud's texture.
    IMResourceManager* manager = IMResourceManager::Instance();
    EXPECT_EQ(1, manager->GetTextureRecord(manager->FindTexture(L"oblako_png"))->refCount);
}

TEST_F(PraiseTest, TheClipsEndClosesThePraiseAndThenTheStepWhichLeadsToTheResults)
{
    ShellApp::Dialog* praise = ShowPraise();
    std::vector<std::string> log;
    praise->ConnectClosing([&](const IMEvent&) -> long {
        log.push_back("praise");
        return 0;
    });
    app->stepDialog->ConnectClosing([&](const IMEvent&) -> long {
        log.push_back("step");
        return 0;
    });
    dynamic_cast<Video*>(praise->LiveChildren()[0])->OnFinished();
    EXPECT_EQ((std::vector<std::string>{"praise", "step"}), log);
    EXPECT_EQ(1, app->resultsScreens);
}

TEST_F(PraiseTest, AClipThatCannotBePlayedEndsThePraiseAtOnce)
{
    const unsigned char* data[5];
    size_t size[5];
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(platform::FindEmbeddedBlob(screens::kPraisePairs[i].video, &data[i], &size[i]));
        platform::RegisterEmbeddedBlob(screens::kPraisePairs[i].video, data[i], 100);
    }
    ShowPraise();
    // One frame period of the clip, 1/12 s, on the loop's own clock.
    const DWORD start = timeGetTime();
    while (app->stepDialog && timeGetTime() - start < 10000)
        Pump(1);
    for (int i = 0; i < 5; ++i)
        platform::RegisterEmbeddedBlob(screens::kPraisePairs[i].video, data[i], size[i]);
    EXPECT_EQ(nullptr, app->stepDialog);
    EXPECT_EQ(1, app->resultsScreens);
}

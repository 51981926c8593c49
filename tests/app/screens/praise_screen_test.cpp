// The praise screen: which pair rand() draws, where the cloud and the clip
// stand, what the clip's end closes (and in which order), and that a clip
// that cannot be played still leads on to the results.
#include "app/screens/praise_screen.h"

#include "../shell/shell_fixture.h"
#include "framework/controls/IMAnimationBase.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/video/IMTheoraView.h"
#include "platform/crt.h"
#include "platform/kernel32_resource.h"
#include "platform/winmm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace app_test;

namespace {

typedef IMAnimationBase<IMTheoraView> Video;
typedef IMStaticPictureBase<IMTextureView> Picture;

RECT RectOf(IMControl* c)
{
    RECT r;
    c->GetRect(&r);
    return r;
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PraiseTest : public ShellTest {
protected:
    // The screen shown last over the main window, once it has joined.
    ShellApp::Dialog* Screen()
    {
        Pump(1);
        std::vector<IMControl*> children = app->mainWindow->LiveChildren();
        return children.empty() ? nullptr : dynamic_cast<ShellApp::Dialog*>(children.back());
    }

    // Opens the step dialog, as Start and the instruction would.
    void OpenStep()
    {
        app->RunNextStep();
        ASSERT_NE(nullptr, app->stepDialog);
        Pump(1);
    }

    std::vector<std::string> log;
};

} // namespace

TEST(PraisePairs, EachTakesItsShareOfTheRandomValues)
{
    EXPECT_EQ(0, screens::DrawPraisePair(0));
    EXPECT_EQ(0, screens::DrawPraisePair(6553));
    EXPECT_EQ(1, screens::DrawPraisePair(6554));
    EXPECT_EQ(1, screens::DrawPraisePair(13107));
    EXPECT_EQ(2, screens::DrawPraisePair(13108));
    EXPECT_EQ(4, screens::DrawPraisePair(32767));
}

TEST_F(PraiseTest, TheCloudHoldsTheClipInItsMiddle)
{
    crt::srand(1); // the first value, 41, draws "bravo"
    app->ShowPraise(0, 0);
    ShellApp::Dialog* praise = Screen();
    ASSERT_NE(nullptr, praise);
    EXPECT_TRUE(Same(RECT{0, 0, 800, 600}, RectOf(praise)));
    const std::vector<IMControl*> children = praise->LiveChildren();
    ASSERT_EQ(2u, children.size());
    Video* video = dynamic_cast<Video*>(children[0]);
    Picture* cloud = dynamic_cast<Picture*>(children[1]);
    ASSERT_TRUE(video && cloud);
    EXPECT_TRUE(Same(RECT{93, 76, 413, 276}, RectOf(video)));
    EXPECT_TRUE(Same(RECT{0, 0, 506, 350}, RectOf(cloud)));
    EXPECT_EQ(5000, video->period);
    EXPECT_TRUE(video->IsPlaying());
    // Only the cloud holds the cloud's texture.
    IMResourceManager* manager = IMResourceManager::Instance();
    EXPECT_EQ(1, manager->GetTextureRecord(manager->FindTexture(L"oblako_png"))->refCount);
    // Not the shell's child screen: the exit dialog may open over it.
    EXPECT_EQ(nullptr, app->childScreen);
}

TEST_F(PraiseTest, TheClipsEndClosesThePraiseAndThenTheStepWhichLeadsToTheResults)
{
    OpenStep();
    app->ShowPraise(0, 0);
    ShellApp::Dialog* praise = Screen();
    ASSERT_NE(praise, app->stepDialog);
    praise->ConnectClosing([this](const IMEvent&) -> long {
        log.push_back("praise");
        return 0;
    });
    app->stepDialog->ConnectClosing([this](const IMEvent&) -> long {
        log.push_back("step");
        return 0;
    });
    dynamic_cast<Video*>(praise->LiveChildren()[0])->OnFinished();
    EXPECT_EQ((std::vector<std::string>{"praise", "step"}), log);
    EXPECT_EQ(nullptr, app->stepDialog);
    EXPECT_EQ(1, app->resultsScreens);
}

TEST_F(PraiseTest, AClipThatCannotBePlayedEndsThePraiseAtOnce)
{
    const unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(platform::FindEmbeddedBlob("bravo_video", &data, &size));
    platform::RegisterEmbeddedBlob("bravo_video", data, 100); // cut inside the headers
    OpenStep();
    crt::srand(1);
    app->ShowPraise(0, 0);
    // One frame period of the clip, 1/12 s, on the loop's own clock.
    const DWORD start = timeGetTime();
    while (app->stepDialog && timeGetTime() - start < 10000)
        Pump(1);
    platform::RegisterEmbeddedBlob("bravo_video", data, size);
    EXPECT_EQ(nullptr, app->stepDialog);
    EXPECT_EQ(1, app->resultsScreens);
}

TEST_F(PraiseTest, WithExitTheClipsEndClosesOnlyTheClipAndTheCloud)
{
    ShellApp::Dialog* target = new ShellApp::Dialog(app->mainWindow, nullptr, 0);
    app->ShowPraiseWithExit(target);
    ShellApp::Dialog* praise = Screen();
    ASSERT_NE(praise, target);
    std::vector<IMControl*> children = praise->LiveChildren();
    ASSERT_EQ(3u, children.size());
    Video* video = dynamic_cast<Video*>(children[0]);
    ASSERT_TRUE(video);
    EXPECT_TRUE(Same(RECT{230, 176, 550, 376}, RectOf(video)));
    EXPECT_TRUE(Same(RECT{137, 100, 643, 450}, RectOf(children[1])));
    EXPECT_TRUE(Same(RECT{740, 10, 780, 50}, RectOf(children[2])));
    EXPECT_EQ(901, praise->FindChildDepth(children[2]));

    target->ConnectClosing([this](const IMEvent&) -> long {
        log.push_back("target");
        return 0;
    });
    video->OnFinished();
    Pump(1);
    children = praise->LiveChildren();
    ASSERT_EQ(1u, children.size()); // the Exit picture
    EXPECT_TRUE(praise->IsLiveChild(children[0]));
    EXPECT_TRUE(log.empty());
    children[0]->OnClick(IMMouseEvent(children[0], 524, 0, 760, 30));
    EXPECT_EQ((std::vector<std::string>{"target"}), log);
}

// The video player: a clip of unknown length played to its end by the
// clock, a clip that breaks while playing, and an end signal whose first
// slot closes the player. The player's clock is held by the test, half a
// period clear of any frame edge.
#include "framework/controls/IMAnimationBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/video/IMTheoraView.h"

#include "clip_maker.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace video_test;

namespace {

class ClockedVideo : public IMAnimationBase<IMTheoraView> {
public:
    explicit ClockedVideo(IMControl::Container* parent) : IMAnimationBase<IMTheoraView>(parent) {}

    void Play()
    {
        IMAnimationBase<IMTheoraView>::Play();
        now = start;
    }

    void UpdateAfter(double periods)
    {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        now = start + static_cast<int64_t>(periods * period / 60000.0 * frequency.QuadPart);
        Update();
    }

    int64_t now = 0;

protected:
    int64_t Clock() const override { return now; }
};

class VideoPlayer : public ::testing::Test {
protected:
    // A player in its own dialog, joined, with the clip opened.
    ClockedVideo* MakePlayer(const std::vector<unsigned char>& clip)
    {
        dialog = new IMDialogBase<IMEmptyView>(window.window, nullptr, 0);
        ClockedVideo* player = new ClockedVideo(dialog);
        player->Open(clip.data(), static_cast<int>(clip.size()));
        player->period = 5000;
        player->ConnectFinished([this](const IMEvent&) -> long {
            log.push_back("finished");
            return 0;
        });
        window.Pump(2);
        return player;
    }

    testing_support::HeadlessWindow window;
    IMDialogBase<IMEmptyView>* dialog = nullptr;
    std::vector<std::string> log;
};

} // namespace

TEST_F(VideoPlayer, AClipOfUnknownLengthPlaysToItsLastFrameAndFinishesOnce)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    ClockedVideo* player = MakePlayer(clip);
    EXPECT_EQ(0, dialog->FindChildDepth(player));
    player->Play();
    for (int n = 1; n <= 9; ++n) {
        player->UpdateAfter(n + 0.5);
        EXPECT_EQ(n, player->GetFrame());
        EXPECT_TRUE(player->IsPlaying()) << n;
    }
    EXPECT_EQ(9, player->GetLastFrame());
    EXPECT_TRUE(log.empty());
    player->UpdateAfter(10.5);
    player->UpdateAfter(11.5);
    EXPECT_EQ((std::vector<std::string>{"finished"}), log);
    EXPECT_EQ(9, player->GetFrame());
}

TEST_F(VideoPlayer, AClipThatBreaksWhilePlayingEndsThere)
{
    ClipOptions options;
    options.badFrame = 4;
    const std::vector<unsigned char> clip = MakeGreyClip(options);
    ClockedVideo* player = MakePlayer(clip);
    player->Play();
    player->UpdateAfter(1.5);
    player->UpdateAfter(2.5);
    EXPECT_TRUE(log.empty());
    EXPECT_NO_THROW(player->UpdateAfter(3.5));
    EXPECT_EQ((std::vector<std::string>{"finished"}), log);
    EXPECT_FALSE(player->IsPlaying());
}

TEST_F(VideoPlayer, EverySlotOfTheEndRunsWhenTheFirstClosesThePlayer)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    ClockedVideo* player = new ClockedVideo(window.window);
    player->Open(clip.data(), static_cast<int>(clip.size()));
    window.Pump(1);
    player->ConnectFinished([player](const IMEvent&) -> long { return player->Close(); });
    player->ConnectFinished([this](const IMEvent&) -> long {
        log.push_back("second");
        return 0;
    });
    player->Play();
    player->OnFinished();
    EXPECT_EQ((std::vector<std::string>{"second"}), log);
    // Closed: nothing bound to it runs again.
    player->OnFinished();
    EXPECT_EQ(1u, log.size());
}

// The video player: a clip of unknown length played to its end by the
// clock, a clip that breaks while playing, and an end signal whose first
// slot closes the player. The player's clock is held by the test, half a
// period clear of any frame edge.
#include "framework/controls/IMAnimationBase.h"
#include "framework/video/IMTheoraView.h"

#include "clip_maker.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ClockedVideo : public IMAnimationBase<IMTheoraView> {
public:
    explicit ClockedVideo(IMControl::Container* parent) : IMAnimationBase<IMTheoraView>(parent) {}

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
    // A playing player in the window, joined, with the clip opened.
    ClockedVideo* Play(int badFrame = -1)
    {
        clip = video_test::MakeGreyClip(10, badFrame);
        ClockedVideo* player = new ClockedVideo(window.window);
        player->Open(clip.data(), static_cast<int>(clip.size()));
        player->ConnectFinished([this](const IMEvent&) -> long {
            log.push_back("finished");
            return 0;
        });
        window.Pump(1);
        player->Play();
        return player;
    }

    testing_support::HeadlessWindow window;
    std::vector<unsigned char> clip;
    std::vector<std::string> log;
};

} // namespace

TEST_F(VideoPlayer, AClipOfUnknownLengthPlaysToItsLastFrameAndFinishesOnce)
{
    ClockedVideo* player = Play();
    for (int n = 1; n <= 9; ++n)
        player->UpdateAfter(n + 0.5);
    EXPECT_EQ(9, player->GetFrame());
    EXPECT_EQ(9, player->GetLastFrame());
    EXPECT_TRUE(log.empty());
    player->UpdateAfter(10.5);
    player->UpdateAfter(11.5);
    EXPECT_EQ((std::vector<std::string>{"finished"}), log);
}

TEST_F(VideoPlayer, AClipThatBreaksWhilePlayingEndsThere)
{
    ClockedVideo* player = Play(4);
    player->UpdateAfter(1.5);
    player->UpdateAfter(2.5);
    EXPECT_NO_THROW(player->UpdateAfter(3.5));
    EXPECT_EQ((std::vector<std::string>{"finished"}), log);
    EXPECT_FALSE(player->IsPlaying());
}

TEST_F(VideoPlayer, EverySlotOfTheEndRunsWhenTheFirstClosesThePlayer)
{
    ClockedVideo* player = Play();
    player->Finished.disconnect_all_slots();
    player->ConnectFinished([player](const IMEvent&) -> long { return player->Close(); });
    player->ConnectFinished([this](const IMEvent&) -> long {
        log.push_back("second");
        return 0;
    });
    player->OnFinished();
    player->OnFinished(); // closed: nothing bound to it runs again
    EXPECT_EQ((std::vector<std::string>{"second"}), log);
}

// Glides of a picture and of the system pointer: fifty moves, one per
// one-shot 4 ms timer, the last exactly on the target; a glide whose picture
// is destroyed stops and leaves no timer behind.
#include "framework/window/IMGlide.h"
#include "support/headless_window.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <vector>

using testing_support::HeadlessWindow;

namespace {

typedef IMStaticPictureBase<IMTextureView> Picture;

class Glide : public ::testing::Test {
public:
    int LiveTimers(int from, int to) const
    {
        int live = 0;
        for (int id = from; id < to; ++id)
            live += window.window->HasTimer(id) ? 1 : 0;
        return live;
    }

protected:
    // A probe timer, made and removed at once: the timers made between two
    // probes lie strictly between their identifiers.
    int ProbeTimerId()
    {
        const int id = window.window->AddTimer(100000);
        window.window->RemoveTimer(id);
        return id;
    }

    // Pumps until no timer from `from` on is left (generous bound: the
    // glide takes 50 timer periods, longer on a loaded machine).
    bool PumpUntilNoTimers(int from)
    {
        return window.PumpUntil([&] { return LiveTimers(from, from + 200) == 0; }, 200000);
    }

    HeadlessWindow window;
};

struct MoveLog {
    long Record(const IMEvent&)
    {
        RECT r;
        picture->GetRect(&r);
        moves.push_back(POINT{r.left, r.top});
        timersAtMove.push_back(fixture->LiveTimers(firstId, firstId + 200));
        return 0;
    }
    Picture* picture = nullptr;
    Glide* fixture = nullptr;
    int firstId = 0;
    std::vector<POINT> moves;
    std::vector<int> timersAtMove;
};

} // namespace

TEST_F(Glide, FiftyMovesFromTheFirstStepExactlyToTheTarget)
{
    Picture* picture = Picture::Create(window.window, 300, 300, L"CURSOR", 0, 0xFFFFFFFF);
    ASSERT_NE(nullptr, picture);
    MoveLog log;
    log.picture = picture;
    log.fixture = this;
    const int probe = ProbeTimerId();
    log.firstId = probe + 1;
    picture->ConnectChanged(boost::bind(&MoveLog::Record, &log, boost::placeholders::_1));

    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(PumpUntilNoTimers(log.firstId));

    // Steps (3.02, 0.94): (303.02, 300.94) truncates to (303, 300).
    ASSERT_EQ(50u, log.moves.size());
    EXPECT_EQ(303, log.moves.front().x);
    EXPECT_EQ(300, log.moves.front().y);
    EXPECT_EQ(451, log.moves.back().x);
    EXPECT_EQ(347, log.moves.back().y);
    // Each move runs on a timer of its own, the one before already gone.
    for (int live : log.timersAtMove)
        EXPECT_EQ(1, live);
    EXPECT_EQ(probe + 51, ProbeTimerId());
}

TEST_F(Glide, AGlideOntoItsStartMakesFiftyMovesInPlace)
{
    Picture* picture = Picture::Create(window.window, 20, 30, L"CURSOR", 0, 0xFFFFFFFF);
    const int probe = ProbeTimerId();
    GlideTo(20.0f, 30.0f, 20, 30, picture);
    ASSERT_TRUE(PumpUntilNoTimers(probe + 1));
    EXPECT_EQ(probe + 51, ProbeTimerId());
    RECT r;
    picture->GetRect(&r);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(30, r.top);
}

TEST_F(Glide, WithoutAPictureThePointerGlides)
{
    Picture* picture = Picture::Create(window.window, 5, 6, L"CURSOR", 0, 0xFFFFFFFF);
    SetCursorPos(10, 10);
    const int probe = ProbeTimerId();
    GlideTo(10.0f, 10.0f, 451, 347, nullptr);
    ASSERT_TRUE(PumpUntilNoTimers(probe + 1));
    POINT p{0, 0};
    GetCursorPos(&p);
    EXPECT_EQ(451, p.x);
    EXPECT_EQ(347, p.y);
    RECT r;
    picture->GetRect(&r);
    EXPECT_EQ(5, r.left);
    EXPECT_EQ(6, r.top);
}

TEST_F(Glide, APictureDestroyedMidwayEndsItsGlide)
{
    Picture* picture = Picture::Create(window.window, 300, 300, L"CURSOR", 0, 0xFFFFFFFF);
    MoveLog log;
    log.picture = picture;
    log.fixture = this;
    const int probe = ProbeTimerId();
    log.firstId = probe + 1;
    picture->ConnectChanged(boost::bind(&MoveLog::Record, &log, boost::placeholders::_1));
    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(window.PumpUntil([&] { return log.moves.size() >= 3; }, 200000));

    picture->Close();
    ASSERT_TRUE(window.PumpUntil([&] { return !window.window->IsLiveChild(picture); }));
    // The chain's timer goes at its next firing: no further step is armed.
    EXPECT_TRUE(PumpUntilNoTimers(log.firstId));
    EXPECT_LT(ProbeTimerId() - probe - 1, 50);
}

TEST_F(Glide, APicturePlacedOnTheTargetMeanwhileEndsTheGlideThere)
{
    Picture* picture = Picture::Create(window.window, 300, 300, L"CURSOR", 0, 0xFFFFFFFF);
    MoveLog log;
    log.picture = picture;
    log.fixture = this;
    const int probe = ProbeTimerId();
    log.firstId = probe + 1;
    picture->ConnectChanged(boost::bind(&MoveLog::Record, &log, boost::placeholders::_1));
    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(window.PumpUntil([&] { return log.moves.size() >= 3; }, 200000));

    picture->SetPosition(451, 347);
    const size_t moves = log.moves.size();
    ASSERT_TRUE(PumpUntilNoTimers(log.firstId));
    // Not dragged back along the way: no move after the placing.
    EXPECT_EQ(moves, log.moves.size());
    RECT r;
    picture->GetRect(&r);
    EXPECT_EQ(451, r.left);
    EXPECT_EQ(347, r.top);
}

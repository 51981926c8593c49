// Glides of a picture and of the system pointer: fifty moves, one per
// one-shot 4 ms timer, the last exactly on the target; a glide ends with its
// picture, or where another hand has placed it on the target.
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
    int LiveTimers() const
    {
        int live = 0;
        for (int id = probe + 1; id < probe + 200; ++id)
            live += window.window->HasTimer(id) ? 1 : 0;
        return live;
    }

    // Records each move of the picture and the glide timers alive then.
    long Record(const IMEvent&)
    {
        RECT r;
        picture->GetRect(&r);
        moves.push_back(POINT{r.left, r.top});
        timersAtMove.push_back(LiveTimers());
        return 0;
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

    // The picture at (x, y) with its moves recorded, and the probe taken.
    void MakePicture(int x, int y)
    {
        picture = Picture::Create(window.window, x, y, L"CURSOR", 0, 0xFFFFFFFF);
        picture->ConnectChanged(boost::bind(&Glide::Record, this, boost::placeholders::_1));
        probe = ProbeTimerId();
    }

    // A pass of the driven clock outlasts a 4 ms timer: the glide's fifty
    // moves take fifty passes, whatever the machine's load.
    bool PumpUntilNoTimers()
    {
        return window.PumpUntil([&] { return LiveTimers() == 0; }, 52);
    }
    bool PumpUntilMoves(size_t n)
    {
        return window.PumpUntil([&] { return moves.size() >= n; }, static_cast<int>(n) + 2);
    }

    HeadlessWindow window;
    Picture* picture = nullptr;
    int probe = 0;
    std::vector<POINT> moves;
    std::vector<int> timersAtMove;
};

} // namespace

TEST_F(Glide, FiftyMovesFromTheFirstStepExactlyToTheTarget)
{
    MakePicture(300, 300);
    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(PumpUntilNoTimers());
    // Steps (3.02, 0.94): (303.02, 300.94) truncates to (303, 300); the
    // float sum falls short of 451 by the last move, which lands there.
    ASSERT_EQ(50u, moves.size());
    EXPECT_EQ(303, moves.front().x);
    EXPECT_EQ(300, moves.front().y);
    EXPECT_EQ(451, moves.back().x);
    EXPECT_EQ(347, moves.back().y);
    // Each move runs on a timer of its own, the one before already gone.
    for (int live : timersAtMove)
        EXPECT_EQ(1, live);
    EXPECT_EQ(probe + 51, ProbeTimerId());
}

TEST_F(Glide, AGlideOntoItsStartMakesFiftyMovesInPlace)
{
    MakePicture(20, 30);
    GlideTo(20.0f, 30.0f, 20, 30, picture);
    ASSERT_TRUE(PumpUntilNoTimers());
    EXPECT_EQ(probe + 51, ProbeTimerId());
}

TEST_F(Glide, WithoutAPictureThePointerGlides)
{
    MakePicture(5, 6);
    SetCursorPos(10, 10);
    GlideTo(10.0f, 10.0f, 451, 347, nullptr);
    ASSERT_TRUE(PumpUntilNoTimers());
    POINT p{0, 0};
    GetCursorPos(&p);
    EXPECT_EQ(451, p.x);
    EXPECT_EQ(347, p.y);
    EXPECT_TRUE(moves.empty());
}

TEST_F(Glide, APictureDestroyedMidwayEndsItsGlide)
{
    MakePicture(300, 300);
    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(PumpUntilMoves(3));
    picture->Close();
    ASSERT_TRUE(window.PumpUntil([&] { return !window.window->IsLiveChild(picture); }));
    // The chain's timer goes at its next firing: no further step is armed.
    EXPECT_TRUE(PumpUntilNoTimers());
    EXPECT_LT(ProbeTimerId() - probe - 1, 50);
}

TEST_F(Glide, APicturePlacedOnTheTargetMeanwhileEndsTheGlideThere)
{
    MakePicture(300, 300);
    GlideTo(300.0f, 300.0f, 451, 347, picture);
    ASSERT_TRUE(PumpUntilMoves(3));
    picture->SetPosition(451, 347);
    const size_t placed = moves.size();
    ASSERT_TRUE(PumpUntilNoTimers());
    // Not dragged back along the way.
    EXPECT_EQ(placed, moves.size());
}

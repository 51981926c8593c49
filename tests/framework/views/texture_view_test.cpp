// The texture view: the references it holds in the texture table, the
// source rectangle it takes, and what it draws (pixel-exact, through the
// software device).
#include "framework/views/IMTextureView.h"
#include "texture_fixture.h"

#include <gtest/gtest.h>

using testing_support::TextureTest;

namespace {

class TextureView : public TextureTest {};

RECT Source(const IMView& v)
{
    RECT r;
    v.GetSourceRect(&r);
    return r;
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST_F(TextureView, ShowingTheSameNameTwiceKeepsOneReference)
{
    const int a = MakeSolid(L"a", 8, 8, 0xFFFF0000);
    const int b = MakeSolid(L"b", 8, 8, 0xFF00FF00);
    {
        IMTextureView view;
        view.SetTexture(L"a");
        EXPECT_EQ(RefCount(a), 2);
        view.SetTexture(L"a");
        EXPECT_EQ(RefCount(a), 2);
        view.SetTexture(L"b");
        EXPECT_EQ(RefCount(a), 1);
        EXPECT_EQ(RefCount(b), 2);
        EXPECT_EQ(view.GetTextureId(), b);
    }
    EXPECT_EQ(RefCount(b), 1);
}

TEST_F(TextureView, TextureZeroIsReleasedLikeAnyOther)
{
    ASSERT_EQ(Manager().FindTexture(L"DefaultBackGround"), 0);
    const int before = RefCount(0);
    {
        IMTextureView view;
        view.SetTexture(L"DefaultBackGround");
        EXPECT_TRUE(view.HasTexture());
        EXPECT_EQ(view.GetTextureId(), 0);
        EXPECT_EQ(RefCount(0), before + 1);
    }
    EXPECT_EQ(RefCount(0), before);

    // A view that never showed anything releases nothing, not even texture 0.
    {
        IMTextureView idle;
    }
    EXPECT_EQ(RefCount(0), before);
}

TEST_F(TextureView, SourceBecomesTheWholeImageNotThePowerOfTwoTexture)
{
    MakeSolid(L"odd", 37, 25, 0xFFFFFFFF);
    IMTextureView view;
    view.SetTexture(L"odd");
    view.SetSourceRect(RECT{3, 4, 5, 6});
    view.SetTexture(L"odd"); // the same texture: the source stays
    EXPECT_TRUE(Same(Source(view), RECT{3, 4, 5, 6}));
    view.SetTexture(L"PrintButton");
    EXPECT_TRUE(Same(Source(view), RECT{0, 0, 84, 47}));
    view.SetTexture(L"103");
    EXPECT_TRUE(Same(Source(view), RECT{0, 0, 511, 470}));
}

TEST_F(TextureView, ShowingByIdentifierHoldsItsOwnReference)
{
    const int a = MakeSolid(L"a", 16, 4, 0xFF0000FF);
    {
        IMTextureView view;
        view.SetTextureById(a);
        view.SetTextureById(a);
        EXPECT_EQ(RefCount(a), 2);
        EXPECT_TRUE(Same(Source(view), RECT{0, 0, 16, 4}));
    }
    EXPECT_EQ(RefCount(a), 1);

    // An identifier that names nothing shows nothing.
    IMTextureView view;
    view.SetTextureById(Manager().SlotCount());
    EXPECT_FALSE(view.HasTexture());
}

TEST_F(TextureView, UndecodableNameLeavesTheViewEmpty)
{
    const int a = MakeSolid(L"a", 8, 8, 0xFFFFFFFF);
    const int slots = Manager().SlotCount();
    IMTextureView view;
    view.SetRect(RECT{0, 0, 8, 8});
    view.SetTexture(L"a");
    view.SetTexture(L"/no/such/picture.png");
    EXPECT_FALSE(view.HasTexture());
    EXPECT_EQ(RefCount(a), 1);               // the old texture was let go
    EXPECT_EQ(Manager().SlotCount(), slots); // and no record was made
    EXPECT_FALSE(view.HitTest(POINT{2, 2}));

    const auto frame = DrawAlone({&view}, 0xFF123456);
    EXPECT_EQ(frame.At(2, 2), 0xFF123456u);
    EXPECT_FALSE(view.IsDirty());

    view.SetTexture(L"65000"); // a resource number that exists nowhere
    EXPECT_FALSE(view.HasTexture());
}

TEST_F(TextureView, DrawsTheSourceIntoTheRectangleTinted)
{
    // Left half red, right half green.
    MakeTexture(L"halves", 8, 4, [](int x, int) { return x < 4 ? 0xFFFF0000u : 0xFF00FF00u; });
    IMTextureView view;
    view.SetTexture(L"halves");
    view.SetRect(RECT{10, 20, 26, 28}); // twice the size
    auto frame = DrawAlone({&view});
    EXPECT_EQ(frame.At(10, 20), 0xFFFF0000u);
    EXPECT_EQ(frame.At(17, 27), 0xFFFF0000u);
    EXPECT_EQ(frame.At(18, 20), 0xFF00FF00u);
    EXPECT_EQ(frame.At(25, 27), 0xFF00FF00u);
    EXPECT_EQ(frame.At(26, 20), 0xFF000000u); // right edge exclusive
    EXPECT_EQ(frame.At(10, 28), 0xFF000000u);
    EXPECT_EQ(frame.At(9, 20), 0xFF000000u);

    // Only the right half of the source.
    view.SetSourceRect(RECT{4, 0, 8, 4});
    frame = DrawAlone({&view});
    EXPECT_EQ(frame.At(10, 20), 0xFF00FF00u);

    // The disabled tint halves every channel.
    view.SetSourceRect(RECT{0, 0, 8, 4});
    view.colour = 0xFF808080;
    frame = DrawAlone({&view});
    EXPECT_EQ(frame.At(10, 20), 0xFF800000u);
    EXPECT_EQ(frame.At(25, 20), 0xFF008000u);
}

TEST_F(TextureView, RotatedQuadTurnsClockwiseAboutTheCentre)
{
    // A 40 × 20 picture: left half blue, right half red.
    MakeTexture(L"bar", 40, 20, [](int x, int) { return x < 20 ? 0xFF0000FFu : 0xFFFF0000u; });
    IMTextureView view;
    view.SetTexture(L"bar");
    view.SetRect(RECT{100, 100, 140, 120});
    view.angle = 1.5707963f;
    const auto frame = DrawAlone({&view});
    // Turned a quarter clockwise about (120, 110): the right half now lies
    // below the centre, the left half above; the old ends are empty.
    EXPECT_EQ(frame.At(120, 125), 0xFFFF0000u);
    EXPECT_EQ(frame.At(120, 95), 0xFF0000FFu);
    EXPECT_EQ(frame.At(103, 110), 0xFF000000u);
    EXPECT_EQ(frame.At(137, 110), 0xFF000000u);
}

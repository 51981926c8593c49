// The view base: rectangle operations keep what they promise to keep and
// flag the view only on a real change.
#include "framework/views/IMEmptyView.h"

#include <gtest/gtest.h>

namespace {

// Counts the flags a view raises through its virtual SetDirty.
class CountingView : public IMEmptyView {
public:
    long SetDirty(bool d) override
    {
        if (d)
            ++raised;
        return IMEmptyView::SetDirty(d);
    }
    int raised = 0;
};

} // namespace

TEST(View, EqualRectangleNeitherStoresNorFlags)
{
    CountingView v;
    v.SetRect(RECT{0, 0, 0, 0});
    v.SetSourceRect(RECT{0, 0, 0, 0});
    EXPECT_EQ(v.raised, 0);
    v.SetRect(RECT{1, 2, 3, 4});
    v.SetRect(RECT{1, 2, 3, 4});
    v.SetSourceRect(RECT{0, 0, 5, 5});
    v.SetSourceRect(RECT{0, 0, 5, 5});
    EXPECT_EQ(v.raised, 2);
    EXPECT_TRUE(v.IsDirty());
}

TEST(View, MoveKeepsTheSizeAndResizeKeepsTheCorner)
{
    IMEmptyView v;
    v.SetRect(RECT{10, 20, 40, 60});
    v.SetPosition(-5, 7);
    RECT r;
    v.GetRect(&r);
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(v.GetWidth(), 30);
    EXPECT_EQ(v.GetHeight(), 40);

    v.SetSize(3, 4);
    v.GetRect(&r);
    EXPECT_EQ(r.left, -5);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(r.right, -2);
    EXPECT_EQ(r.bottom, 11);
    POINT p;
    v.GetPosition(&p);
    EXPECT_EQ(p.x, -5);
    EXPECT_EQ(p.y, 7);
}

TEST(View, HitTestIncludesLeftAndTopOnly)
{
    IMEmptyView v;
    v.SetRect(RECT{10, 10, 20, 20});
    EXPECT_TRUE(v.HitTest(POINT{10, 10}));
    EXPECT_TRUE(v.HitTest(POINT{19, 19}));
    EXPECT_FALSE(v.HitTest(POINT{20, 15}));
    EXPECT_FALSE(v.HitTest(POINT{15, 20}));
    EXPECT_FALSE(v.HitTest(POINT{9, 15}));
}

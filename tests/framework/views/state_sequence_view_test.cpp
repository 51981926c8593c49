// The button's state view and the animation's sequence view: which name is
// shown for which state or frame, and the frame range kept inside the list.
#include "framework/views/IMSequenceView.h"
#include "framework/views/IMStateView.h"
#include "texture_fixture.h"

#include <gtest/gtest.h>

using testing_support::TextureTest;

namespace {

class StateView : public TextureTest {};
class SequenceView : public TextureTest {};

// A state view that lets the test pick its state.
class PickableStateView : public IMStateView {
public:
    using IMStateView::ShowState;
};

} // namespace

TEST_F(StateView, EmptyNamesStandForTheNormalTexture)
{
    const int normal = MakeSolid(L"normal", 4, 4, 0xFFFF0000);
    const int hover = MakeSolid(L"hover", 4, 4, 0xFF00FF00);
    PickableStateView view;
    view.SetStateTextures(L"normal", L"", L"hover", L"");
    EXPECT_EQ(view.GetTextureId(), normal);
    view.ShowState(IMStateView::StateDisabled);
    EXPECT_EQ(view.GetTextureId(), normal);
    view.ShowState(IMStateView::StateMouseOver);
    EXPECT_EQ(view.GetTextureId(), hover);
    view.ShowState(IMStateView::StatePressed);
    EXPECT_EQ(view.GetTextureId(), normal);
    EXPECT_EQ(view.GetState(), IMStateView::StatePressed);
    EXPECT_EQ(view.GetStateTexture(IMStateView::StatePressed), L"normal");
    EXPECT_EQ(RefCount(normal), 2);
    EXPECT_EQ(RefCount(hover), 1);
}

TEST_F(StateView, NamesAloneHoldNoReference)
{
    const int pressed = MakeSolid(L"pressed", 4, 4, 0xFF0000FF);
    PickableStateView view;
    view.SetStateTextures(L"PrintButton", L"", L"", L"pressed");
    EXPECT_EQ(RefCount(pressed), 1);
    view.ShowState(IMStateView::StatePressed);
    EXPECT_EQ(RefCount(pressed), 2);
    view.ShowState(IMStateView::StateNormal);
    EXPECT_EQ(RefCount(pressed), 1);
}

TEST_F(StateView, NamingTexturesShowsTheCurrentState)
{
    MakeSolid(L"one", 4, 4, 0xFFFF0000);
    const int two = MakeSolid(L"two", 4, 4, 0xFF00FF00);
    PickableStateView view;
    view.ShowState(IMStateView::StateMouseOver); // nothing named yet: nothing shown
    EXPECT_FALSE(view.HasTexture());
    view.SetStateTextures(L"one", L"", L"two", L"");
    EXPECT_EQ(view.GetTextureId(), two);
}

TEST_F(SequenceView, RangeSettersClampIntoTheList)
{
    IMSequenceView view;
    view.SetFirstFrame(3);
    view.SetLastFrame(10);
    EXPECT_EQ(view.GetFirstFrame(), 0);
    EXPECT_EQ(view.GetLastFrame(), 0);

    for (int i = 0; i < 4; ++i)
        view.AddFrame(L"PrintButton");
    view.SetLastFrame(10);
    EXPECT_EQ(view.GetLastFrame(), 3);
    view.SetFirstFrame(-5);
    EXPECT_EQ(view.GetFirstFrame(), 0);
    view.SetFirstFrame(2);
    EXPECT_EQ(view.GetFirstFrame(), 2);
    view.SetLastFrame(4);
    EXPECT_EQ(view.GetLastFrame(), 3);
}

TEST_F(SequenceView, FirstFrameAddedIsShownAtOnce)
{
    const int a = MakeSolid(L"a", 6, 3, 0xFFFF0000);
    const int b = MakeSolid(L"b", 6, 3, 0xFF00FF00);
    IMSequenceView view;
    view.AddFrame(L"a");
    EXPECT_TRUE(view.HasTexture());
    EXPECT_EQ(view.GetTextureId(), a);
    EXPECT_EQ(view.GetFrame(), 0);
    view.AddFrame(L"b"); // still the first frame of the range
    EXPECT_EQ(view.GetTextureId(), a);
    EXPECT_EQ(RefCount(b), 1);
    view.SetFrame(1);
    EXPECT_EQ(view.GetTextureId(), b);
    EXPECT_EQ(view.GetFrame(), 1);
    EXPECT_EQ(RefCount(a), 1);
}

TEST_F(SequenceView, FrameOutsideTheListChangesNothing)
{
    const int a = MakeSolid(L"a", 6, 3, 0xFFFF0000);
    IMSequenceView view;
    view.SetFrame(0); // empty list
    EXPECT_FALSE(view.HasTexture());
    view.AddFrame(L"a");
    view.SetFrame(1);
    view.SetFrame(-1);
    view.SetFrame(0x7FFFFFFF);
    EXPECT_EQ(view.GetFrame(), 0);
    EXPECT_EQ(view.GetTextureId(), a);
    EXPECT_EQ(RefCount(a), 2);
}

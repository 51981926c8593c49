// How a container routes events: its own signals first, then the child
// under the pointer or with the focus, in the container's coordinates; the
// hovered child, focus moves and the dirty state of the tree.
#include "support/probe_control.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace boost::placeholders;
using testing_support::Merge;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

struct Trace : boost::signals2::trackable {
    long Mouse(const std::string& who, const IMMouseEvent& e)
    {
        lines.push_back(who + " " + std::to_string(e.code) + " " + std::to_string(e.x) + "," +
                        std::to_string(e.y));
        return 0;
    }
    long Key(const std::string& who, const IMKeyboardEvent& e)
    {
        lines.push_back(who + " key " + std::to_string(e.wParam));
        return 0;
    }
    long Event(const std::string& who, const IMEvent& e)
    {
        lines.push_back(who + " " + std::to_string(e.code));
        return 0;
    }
    std::vector<std::string> lines;
};

void WatchHover(IMControl* c, const std::string& name, Trace& t)
{
    c->ConnectMouseEntered(boost::bind(&Trace::Mouse, &t, name + " entered", _1));
    c->ConnectMouseLeft(boost::bind(&Trace::Mouse, &t, name + " left", _1));
}

class Routing : public ::testing::Test {
protected:
    Routing() : root(nullptr, nullptr, 0) {}

    void Move(int x, int y) { root.OnMouseMove(IMMouseEvent(nullptr, 512, 0, x, y)); }
    void Press(int code, DWORD keys, int x, int y)
    {
        root.OnMouseButton(IMMouseEvent(nullptr, code, keys, x, y));
    }

    ProbeLog log;
    IMDialogBase<IMEmptyView> root;
    Trace trace;
};

} // namespace

TEST_F(Routing, EnteredChildHearsOfThePointerBeforeTheChildLeft)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{50, 0, 100, 50}, 0, "b", &log);
    Merge(root);
    WatchHover(a, "a", trace);
    WatchHover(b, "b", trace);
    Move(10, 10);
    Move(60, 10);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"a entered 523 10,10", "b entered 523 60,10",
                                                     "a left 675 60,10"}));
    EXPECT_FALSE(a->IsMouseOver());
    EXPECT_TRUE(b->IsMouseOver());
}

TEST_F(Routing, HigherDepthAndLaterJoinWinTheHoverAndPaintLast)
{
    Probe* low = new Probe(&root, RECT{0, 0, 100, 100}, 0, "low", &log);
    Probe* high = new Probe(&root, RECT{0, 0, 100, 100}, 5, "high", &log);
    Probe* lowLater = new Probe(&root, RECT{0, 0, 100, 100}, 0, "lowLater", &log);
    Merge(root);
    Move(10, 10);
    EXPECT_EQ(root.GetHoveredChild(), high);
    high->Hide();
    EXPECT_EQ(root.GetHoveredChild(), lowLater);
    lowLater->Hide();
    EXPECT_EQ(root.GetHoveredChild(), low);

    high->Show();
    lowLater->Show();
    log.events.clear();
    root.OnPaint(IMEvent(&root, 15));
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw low", "draw lowLater", "draw high"}));
}

TEST_F(Routing, DisabledChildIsStillHovered)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Merge(root);
    a->Disable();
    Move(5, 5);
    EXPECT_EQ(root.GetHoveredChild(), a);
}

TEST_F(Routing, ContainerSignalsUseParentCoordinatesChildrenTheContainers)
{
    IMDialogBase<IMEmptyView>* dialog =
        IMDialogBase<IMEmptyView>::Create(&root, 100, 200, 300, 300, 0);
    Probe* child = new Probe(dialog, RECT{10, 10, 60, 60}, 0, "child", &log);
    Merge(root);
    dialog->ConnectMouseMoved(boost::bind(&Trace::Mouse, &trace, "dialog moved", _1));
    dialog->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "dialog button", _1));
    child->ConnectMouseMoved(boost::bind(&Trace::Mouse, &trace, "child moved", _1));
    child->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "child button", _1));
    child->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "child clicked", _1));

    Move(120, 220);
    Press(513, 1, 120, 220);
    Press(514, 0, 120, 220);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{
                               "dialog moved 512 120,220",
                               "child moved 512 20,20",
                               "dialog button 513 120,220",
                               "child button 513 20,20",
                               "dialog button 514 120,220",
                               "child clicked 524 20,20",
                               "child button 514 20,20",
                           }));
}

TEST_F(Routing, PressAndReleaseOnDifferentChildrenMakeNoClick)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{50, 0, 100, 50}, 0, "b", &log);
    Merge(root);
    a->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "a clicked", _1));
    b->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "b clicked", _1));
    Move(10, 10);
    Press(513, 1, 10, 10);
    Move(60, 10);
    Press(514, 0, 60, 10);
    EXPECT_TRUE(trace.lines.empty());
}

TEST_F(Routing, HidingTheHoveredChildMovesTheHoverWithoutAMove)
{
    Probe* under = new Probe(&root, RECT{0, 0, 100, 100}, 0, "under", &log);
    Probe* over = new Probe(&root, RECT{0, 0, 100, 100}, 1, "over", &log);
    Merge(root);
    Move(30, 40);
    WatchHover(under, "under", trace);
    WatchHover(over, "over", trace);
    over->Hide();
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"under entered 523 30,40", "over left 675 30,40"}));
}

struct HideOnEnter {
    long operator()(const IMMouseEvent&) const
    {
        control->Hide();
        return 0;
    }
    IMControl* control;
};

struct MoveOnEnter {
    long operator()(const IMMouseEvent&) const
    {
        control->SetRect(RECT{200, 200, 250, 250});
        return 0;
    }
    IMControl* control;
};

TEST_F(Routing, AChildThatHidesOrMovesAsThePointerEntersDoesNotStayHovered)
{
    // The pointer comes from another child, so the entered child's slot
    // runs while the old one still waits to hear that it was left.
    Probe* from = new Probe(&root, RECT{200, 0, 250, 50}, 0, "from", &log);
    Probe* under = new Probe(&root, RECT{0, 0, 100, 100}, 0, "under", &log);
    Probe* hider = new Probe(&root, RECT{0, 0, 50, 50}, 1, "hider", &log);
    Probe* mover = new Probe(&root, RECT{50, 50, 100, 100}, 1, "mover", &log);
    Merge(root);
    hider->ConnectMouseEntered(HideOnEnter{hider});
    mover->ConnectMouseEntered(MoveOnEnter{mover});
    hider->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "hider clicked", _1));
    under->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "under clicked", _1));
    WatchHover(from, "from", trace);

    Move(210, 10);
    Move(10, 10);
    EXPECT_EQ(root.GetHoveredChild(), under);
    EXPECT_TRUE(under->IsMouseOver());
    EXPECT_FALSE(hider->IsMouseOver());
    EXPECT_FALSE(from->IsMouseOver());
    // The next press goes to the child that can be seen there.
    Press(513, 1, 10, 10);
    Press(514, 0, 10, 10);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"from entered 523 210,10", "from left 675 10,10",
                                        "under clicked 524 10,10"}));

    Move(210, 10);
    Move(60, 60);
    EXPECT_EQ(root.GetHoveredChild(), under);
    EXPECT_FALSE(mover->IsMouseOver());
}

TEST_F(Routing, StoredPointerStartsAtTheOrigin)
{
    // Before any mouse move, a change of a child re-runs the hover search
    // from (0, 0): a child there is hovered, one elsewhere is not.
    Probe* corner = new Probe(&root, RECT{0, 0, 10, 10}, 0, "corner", &log);
    Probe* away = new Probe(&root, RECT{20, 20, 30, 30}, 0, "away", &log);
    Merge(root);
    away->SetDirty(true);
    EXPECT_EQ(root.GetHoveredChild(), nullptr);
    corner->SetDirty(true);
    EXPECT_EQ(root.GetHoveredChild(), corner);
    IMMouseEvent last = root.LastMouseMoveEvent(corner);
    EXPECT_EQ(last.x, 0);
    EXPECT_EQ(last.y, 0);
    EXPECT_EQ(last.code, 512);
}

TEST_F(Routing, ChangeOfAChildAwayFromThePointerDoesNotSearch)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{200, 200, 250, 250}, 0, "b", &log);
    Merge(root);
    Move(10, 10);
    ASSERT_EQ(root.GetHoveredChild(), a);
    // b moves under the pointer: its own change runs the search.
    b->SetRect(RECT{0, 0, 50, 50});
    EXPECT_EQ(root.GetHoveredChild(), b);
}

TEST_F(Routing, LeavingTheContainerLeavesItsHoveredChild)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Merge(root);
    Move(5, 5);
    WatchHover(a, "a", trace);
    root.OnMouseLeave(IMMouseEvent(nullptr, 675, 0, 900, 900));
    EXPECT_EQ(root.GetHoveredChild(), nullptr);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"a left 675 900,900"}));
}

TEST_F(Routing, LeftPressMovesTheFocusToAFocusableChild)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{50, 0, 100, 50}, 0, "b", &log);
    Probe* plain = new Probe(&root, RECT{100, 0, 150, 50}, 0, "plain", &log);
    a->SetFocusable(true);
    b->SetFocusable(true);
    Merge(root);
    plain->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "plain button", _1));

    Move(10, 10);
    Press(513, 1, 10, 10);
    Press(514, 0, 10, 10);
    EXPECT_EQ(root.GetFocusedChild(), a);
    EXPECT_TRUE(a->IsFocused());
    EXPECT_TRUE(root.IsFocused()); // focus climbs to the container

    Move(60, 10);
    Press(516, 2, 60, 10); // a right press never moves the focus
    Press(519, 16, 60, 10);
    EXPECT_EQ(root.GetFocusedChild(), a);
    Press(513, 1, 60, 10);
    EXPECT_EQ(root.GetFocusedChild(), b);
    EXPECT_FALSE(a->IsFocused());

    Move(110, 10);
    Press(513, 1, 110, 10); // not focusable: the focus stays, the press arrives
    EXPECT_EQ(root.GetFocusedChild(), b);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"plain button 513 110,10"}));
}

TEST_F(Routing, KeysGoToTheFocusedChildAfterTheContainersOwnSignals)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{50, 0, 100, 50}, 0, "b", &log);
    a->SetFocusable(true);
    b->SetFocusable(true);
    Merge(root);
    root.ConnectKeyDown(boost::bind(&Trace::Key, &trace, "root", _1));
    a->ConnectKeyDown(boost::bind(&Trace::Key, &trace, "a", _1));
    b->ConnectKeyDown(boost::bind(&Trace::Key, &trace, "b", _1));

    root.OnKey(IMKeyboardEvent(nullptr, 256, 1, 0));
    b->SetFocus(true);
    root.OnKey(IMKeyboardEvent(nullptr, 256, 2, 0));
    a->SetFocus(true);
    root.OnKey(IMKeyboardEvent(nullptr, 256, 3, 0));
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"root key 1", "root key 2", "b key 2",
                                                     "root key 3", "a key 3"}));
    EXPECT_FALSE(b->IsFocused());
}

TEST_F(Routing, FocusLostReachesEveryDescendant)
{
    IMDialogBase<IMEmptyView>* dialog = IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 100, 100, 0);
    Probe* a = new Probe(dialog, RECT{0, 0, 50, 50}, 0, "a", &log);
    a->SetFocusable(true);
    Merge(root);
    a->SetFocus(true);
    ASSERT_TRUE(dialog->IsFocused());
    ASSERT_EQ(root.GetFocusedChild(), dialog);
    dialog->SetFocus(false);
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ(dialog->GetFocusedChild(), nullptr);
    EXPECT_EQ(root.GetFocusedChild(), nullptr);
}

// An overlay clicked over a screen takes the focus; when it closes, the
// screen has it again, down to the child that held it.
TEST_F(Routing, AClosedOverlayGivesTheFocusBackAsItWas)
{
    IMDialogBase<IMEmptyView>* screen = IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 100, 100, 0);
    Probe* field = new Probe(screen, RECT{0, 0, 50, 50}, 0, "field", &log);
    field->SetFocusable(true);
    field->SetFocus(true);
    Merge(root);
    for (int depth : {1099, 0}) {
        IMDialogBase<IMEmptyView>* overlay =
            IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 100, 100, depth);
        Merge(root);
        Move(10, 10);
        Press(513, 1, 10, 10);
        ASSERT_EQ(root.GetFocusedChild(), overlay) << depth;
        EXPECT_FALSE(field->IsFocused());
        overlay->Hide();
        overlay->Close();
        EXPECT_EQ(root.GetFocusedChild(), screen) << depth;
        EXPECT_EQ(screen->GetFocusedChild(), field);
        EXPECT_TRUE(field->IsFocused());
        Merge(root);
    }
}

// A screen made under a pointer that does not move knows the control under
// it: hovered as it joins when the pointer is known to be on the container,
// and clicked in any case.
TEST_F(Routing, AScreenBuiltUnderAStillPointerIsHoveredAndClicked)
{
    root.OnMouseEnter(IMMouseEvent(&root, 523, 0, 0, 0)); // as the window tracks it
    Move(60, 10);
    for (bool pointerKnownOn : {true, false}) {
        if (!pointerKnownOn)
            root.OnMouseLeave(IMMouseEvent(&root, 675, 0, 0, 0));
        IMDialogBase<IMEmptyView>* screen =
            IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 200, 100, 0);
        Probe* button = new Probe(screen, RECT{50, 0, 100, 50}, 0, "button", &log);
        button->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "clicked", _1));
        Merge(root);
        EXPECT_EQ(pointerKnownOn, root.GetHoveredChild() == screen);
        EXPECT_EQ(pointerKnownOn, screen->GetHoveredChild() == button);
        Press(513, 1, 60, 10);
        Press(514, 0, 60, 10);
        EXPECT_EQ(root.GetFocusedChild(), screen);
        screen->Close();
        Merge(root);
    }
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"clicked 524 60,10", "clicked 524 60,10"}));
}

TEST_F(Routing, DirtyFlagsOfTheTree)
{
    IMDialogBase<IMEmptyView>* dialog = IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 100, 100, 0);
    Probe* a = new Probe(dialog, RECT{0, 0, 50, 50}, 0, "a", &log);
    Merge(root);
    root.SetDirty(false);
    EXPECT_FALSE(root.IsDirty());

    a->SetDirty(true);
    EXPECT_TRUE(root.IsDirty()); // any descendant makes it dirty
    root.SetDirty(false);
    EXPECT_FALSE(a->IsDirty()); // clearing reaches every descendant

    a->SetDirty(false);
    root.SetDirty(true);
    EXPECT_FALSE(a->IsDirty()); // setting touches no child
    EXPECT_FALSE(dialog->IsDirty());
}

TEST_F(Routing, SameRectangleFiresNoChange)
{
    Probe* a = new Probe(&root, RECT{0, 0, 50, 50}, 0, "a", &log);
    Merge(root);
    a->ConnectChanged(boost::bind(&Trace::Event, &trace, "a changed", _1));
    a->SetRect(RECT{0, 0, 50, 50});
    a->SetPosition(0, 0);
    EXPECT_TRUE(trace.lines.empty());
    a->SetPosition(1, 0);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"a changed 0"}));
    RECT r;
    a->GetRect(&r);
    EXPECT_EQ(r.right, 51);
}

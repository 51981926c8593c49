// A control joined with its view: the view's changes become the control's,
// and the state operations make the control dirty after the flag changed.
#include "support/probe_control.h"

#include <gtest/gtest.h>

using testing_support::Merge;
using testing_support::Probe;
using testing_support::ProbeLog;

TEST(ViewControl, StateOperationsMakeTheControlDirty)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* p = new Probe(&root, RECT{0, 0, 10, 10}, 0, "p", nullptr);
    Merge(root);
    bool hiddenWhenChanged = false;
    p->ConnectChanged([&](const IMEvent&) -> long {
        hiddenWhenChanged = p->IsHidden();
        return 0;
    });
    using Operation = long (IMControl::*)();
    for (Operation op :
         {&IMControl::Disable, &IMControl::Enable, &IMControl::Hide, &IMControl::Show}) {
        p->SetDirty(false);
        (p->*op)();
        EXPECT_TRUE(p->IsDirty());
    }
    p->Hide();
    EXPECT_TRUE(hiddenWhenChanged); // dirty comes after the flag
}

TEST(ViewControl, HiddenControlIsNeverHit)
{
    Probe p(nullptr, RECT{0, 0, 10, 10}, 0, "p", nullptr);
    EXPECT_TRUE(p.HitTest(5, 5));
    p.Hide();
    EXPECT_FALSE(p.HitTest(5, 5));
}

TEST(ViewControl, ViewOperationsLandInTheControl)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* p = new Probe(&root, RECT{100, 100, 110, 110}, 0, "p", nullptr);
    Merge(root);
    root.OnMouseMove(IMMouseEvent(nullptr, 512, 0, 3, 3));
    ASSERT_EQ(root.GetHoveredChild(), nullptr);
    int changes = 0;
    p->ConnectChanged([&changes](const IMEvent&) -> long {
        ++changes;
        return 0;
    });

    // Moving the view under the pointer makes the control hovered.
    IMView* view = p;
    view->MoveTo(POINT{0, 0});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(root.GetHoveredChild(), p);
    view->SetSize(2, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(root.GetHoveredChild(), nullptr); // (3, 3) is off it now
    IMControl* control = p;
    RECT r;
    control->GetRect(&r);
    EXPECT_EQ(r.right, 2);
    EXPECT_TRUE(control->IsDirty());
}

// The container's children through their life: pending, live, queued and
// deleted; what each state lets them receive, and who deletes them.
#include "support/probe_control.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <algorithm>

using namespace boost::placeholders;
using testing_support::Merge;
using testing_support::Probe;
using testing_support::ProbeContainer;
using testing_support::ProbeLog;

namespace {

bool Logged(const ProbeLog& log, const std::string& event)
{
    return std::find(log.events.begin(), log.events.end(), event) != log.events.end();
}

long CountingSlot(int* counter, const IMEvent&)
{
    ++*counter;
    return 0;
}

} // namespace

TEST(ContainerLifecycle, NewChildWaitsForTheNextUpdateButMakesTheContainerDirty)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    root.SetDirty(false);
    Probe* child = new Probe(&root, RECT{0, 0, 100, 100}, 0, "a", &log);
    child->SetDirty(false);
    EXPECT_TRUE(root.IMViewControl<IMEmptyView>::IsDirty());
    EXPECT_TRUE(root.IsPendingChild(child));
    EXPECT_FALSE(root.IsLiveChild(child));

    int updates = 0;
    child->ConnectUpdated(boost::bind(&CountingSlot, &updates, _1));
    root.OnPaint(IMEvent(&root, 15));
    root.OnMouseMove(IMMouseEvent(nullptr, 512, 0, 10, 10));
    EXPECT_TRUE(log.draws.empty());
    EXPECT_EQ(root.GetHoveredChild(), nullptr);

    Merge(root);
    EXPECT_TRUE(root.IsLiveChild(child));
    EXPECT_EQ(updates, 1); // merged first, then updated in the same pass
    root.OnPaint(IMEvent(&root, 15));
    EXPECT_EQ(log.draws.size(), 1u);
}

TEST(ContainerLifecycle, ChildMadeDuringAnUpdateJoinsAtTheNextOne)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* spawner = new Probe(&root, RECT{0, 0, 10, 10}, 0, "spawner", &log);
    Probe* spawned = nullptr;
    spawner->ConnectUpdated([&](const IMEvent&) -> long {
        if (!spawned)
            spawned = new Probe(&root, RECT{0, 0, 10, 10}, 0, "spawned", &log);
        return 0;
    });
    Merge(root);
    ASSERT_NE(spawned, nullptr);
    EXPECT_TRUE(root.IsPendingChild(spawned));
    Merge(root);
    EXPECT_TRUE(root.IsLiveChild(spawned));
}

TEST(ContainerLifecycle, ClosingAPendingChildDeletesItAtOnce)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* child = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", &log);
    child->Close();
    EXPECT_TRUE(Logged(log, "destroyed a"));
    EXPECT_FALSE(root.IsPendingChild(child));
    Merge(root); // nothing left to merge or delete
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "destroyed a"), 1);
}

TEST(ContainerLifecycle, ClosedPendingChildThatHeldTheFocusLeavesNoDanglingFocus)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* child = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", nullptr);
    child->SetFocusable(true);
    child->SetFocus(true);
    ASSERT_EQ(root.GetFocusedChild(), child);
    child->Close();
    EXPECT_EQ(root.GetFocusedChild(), nullptr);
    // A key must not reach the deleted child.
    root.OnKey(IMKeyboardEvent(nullptr, 256, 13, 0));
}

TEST(ContainerLifecycle, LiveChildClosedTwiceIsQueuedAndDeletedOnce)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* child = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", &log);
    Merge(root);
    child->Close();
    child->Close();
    EXPECT_FALSE(Logged(log, "destroyed a")); // still valid until the update
    EXPECT_TRUE(root.IsLiveChild(child));
    Merge(root);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "destroyed a"), 1);
    EXPECT_FALSE(root.IsLiveChild(child));
}

TEST(ContainerLifecycle, QueuedChildrenAreDeletedInReverseOrder)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* a = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", &log);
    Probe* b = new Probe(&root, RECT{0, 0, 10, 10}, 3, "b", &log);
    Probe* c = new Probe(&root, RECT{0, 0, 10, 10}, 1, "c", &log);
    Merge(root);
    b->Close();
    a->Close();
    c->Close();
    log.events.clear();
    Merge(root);
    EXPECT_EQ(log.events, (std::vector<std::string>{"destroyed c", "destroyed a", "destroyed b"}));
}

TEST(ContainerLifecycle, ChildClosedDuringTheUpdateIsDeletedAtItsEnd)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* child = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", &log);
    Merge(root);
    child->ConnectUpdated([child](const IMEvent&) -> long {
        child->Close();
        return 0;
    });
    Merge(root);
    EXPECT_TRUE(Logged(log, "destroyed a"));
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST(ContainerLifecycle, ChildMayCloseItselfFromItsOwnClickSlot)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* child = new Probe(&root, RECT{0, 0, 10, 10}, 0, "a", &log);
    Merge(root);
    int clicks = 0;
    child->ConnectClicked(boost::bind(&IMControl::Close, child));
    child->ConnectClicked([&clicks](const IMMouseEvent&) -> long {
        ++clicks;
        return 0;
    });
    root.OnMouseMove(IMMouseEvent(nullptr, 512, 0, 5, 5));
    root.OnMouseButton(IMMouseEvent(nullptr, 513, 1, 5, 5));
    root.OnMouseButton(IMMouseEvent(nullptr, 514, 0, 5, 5));
    EXPECT_FALSE(Logged(log, "destroyed a"));
    Merge(root);
    EXPECT_TRUE(Logged(log, "destroyed a"));
    EXPECT_EQ(root.GetHoveredChild(), nullptr);
    // The pointer still moves over the place where the child was.
    root.OnMouseMove(IMMouseEvent(nullptr, 512, 0, 6, 6));
    root.OnMouseButton(IMMouseEvent(nullptr, 513, 1, 6, 6));
}

TEST(ContainerLifecycle, DestroyedContainerDeletesChildrenNeverClosed)
{
    ProbeLog log;
    {
        IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
        new Probe(&root, RECT{0, 0, 10, 10}, 0, "live", &log);
        ProbeContainer* inner = new ProbeContainer(&root, nullptr, 2, "inner", &log);
        Merge(root);
        new Probe(inner, RECT{0, 0, 10, 10}, 0, "inner-pending", &log);
        new Probe(&root, RECT{0, 0, 10, 10}, 1, "pending", &log);
        Probe* queued = new Probe(&root, RECT{0, 0, 10, 10}, 0, "queued", &log);
        Merge(root);
        queued->Close();
    }
    for (const char* name : {"live", "inner", "inner-pending", "pending", "queued"})
        EXPECT_TRUE(Logged(log, std::string("destroyed ") + name)) << name;
}

TEST(ContainerLifecycle, ClosingAContainerClosesItsLiveChildrenThenQueuesItself)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    ProbeContainer* dialog = new ProbeContainer(&root, nullptr, 0, "dialog", &log);
    Merge(root);
    new Probe(dialog, RECT{0, 0, 10, 10}, 5, "deep", &log);
    new Probe(dialog, RECT{0, 0, 10, 10}, 0, "shallow", &log);
    Merge(root);
    new Probe(dialog, RECT{0, 0, 10, 10}, 0, "pending", &log);
    int closing = 0;
    for (IMControl* child : dialog->LiveChildren())
        child->ConnectClosing(boost::bind(&CountingSlot, &closing, _1));

    dialog->Close();
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"close dialog", "close shallow", "close deep"}));
    EXPECT_EQ(closing, 0); // children hear no Closing
    Merge(root);
    EXPECT_TRUE(Logged(log, "destroyed dialog"));
    EXPECT_TRUE(Logged(log, "destroyed pending"));
    EXPECT_TRUE(Logged(log, "destroyed deep"));
}

TEST(ContainerLifecycle, DeletedChildCutsSlotsBoundToIt)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* source = new Probe(&root, RECT{0, 0, 10, 10}, 0, "source", nullptr);
    Probe* target = new Probe(&root, RECT{0, 0, 10, 10}, 0, "target", nullptr);
    Merge(root);
    IMControl::Connection c = source->ConnectClicked(boost::bind(&IMControl::OnClick, target, _1));
    target->Close();
    EXPECT_TRUE(c.connected());
    Merge(root);
    EXPECT_FALSE(c.connected());
    source->OnClick(IMMouseEvent(nullptr, 524, 0, 1, 1));
}

TEST(ContainerLifecycle, FactoryPlacesTheContainerInItsParentsCoordinates)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    IMDialogBase<IMEmptyView>* dialog = IMDialogBase<IMEmptyView>::Create(&root, 10, 20, 30, 40, 7);
    ASSERT_NE(dialog, nullptr);
    RECT r;
    dialog->GetRect(&r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 60);
    EXPECT_TRUE(dialog->IsFocusable());
    Merge(root);
    EXPECT_EQ(root.FindChildDepth(dialog), 7);

    RECT whole;
    root.GetRect(&whole);
    EXPECT_EQ(whole.right, 800);
    EXPECT_EQ(whole.bottom, 600);
}

TEST(ContainerLifecycle, MoveToDepth1KeepsLiveAndPendingApart)
{
    ProbeLog log;
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* live = new Probe(&root, RECT{0, 0, 10, 10}, 0, "live", &log);
    Probe* other = new Probe(&root, RECT{0, 0, 10, 10}, 0, "other", &log);
    Merge(root);
    Probe* pending = new Probe(&root, RECT{0, 0, 10, 10}, 4, "pending", &log);
    root.MoveChildToDepth1(live);
    root.MoveChildToDepth1(pending);
    EXPECT_EQ(root.FindChildDepth(live), 1);
    EXPECT_TRUE(root.IsPendingChild(pending));
    Merge(root);
    EXPECT_EQ(root.FindChildDepth(pending), 1);
    EXPECT_EQ(root.LiveChildren(), (std::vector<IMControl*>{other, live, pending}));
}

// Painting through containers: each container narrows the device viewport
// to itself and moves the drawing origin while its children paint, and puts
// both back afterwards.
#include "support/probe_control.h"

#include <gtest/gtest.h>

using testing_support::DrawRecord;
using testing_support::Merge;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

class Paint : public ::testing::Test {
protected:
    Paint()
    {
        IMResourceManager::Start(false);
        manager = IMResourceManager::Instance();
    }
    ~Paint() override { IMResourceManager::Shutdown(); }

    D3DVIEWPORT9 Viewport()
    {
        D3DVIEWPORT9 v;
        manager->Device()->GetViewport(&v);
        return v;
    }

    IMResourceManager* manager = nullptr;
    ProbeLog log;
};

void ExpectViewport(const D3DVIEWPORT9& v, DWORD x, DWORD y, DWORD w, DWORD h)
{
    EXPECT_EQ(v.X, x);
    EXPECT_EQ(v.Y, y);
    EXPECT_EQ(v.Width, w);
    EXPECT_EQ(v.Height, h);
}

} // namespace

TEST_F(Paint, NestedContainersClipAndOffsetTheirChildren)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    auto* outer = IMDialogBase<IMEmptyView>::Create(&root, 100, 50, 300, 200, 0);
    auto* inner = IMDialogBase<IMEmptyView>::Create(outer, 250, 150, 100, 100, 0);
    new Probe(inner, RECT{0, 0, 10, 10}, 0, "deep", &log);
    new Probe(outer, RECT{0, 0, 10, 10}, 0, "shallow", &log);
    Merge(root);

    root.OnPaint(IMEvent(&root, 15));
    ASSERT_EQ(log.draws.size(), 2u);
    // The inner container joined the outer one first, so it paints first.
    const DrawRecord& shallow = log.draws[1];
    EXPECT_EQ(shallow.name, "shallow");
    ExpectViewport(shallow.viewport, 100, 50, 300, 200);
    EXPECT_EQ(shallow.originX, 100);
    EXPECT_EQ(shallow.originY, 50);

    // The inner container reaches past the outer one: it is clipped to it.
    const DrawRecord& deep = log.draws[0];
    EXPECT_EQ(deep.name, "deep");
    ExpectViewport(deep.viewport, 350, 200, 50, 50);
    EXPECT_EQ(deep.originX, 350);
    EXPECT_EQ(deep.originY, 200);

    // Both are put back.
    ExpectViewport(Viewport(), 0, 0, 800, 600);
    EXPECT_EQ(manager->originX, 0);
    EXPECT_EQ(manager->originY, 0);
}

TEST_F(Paint, ContainerOutsideTheViewportPaintsNothingButIsCleared)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    auto* away = IMDialogBase<IMEmptyView>::Create(&root, 900, 0, 100, 100, 0);
    Probe* child = new Probe(away, RECT{0, 0, 10, 10}, 0, "child", &log);
    Merge(root);
    int painted = 0;
    away->Painted.connect([&painted](const IMEvent&) -> long {
        ++painted;
        return 0;
    });
    child->SetDirty(true);
    ASSERT_TRUE(away->IsDirty());

    root.OnPaint(IMEvent(&root, 15));
    EXPECT_TRUE(log.draws.empty());
    EXPECT_EQ(painted, 0);
    EXPECT_FALSE(away->IsDirty());
    EXPECT_FALSE(child->IsDirty());
}

TEST_F(Paint, HiddenContainerPaintsNothing)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    auto* dialog = IMDialogBase<IMEmptyView>::Create(&root, 0, 0, 100, 100, 0);
    Probe* child = new Probe(dialog, RECT{0, 0, 10, 10}, 0, "child", &log);
    Merge(root);
    dialog->Hide();
    child->SetDirty(true);
    root.OnPaint(IMEvent(&root, 15));
    EXPECT_TRUE(log.draws.empty());
    EXPECT_FALSE(child->IsDirty());
}

TEST_F(Paint, ContainerFiresPaintedAfterItsChildren)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    new Probe(&root, RECT{0, 0, 10, 10}, 0, "child", &log);
    Merge(root);
    root.Painted.connect([this](const IMEvent& e) -> long {
        log.events.push_back("painted " + std::to_string(e.code));
        return 0;
    });
    root.OnPaint(IMEvent(&root, 15));
    EXPECT_EQ(log.events, (std::vector<std::string>{"draw child", "painted 15"}));
}

TEST_F(Paint, HiddenOrParentlessControlsDoNotDraw)
{
    IMDialogBase<IMEmptyView> root(nullptr, nullptr, 0);
    Probe* hidden = new Probe(&root, RECT{0, 0, 10, 10}, 0, "hidden", &log);
    Merge(root);
    hidden->Hide();
    Probe orphan(nullptr, RECT{0, 0, 10, 10}, 0, "orphan", &log);
    orphan.SetDirty(true);
    root.OnPaint(IMEvent(&root, 15));
    orphan.OnPaint(IMEvent(&orphan, 15));
    EXPECT_TRUE(log.draws.empty());
    EXPECT_FALSE(orphan.IsDirty());
    EXPECT_FALSE(hidden->IsDirty());
}

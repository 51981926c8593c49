// The container control: the only control kind that holds children.
//
// Children are kept in layers by depth (ascending depth is the painting
// order; within a depth, the order of joining). Joining and deletion are
// deferred to the container's per-frame update, so handlers may create and
// close controls at any time: a new control waits in the pending list until
// the next update, a closed one in the deletion queue until the start or the
// end of the next update. The container tracks the child under the pointer
// and the child with the focus, and routes mouse, keyboard, paint, update,
// close and focus events down the tree in its own coordinates.
//
// The container owns its children and is the only one that deletes them;
// children still live or pending when it is destroyed are deleted with it.
//
// Focus comes back as it was: when the child holding the focus is closed,
// the child that held it before (the latest still there) takes it again;
// and a container that gets the focus back hands it to the child that held
// it when the container lost it. So whatever opens over a screen and is
// clicked (a dialog, an overlay) leaves the keys where they were once it
// closes.
//
// The child under the pointer is known without a mouse move: it is found
// again whenever children join or go while the pointer is on the container,
// when the pointer enters the container, and at every mouse button.
#pragma once

#include "framework/controls/IMViewControl.h"
#include "framework/views/IMEmptyView.h"

#include <map>
#include <vector>

template <class V>
class IMDialogBase;

template <>
class IMDialogBase<IMEmptyView> : public IMViewControl<IMEmptyView> {
public:
    // Without a rectangle the container covers the renderer's back buffer.
    IMDialogBase(IMDialogBase* parent, const RECT* rect, int depth);
    ~IMDialogBase() override;

    static IMDialogBase* Create(IMDialogBase* parent, int x, int y, int width, int height,
                                int depth);

    IMControl* AddChild(IMControl* child, int depth);
    void RemoveChild(IMControl* child);
    int FindChildDepth(IMControl* child) const;
    void MoveChildToDepth1(IMControl* child);
    void UpdateHoveredChild(const IMMouseEvent& e);
    void DeletePendingChildren();
    long OnChildFocus(const IMEvent& e);
    IMMouseEvent LastMouseMoveEvent(IMControl* sender) const;

    long SetDirty(bool d) override;
    bool IsDirty() const override;
    bool HitTest(int x, int y) override;
    long OnMouseMove(const IMMouseEvent& e) override;
    long OnMouseButton(const IMMouseEvent& e) override;
    long OnMouseEnter(const IMMouseEvent& e) override;
    long OnMouseLeave(const IMMouseEvent& e) override;
    long OnKey(const IMKeyboardEvent& e) override;
    long OnPaint(const IMEvent& e) override;
    long OnUpdate(const IMEvent& e) override;
    long OnClose(const IMEvent& e) override;
    long OnFocus(const IMEvent& e) override;
    long OnFocusLost(const IMEvent& e) override;

    IMControl* GetHoveredChild() const { return hovered; }
    IMControl* GetFocusedChild() const { return focused; }
    // The live children, depths ascending and join order within a depth.
    std::vector<IMControl*> LiveChildren() const;

    // For tests only (the program itself never asks): whether the control
    // is a live child (merged, not yet deleted), and whether it waits to
    // join at the next update.
    bool IsLiveChild(const IMControl* child) const;
    bool IsPendingChild(const IMControl* child) const;

protected:
    // Deletes every child the container still holds: queued, live and pending.
    void DeleteAllChildren();

private:
    typedef std::map<int, std::vector<IMControl*>> Layers;

    static bool EraseFrom(Layers& layers, IMControl* child);
    void Forget(IMControl* child);
    // The child leaves: the focus it holds goes back to the child that held
    // it before.
    void GiveFocusBack(IMControl* leaving);
    // A child still there (not queued for deletion), shown and focusable.
    bool CanTakeFocusBack(IMControl* child) const;
    // The child under the pointer found again at the last position, when
    // the pointer is on the container.
    void RefreshHoveredChild();
    // Stores the position (in the parent's coordinates) as the last one and
    // gives the event in the container's coordinates.
    IMMouseEvent Inner(const IMMouseEvent& e);

    Layers children;
    Layers pending;
    std::vector<IMControl*> deletions;
    IMControl* hovered;
    IMControl* focused;
    // The children that took the focus, the latest last; each at most once.
    std::vector<IMControl*> focusOrder;
    // The child that held the focus when the container lost it.
    IMControl* focusToRestore;
    int lastX;
    int lastY;
};

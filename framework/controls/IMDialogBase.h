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
    long OnMouseLeave(const IMMouseEvent& e) override;
    long OnKey(const IMKeyboardEvent& e) override;
    long OnPaint(const IMEvent& e) override;
    long OnUpdate(const IMEvent& e) override;
    long OnClose(const IMEvent& e) override;
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

    Layers children;
    Layers pending;
    std::vector<IMControl*> deletions;
    IMControl* hovered;
    IMControl* focused;
    int lastX;
    int lastY;
};

// A control joined with a view of kind V. The control takes over the view's
// rectangle and dirty flag: whatever changes the view's rectangle or flags the
// view lands in the control's SetRect or SetDirty, which raise Changed and
// re-evaluate the parent's hovered child.
//
// V must derive from IMView. Its Draw and HitTest(const POINT&) are what the
// control draws and hit-tests with; the control calls them non-virtually
// (V::Draw, V::HitTest), since the control's own Draw overrides the view's.
// So the container and the text view are hit anywhere in their rectangle,
// the texture, state and sequence views (pictures, buttons, animations)
// only where their texture's pixel passes the view's alpha test. The view
// part is destroyed before the control part: a texture view releases its
// texture while the control is still whole.
#pragma once

#include "framework/controls/IMControl.h"
#include "framework/views/IMRectUtil.h"

template <class V>
class IMViewControl : public IMControl, public V {
public:
    IMViewControl(Container* parent, int depth) : IMControl(parent, depth), V() {}
    // At depth 0 (the video kind's only constructor).
    explicit IMViewControl(Container* parent) : IMViewControl(parent, 0) {}
    ~IMViewControl() override = default;

    // IMControl's, and the view is drawn anew.
    long Disable() override
    {
        IMControl::Disable();
        SetDirty(true);
        return 0;
    }

    long Enable() override
    {
        IMControl::Enable();
        SetDirty(true);
        return 0;
    }

    long Hide() override
    {
        IMControl::Hide();
        SetDirty(true);
        return 0;
    }

    long Show() override
    {
        IMControl::Show();
        SetDirty(true);
        return 0;
    }

    long SetDirty(bool d) override
    {
        V::dirty = d;
        return IMControl::SetDirty(d);
    }

    bool IsDirty() const override { return V::dirty; }

    // The view's own test by point stays callable beside the control's.
    using V::HitTest;
    bool HitTest(int x, int y) override
    {
        if (hidden)
            return false;
        return V::HitTest(POINT{x, y});
    }

    long SetRect(const RECT& r) override
    {
        if (imrect::Equal(r, V::rect))
            return 0;
        V::rect = r;
        SetDirty(true);
        return 0;
    }

    RECT* GetRect(RECT* out) const override
    {
        *out = V::rect;
        return out;
    }

    // Only a control inside a container draws its view.
    long Draw() override
    {
        if (!hidden && parent)
            V::Draw();
        SetDirty(false);
        return 0;
    }
};

// What a control draws: a destination rectangle (in the coordinates of the
// parent container), a source rectangle and a dirty flag.
//
// A view is joined with a control by IMViewControl<V>. The control overrides
// the view's destructor, SetRect, GetRect, IsDirty, SetDirty and Draw, so the
// signatures of these six must stay the same as IMControl's. Every operation
// here that changes the rectangle goes through the virtual SetRect, and every
// change flags the view through the virtual SetDirty, so the joined control
// sees each change.
#pragma once

#include "platform/wintypes.h"

class IMView {
public:
    IMView();
    virtual ~IMView();

    virtual long SetRect(const RECT& r);
    virtual RECT* GetRect(RECT* out) const;
    virtual long SetSourceRect(const RECT& r);
    virtual RECT* GetSourceRect(RECT* out) const;
    virtual long SetPosition(int x, int y);
    virtual long MoveTo(const POINT& p);
    virtual POINT* GetPosition(POINT* out) const;
    virtual long SetSize(int width, int height);
    virtual int GetHeight() const;
    virtual int GetWidth() const;
    virtual long Draw() = 0;
    // Whether the point (in the parent's coordinates) lies in the rectangle:
    // left and top inclusive, right and bottom exclusive.
    virtual bool HitTest(const POINT& p);
    virtual bool IsDirty() const;
    virtual long SetDirty(bool d);

protected:
    RECT rect;
    RECT sourceRect;
    bool dirty;
};

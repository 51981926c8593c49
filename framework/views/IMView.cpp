#include "framework/views/IMView.h"

#include "framework/views/IMRectUtil.h"

IMView::IMView() : rect{0, 0, 0, 0}, sourceRect{0, 0, 0, 0}, dirty(false) {}

IMView::~IMView() = default;

long IMView::SetRect(const RECT& r)
{
    if (imrect::Equal(r, rect))
        return 0;
    rect = r;
    SetDirty(true);
    return 0;
}

RECT* IMView::GetRect(RECT* out) const
{
    *out = rect;
    return out;
}

long IMView::SetSourceRect(const RECT& r)
{
    if (imrect::Equal(r, sourceRect))
        return 0;
    sourceRect = r;
    SetDirty(true);
    return 0;
}

RECT* IMView::GetSourceRect(RECT* out) const
{
    *out = sourceRect;
    return out;
}

long IMView::SetPosition(int x, int y)
{
    return MoveTo(POINT{x, y});
}

long IMView::MoveTo(const POINT& p)
{
    const int width = GetWidth();
    const int height = GetHeight();
    return SetRect(RECT{p.x, p.y, p.x + width, p.y + height});
}

POINT* IMView::GetPosition(POINT* out) const
{
    RECT r;
    GetRect(&r);
    out->x = r.left;
    out->y = r.top;
    return out;
}

long IMView::SetSize(int width, int height)
{
    RECT r;
    GetRect(&r);
    return SetRect(RECT{r.left, r.top, r.left + width, r.top + height});
}

int IMView::GetHeight() const
{
    RECT r;
    GetRect(&r);
    return r.bottom - r.top;
}

int IMView::GetWidth() const
{
    RECT r;
    GetRect(&r);
    return r.right - r.left;
}

bool IMView::HitTest(const POINT& p)
{
    RECT r;
    GetRect(&r);
    return imrect::Contains(r, p.x, p.y);
}

bool IMView::IsDirty() const
{
    return dirty;
}

long IMView::SetDirty(bool d)
{
    dirty = d;
    return 0;
}

// Rectangle arithmetic of the framework (right and bottom exclusive).
#pragma once

#include "platform/wintypes.h"

namespace imrect {

inline bool Contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

inline bool Equal(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool IsEmpty(const RECT& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

inline RECT Offset(const RECT& r, int dx, int dy)
{
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// The common part of two rectangles; all zero when they do not meet.
inline RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (IsEmpty(r))
        return RECT{0, 0, 0, 0};
    return r;
}

} // namespace imrect

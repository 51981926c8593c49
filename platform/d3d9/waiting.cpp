// Clears and draws kept for the present. A frame mostly repeats the one
// before it: once the present knows the box where the two differ, only that
// box is drawn. The rasteriser gives every pixel the same value whatever the
// clip around it, so a clipped draw writes inside the box exactly what the
// whole draw would have written there.
#include "platform/d3d9/objects.h"

#include <algorithm>

namespace platform::d3d9impl {

void Device::DrawNow(const Waiting& w, const int* box)
{
    DrawState s = w.state;
    if (box) {
        s.clipX0 = std::max(s.clipX0, box[0]);
        s.clipY0 = std::max(s.clipY0, box[1]);
        s.clipX1 = std::min(s.clipX1, box[2]);
        s.clipY1 = std::min(s.clipY1, box[3]);
        if (s.clipX0 >= s.clipX1 || s.clipY0 >= s.clipY1) return;
    }
    s.target = back.data();
    s.pitch = width;
    s.pendingRows = anyPending ? pendingRows.data() : nullptr;
    s.pendingColour = pendingColour;
    s.pendingX0 = pendingX0;
    s.pendingX1 = pendingX1;
    DrawFan(s, waitingVertices.data() + w.first, static_cast<int>(w.count), scratch, w.fastPaths);
}

void Device::DrawWaiting()
{
    for (const Waiting& w : waiting) {
        if (w.fan)
            DrawNow(w);
        else
            ClearNow(w);
    }
    waiting.clear();
    waitingVertices.clear();
}

void Device::DrawWaitingWithin(const RECT& box)
{
    const int bx0 = std::max<int>(0, static_cast<int>(box.left));
    const int by0 = std::max<int>(0, static_cast<int>(box.top));
    const int bx1 = std::min<int>(width, static_cast<int>(box.right));
    const int by1 = std::min<int>(height, static_cast<int>(box.bottom));
    if (bx0 < bx1 && by0 < by1) {
        // Nothing is owed a clear at the start of a frame; a clear of whole
        // rows leaves their part in the box owed.
        for (const Waiting& w : waiting) {
            if (!w.fan) {
                const int x0 = std::max<int>(w.rect[0], bx0), y0 = std::max<int>(w.rect[1], by0);
                const int x1 = std::min<int>(w.rect[2], bx1), y1 = std::min<int>(w.rect[3], by1);
                if (x0 >= x1 || y0 >= y1) continue;
                SettleClear();
                if (!w.wholeRows) {
                    Fill(x0, y0, x1, y1, w.colour);
                    continue;
                }
                for (int y = y0; y < y1; ++y)
                    pendingRows[static_cast<size_t>(y)] = 1;
                pendingColour = w.colour;
                pendingX0 = bx0;
                pendingX1 = bx1;
                anyPending = true;
                continue;
            }
            const int clip[4] = {bx0, by0, bx1, by1};
            DrawNow(w, clip);
        }
    }
    waiting.clear();
    waitingVertices.clear();
}

void Device::DrawAllNow()
{
    // With nothing waiting the back buffer still holds the frame before
    // last, and the frame may still be drawn in part.
    if (!deferring || waiting.empty()) return;
    deferring = false;
    DrawWaiting();
}

void Device::TextureChanging(const Texture* t)
{
    if (!deferring) return;
    for (const Waiting& w : waiting)
        if (w.fan && w.texture == t) {
            DrawAllNow();
            return;
        }
}

} // namespace platform::d3d9impl

// Placing the glyphs of a text view on lines, and drawing the lines that
// meet the clip rectangle.
#include "framework/render/IMResourceManager.h"
#include "framework/text/IMTextView.h"
#include "framework/views/IMRectUtil.h"

#include <algorithm>

void IMTextView::Layout(int first)
{
    const int count = static_cast<int>(glyphs.size());
    if (first <= 0) {
        first = 0;
        lineStarts.assign(1, 0);
    } else {
        lineStarts.erase(std::remove_if(lineStarts.begin(), lineStarts.end(),
                                        [first](int start) { return start >= first; }),
                         lineStarts.end());
        if (lineStarts.empty())
            lineStarts.push_back(0);
    }

    const int width = GetWidth();
    const int m = minLineHeight;
    int x = 0;
    int y = 0;
    int lineHeight = m;
    int lastSpace = -1;
    RECT extent{0, 0, 0, 0};
    int widest = 0;
    int lowest = 0;

    for (int i = 0; i < count; ++i) {
        IMGlyph& glyph = *glyphs[static_cast<size_t>(i)];
        const int w = glyph.imageWidth;
        const int h = glyph.imageHeight;
        const bool lineFeed = glyph.character == L'\n';
        const bool carriageReturn = glyph.character == L'\r';
        if (glyph.character == L' ')
            lastSpace = i;

        if (i < first) {
            // Glyphs before the change keep their places; the pen resumes
            // after them.
            if (glyph.rect.top != y)
                lineHeight = m;
            lineHeight = std::max(lineHeight, h);
            x = glyph.rect.right;
            y = glyph.rect.top;
            extent.right = std::max(extent.right, glyph.rect.right);
            extent.bottom = std::max(extent.bottom, glyph.rect.bottom);
            widest = std::max(widest, glyph.rect.right);
            if (wordWrap && (lineFeed || carriageReturn)) {
                x = 0;
                y += lineHeight;
                lineHeight = m;
                lastSpace = -1;
                // The line after it starts at the change: its start was
                // removed above and is recorded again.
                if (i + 1 >= first)
                    lineStarts.push_back(i + 1);
            }
            lowest = std::max(lowest, y + lineHeight);
            continue;
        }

        lineHeight = std::max(lineHeight, h);

        if (!wordWrap) {
            // One line; line breaks are not interpreted.
            glyph.rect = RECT{x, 0, x + w, h};
            extent.bottom = std::max<LONG>(extent.bottom, h);
            extent.right += w;
            x += w;
            continue;
        }

        // A glyph wider than the view on a line of its own stays there.
        if (x + w > width && x > 0) {
            y += lineHeight;
            lineHeight = m;
            x = 0;
            if (lastSpace >= 0 && lastSpace < i) {
                // The whole word moves to the new line.
                const int start = lastSpace + 1;
                lineStarts.push_back(start);
                for (int j = start; j <= i; ++j) {
                    IMGlyph& moved = *glyphs[static_cast<size_t>(j)];
                    moved.rect = RECT{x, y, x + moved.imageWidth, y + moved.imageHeight};
                    x += moved.imageWidth;
                }
            } else {
                // No space to break at: the glyph that overflows starts the line.
                lineStarts.push_back(i);
                glyph.rect = RECT{0, y, w, y + h};
                x = w;
            }
            lastSpace = -1;
        } else {
            glyph.rect = RECT{x, y, x + w, y + h};
            x += w;
        }
        widest = std::max(widest, x);
        if (lineFeed || carriageReturn) {
            // A line break ends its line; the next line starts at the left edge.
            x = 0;
            y += lineHeight;
            lineHeight = m;
            lastSpace = -1;
            lineStarts.push_back(i + 1);
        }
        lowest = std::max(lowest, y + lineHeight);
    }

    if (wordWrap)
        extent = RECT{0, 0, widest, lowest};
    SetSourceRect(extent);
}

int IMTextView::LineTop(size_t k, int screenTop) const
{
    const size_t start = static_cast<size_t>(lineStarts[k]);
    if (start < glyphs.size())
        return glyphs[start]->rect.top + screenTop;
    // A line start after the last glyph (the text ends with a line break):
    // the line lies below the text.
    return sourceRect.bottom + screenTop;
}

long IMTextView::Draw()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager || !manager->Device()) {
        dirty = false;
        return 0;
    }
    D3DVIEWPORT9 saved;
    manager->GetViewport(&saved);
    const int ox = manager->originX;
    const int oy = manager->originY;
    const RECT screen = imrect::Offset(rect, ox, oy);
    const RECT port{static_cast<LONG>(saved.X), static_cast<LONG>(saved.Y),
                    static_cast<LONG>(saved.X + saved.Width),
                    static_cast<LONG>(saved.Y + saved.Height)};
    const RECT clip = imrect::Intersect(screen, port);
    if (imrect::IsEmpty(clip) || glyphs.empty()) {
        dirty = false;
        return 0;
    }

    D3DVIEWPORT9 narrowed{static_cast<DWORD>(clip.left),
                          static_cast<DWORD>(clip.top),
                          static_cast<DWORD>(clip.right - clip.left),
                          static_cast<DWORD>(clip.bottom - clip.top),
                          0.0f,
                          1.0f};
    manager->SetViewport(narrowed);
    manager->originX = screen.left;
    manager->originY = screen.top;

    // Two bisections over the line starts, one round at a time: the first
    // line drawn is the last one whose top is at or above the clip top, the
    // drawing stops at the first line whose top is at or below the clip
    // bottom.
    const size_t n = lineStarts.size();
    size_t firstLo = 0, firstHi = n - 1, lastLo = 0, lastHi = n - 1;
    while (firstHi - firstLo > 1 || lastHi - lastLo > 1) {
        if (lastHi - lastLo > 1) {
            const size_t mid = (lastLo + lastHi) / 2;
            if (LineTop(mid, screen.top) < clip.bottom)
                lastLo = mid;
            else
                lastHi = mid;
        }
        if (firstHi - firstLo > 1) {
            const size_t mid = (firstLo + firstHi) / 2;
            if (LineTop(mid, screen.top) <= clip.top)
                firstLo = mid;
            else
                firstHi = mid;
        }
    }
    const size_t from = static_cast<size_t>(lineStarts[firstLo]);
    const size_t to = lastHi == n - 1
                          ? glyphs.size()
                          : std::min(glyphs.size(), static_cast<size_t>(lineStarts[lastHi]));
    for (size_t i = from; i < to; ++i) {
        const IMGlyph& glyph = *glyphs[i];
        if (glyph.hasTexture)
            manager->DrawQuad(glyph.textureId, glyph.rect, nullptr, 0xFFFFFFFFu, 0.0f);
    }

    manager->originX = ox;
    manager->originY = oy;
    manager->SetViewport(saved);
    dirty = false;
    return 0;
}

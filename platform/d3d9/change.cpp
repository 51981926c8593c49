// What changed between two presented frames, found from their clears and
// draws instead of their pixels: every frame is drawn whole, mostly the same
// draws again, and comparing the records costs far less than comparing the
// pixels.
#include "platform/d3d9/objects.h"

#include <algorithm>
#include <cstring>

namespace platform::d3d9impl {

uint64_t NextGeneration()
{
    static uint64_t last = 0;
    return ++last;
}

bool DrawRecord::Same(const DrawRecord& o) const
{
    // Records are zeroed before they are filled: no stray padding bytes.
    return std::memcmp(this, &o, offsetof(DrawRecord, box)) == 0;
}

void Device::Record(const DrawRecord& r)
{
    if (r.box[0] >= r.box[2] || r.box[1] >= r.box[3]) return; // writes nothing
    log.push_back(r);
}

namespace {

// Whether the frame begins with a clear of the whole target: then nothing
// of an older frame is left in it.
bool StartsClean(const std::vector<DrawRecord>& log, int width, int height)
{
    return !log.empty() && log.front().kind == 0 && log.front().box[0] == 0 &&
           log.front().box[1] == 0 && log.front().box[2] == width && log.front().box[3] == height;
}

// Adds where the draw may change pixels to the spans of the rows.
void Join(std::vector<int32_t>& spans, const DrawRecord& r, const std::vector<DrawBands>& bands)
{
    if (r.bands == 0) {
        for (size_t y = static_cast<size_t>(r.box[1]); y < static_cast<size_t>(r.box[3]); ++y) {
            spans[2 * y] = std::min(spans[2 * y], r.box[0]);
            spans[2 * y + 1] = std::max(spans[2 * y + 1], r.box[2]);
        }
        return;
    }
    const DrawBands& b = bands[r.bands - 1];
    const int h = DrawBands::Height(r.box);
    for (int k = 0; k < DrawBands::kBands; ++k) {
        const int32_t x0 = b.at[k][0], x1 = b.at[k][1];
        if (x0 >= x1) continue;
        const int y1 = std::min(r.box[3], r.box[1] + (k + 1) * h);
        for (int y = r.box[1] + k * h; y < y1; ++y) {
            spans[2 * static_cast<size_t>(y)] = std::min(spans[2 * static_cast<size_t>(y)], x0);
            spans[2 * static_cast<size_t>(y) + 1] =
                std::max(spans[2 * static_cast<size_t>(y) + 1], x1);
        }
    }
}

// The box round the rows' spans, and every row's span inside it.
RECT Bound(const std::vector<int32_t>& spans)
{
    RECT box{0, 0, 0, 0};
    for (size_t y = 0; 2 * y < spans.size(); ++y) {
        const int32_t x0 = spans[2 * y], x1 = spans[2 * y + 1];
        if (x0 >= x1) continue;
        if (box.left >= box.right) {
            box = RECT{x0, static_cast<LONG>(y), x1, static_cast<LONG>(y) + 1};
            continue;
        }
        box.left = std::min<LONG>(box.left, x0);
        box.right = std::max<LONG>(box.right, x1);
        box.bottom = static_cast<LONG>(y) + 1;
    }
    return box;
}

} // namespace

void Device::FindChange()
{
    changeKnown =
        lastLogValid && StartsClean(log, width, height) && StartsClean(lastLog, width, height);
    change = RECT{0, 0, 0, 0};
    if (changeKnown) {
        // Kept from frame to frame: a steady frame allocates nothing.
        changeSpans.resize(2 * static_cast<size_t>(height));
        for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
            changeSpans[2 * y] = width;
            changeSpans[2 * y + 1] = 0;
        }
        // The draws both frames begin with and end with, in the same order,
        // leave the same pixels wherever the draws between them do not
        // write: only those between count. A draw left out or added (a
        // caret's blink) then does not shift every later draw against its
        // partner.
        const size_t n = log.size(), m = lastLog.size();
        size_t head = 0;
        while (head < n && head < m && log[head].Same(lastLog[head]))
            ++head;
        size_t tail = 0;
        while (tail < n - head && tail < m - head &&
               log[n - 1 - tail].Same(lastLog[m - 1 - tail]))
            ++tail;
        const size_t end = n - tail, lastEnd = m - tail;
        if (end - head == lastEnd - head) {
            // As many draws between: compared in pairs.
            for (size_t i = head; i < end; ++i) {
                if (log[i].Same(lastLog[i])) continue;
                Join(changeSpans, log[i], logBands);
                Join(changeSpans, lastLog[i], lastLogBands);
            }
        } else {
            for (size_t i = head; i < end; ++i)
                Join(changeSpans, log[i], logBands);
            for (size_t i = head; i < lastEnd; ++i)
                Join(changeSpans, lastLog[i], lastLogBands);
        }
        change = Bound(changeSpans);
    }
    // The buffers' memory is kept: a steady frame allocates nothing.
    log.swap(lastLog);
    log.clear();
    logBands.swap(lastLogBands);
    logBands.clear();
    lastLogValid = true;
}

bool Device::LastChange(RECT* changed) const
{
    if (changeKnown && changed) *changed = change;
    return changeKnown;
}

} // namespace platform::d3d9impl

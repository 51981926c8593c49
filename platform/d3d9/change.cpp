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

void Join(RECT& into, const int32_t* box)
{
    if (into.left >= into.right || into.top >= into.bottom) {
        into = RECT{box[0], box[1], box[2], box[3]};
        return;
    }
    into.left = std::min<LONG>(into.left, box[0]);
    into.top = std::min<LONG>(into.top, box[1]);
    into.right = std::max<LONG>(into.right, box[2]);
    into.bottom = std::max<LONG>(into.bottom, box[3]);
}

} // namespace

void Device::FindChange()
{
    changeKnown =
        lastLogValid && StartsClean(log, width, height) && StartsClean(lastLog, width, height);
    change = RECT{0, 0, 0, 0};
    if (changeKnown) {
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
                Join(change, log[i].box);
                Join(change, lastLog[i].box);
            }
        } else {
            for (size_t i = head; i < end; ++i)
                Join(change, log[i].box);
            for (size_t i = head; i < lastEnd; ++i)
                Join(change, lastLog[i].box);
        }
    }
    // The buffers' memory is kept: a steady frame allocates nothing.
    log.swap(lastLog);
    log.clear();
    lastLogValid = true;
}

bool Device::LastChange(RECT* changed) const
{
    if (changeKnown && changed) *changed = change;
    return changeKnown;
}

} // namespace platform::d3d9impl

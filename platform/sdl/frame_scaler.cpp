#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/frame_scaler_kernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform {

void FrameScaler::Axis::Prepare(int sourceSize, int destinationSize)
{
    if (source == sourceSize && destination == destinationSize) return;
    source = sourceSize;
    destination = destinationSize;
    index.assign(static_cast<size_t>(destinationSize), 0);
    weight.assign(static_cast<size_t>(destinationSize), 0);
    if (sourceSize < 2) return; // one sample: every weight 0 on index 0
    // The centre of destination pixel d lies at (d + 1/2) * s / n - 1/2 in
    // source pixels; 16.16 fixed point, clamped to the edge samples.
    const int64_t s = sourceSize, n = destinationSize;
    const int64_t last = (s - 1) << 16;
    for (int64_t d = 0; d < n; ++d) {
        int64_t at = ((2 * d + 1) * s << 16) / (2 * n) - (1 << 15);
        at = std::max<int64_t>(0, std::min(at, last));
        int i = static_cast<int>(at >> 16);
        int w = static_cast<int>((at >> 8) & 0xFF);
        if (i >= sourceSize - 1) { // the pair must stay inside the row
            i = sourceSize - 2;
            w = 256;
        }
        index[static_cast<size_t>(d)] = i;
        weight[static_cast<size_t>(d)] = static_cast<uint16_t>(w);
    }
    from.assign(static_cast<size_t>(sourceSize) + 1, destinationSize);
    for (int i = 0, d = 0; i <= sourceSize; ++i) {
        while (d < destinationSize && index[static_cast<size_t>(d)] < i)
            ++d;
        from[static_cast<size_t>(i)] = d;
    }
    lanes.assign(static_cast<size_t>(destinationSize) * 8, 0);
    spread.assign(static_cast<size_t>(destinationSize) * 4, 0);
    for (size_t d = 0; d < weight.size(); ++d)
        for (size_t k = 0; k < 4; ++k) {
            lanes[d * 8 + k] = static_cast<uint16_t>(256 - weight[d]);
            lanes[d * 8 + 4 + k] = weight[d];
            spread[d * 4 + k] = weight[d];
        }
}

void FrameScaler::Axis::Reading(int low, int high, int* first, int* end) const
{
    *first = *end = 0;
    if (low >= high) return;
    if (source < 2) { // every position reads sample 0
        if (low <= 0 && high > 0) *end = destination;
        return;
    }
    // Position d reads index[d] and index[d] + 1; index never falls.
    *first = from[static_cast<size_t>(std::min(std::max(low - 1, 0), source))];
    *end = from[static_cast<size_t>(std::min(std::max(high, 0), source))];
    if (*end < *first) *end = *first;
}

namespace {

// Into the destination, which the display reads.
void CopyRow(const uint32_t* from, uint32_t* out, int count)
{
    const int i = HasAvx2() ? CopyRowAvx2(from, out, count) : 0;
    std::memcpy(out + i, from + i, static_cast<size_t>(count - i) * 4);
}

inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t w)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        out |= ((x * (256 - w) + y * w) >> 8) << shift;
    }
    return out;
}

// out = a * (256 - w) / 256 + b * w / 256 on every byte.
void BlendRows(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int count)
{
    if (w == 0) {
        CopyRow(a, out, count);
        return;
    }
    int i = HasAvx2() ? BlendRowsAvx2(a, b, w, out, count) : 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - w));
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
    for (; i + 4 <= count; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        // Both products fit 16 bits unsigned: 255 * 256 at most, and so does their sum.
        const __m128i lo =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), wa),
                                         _mm_mullo_epi16(_mm_unpacklo_epi8(y, zero), wb)),
                           8);
        const __m128i hi =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), wa),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(y, zero), wb)),
                           8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < count; ++i)
        out[i] = Blend(a[i], b[i], w);
}

} // namespace

void FrameScaler::ScaleRow(const uint32_t* row, uint32_t* out, int first, int end) const
{
    const int n = end;
    if (columns.source < 2) {
        std::fill(out + first, out + n, row[0]);
        return;
    }
    const int* index = columns.index.data();
    const uint16_t* weight = columns.weight.data();
    int d = first;
    if (HasAvx2())
        d = ScaleRowAvx2(row, columns.source, out, index, columns.lanes.data(),
                         columns.spread.data(), d, n);
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    // Two output pixels a step: each is its source pair, read as one 64-bit
    // load, weighted channel by channel and folded.
    const auto* lanes = reinterpret_cast<const __m128i*>(columns.lanes.data());
    for (; d + 2 <= n; d += 2) {
        const __m128i p0 = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + index[d])), zero);
        const __m128i p1 = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + index[d + 1])), zero);
        const __m128i m0 = _mm_mullo_epi16(p0, _mm_loadu_si128(lanes + d));
        const __m128i m1 = _mm_mullo_epi16(p1, _mm_loadu_si128(lanes + d + 1));
        const __m128i s0 = _mm_add_epi16(m0, _mm_srli_si128(m0, 8));
        const __m128i s1 = _mm_add_epi16(m1, _mm_srli_si128(m1, 8));
        const __m128i both = _mm_srli_epi16(_mm_unpacklo_epi64(s0, s1), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + d), _mm_packus_epi16(both, zero));
    }
#endif
    for (; d < n; ++d)
        out[d] = Blend(row[index[d]], row[index[d] + 1], weight[d]);
}

void FrameScaler::Scale(const uint32_t* source, int sourceWidth, int sourceHeight,
                        int sourcePitchBytes, uint32_t* destination, int destinationWidth,
                        int destinationHeight, int destinationPitchBytes)
{
    const int all[4] = {0, 0, sourceWidth, sourceHeight};
    int written[4];
    ScaleChanged(source, sourceWidth, sourceHeight, sourcePitchBytes, destination, destinationWidth,
                 destinationHeight, destinationPitchBytes, all, written);
}

void FrameScaler::ScaleChanged(const uint32_t* source, int sourceWidth, int sourceHeight,
                               int sourcePitchBytes, uint32_t* destination, int destinationWidth,
                               int destinationHeight, int destinationPitchBytes,
                               const int changed[4], int written[4], const int32_t* rowSpans)
{
    written[0] = written[1] = written[2] = written[3] = 0;
    if (source == nullptr || destination == nullptr || sourceWidth < 1 || sourceHeight < 1 ||
        destinationWidth < 1 || destinationHeight < 1)
        return;
    const int left = std::max(0, changed[0]), top = std::max(0, changed[1]);
    const int right = std::min(sourceWidth, changed[2]),
              bottom = std::min(sourceHeight, changed[3]);
    if (left >= right || top >= bottom) return;
    const auto sourceRow = [&](int y) {
        return reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(source) +
                                                 static_cast<ptrdiff_t>(y) * sourcePitchBytes);
    };
    const auto destinationRow = [&](int y) {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(destination) +
                                           static_cast<ptrdiff_t>(y) * destinationPitchBytes);
    };
    // The columns of source rows y0..y1 (inclusive) that may differ, widened
    // into [*low, *high); none outside the changed rows.
    const auto spanOf = [&](int y0, int y1, int* low, int* high) {
        *low = right;
        *high = left;
        for (int y = std::max(y0, top); y <= std::min(y1, bottom - 1); ++y) {
            *low = std::min(*low, std::max(left, static_cast<int>(rowSpans[2 * y])));
            *high = std::max(*high, std::min(right, static_cast<int>(rowSpans[2 * y + 1])));
        }
    };
    if (sourceWidth == destinationWidth && sourceHeight == destinationHeight) {
        for (int y = top; y < bottom; ++y) {
            int from = left, to = right;
            if (rowSpans) spanOf(y, y, &from, &to);
            if (from < to) CopyRow(sourceRow(y) + from, destinationRow(y) + from, to - from);
        }
        StreamedRowsDone();
        written[0] = left, written[1] = top, written[2] = right, written[3] = bottom;
        return;
    }
    columns.Prepare(sourceWidth, destinationWidth);
    rows.Prepare(sourceHeight, destinationHeight);
    int x0, x1, y0, y1;
    columns.Reading(left, right, &x0, &x1);
    rows.Reading(top, bottom, &y0, &y1);
    if (x0 >= x1 || y0 >= y1) return;
    // The destination's rows are written around the cache, where a line
    // written in part costs more than the pixels that fill it: the columns
    // are widened to whole 64-byte lines (the pixels added are scaled
    // afresh, the same as they were).
    const int xAlign = static_cast<int>((reinterpret_cast<uintptr_t>(destination) & 63) / 4);
    const auto widen = [&](int* first, int* end) {
        *first = std::max(0, *first - (xAlign + *first) % 16);
        *end = std::min(destinationWidth, *end + (16 - (xAlign + *end) % 16) % 16);
    };
    widen(&x0, &x1);
    written[0] = x0, written[1] = y0, written[2] = x1, written[3] = y1;
    for (auto& row : cache)
        if (row.size() < static_cast<size_t>(destinationWidth))
            row.resize(static_cast<size_t>(destinationWidth));
    // The rows of an earlier frame are stale.
    cached[0] = cached[1] = -1;

    // The destination columns [*first, *end) reading source rows y0..y1
    // that may differ there.
    const auto outputColumns = [&](int sy0, int sy1, int* first, int* end) {
        *first = x0;
        *end = x1;
        if (!rowSpans) return;
        int low, high;
        spanOf(sy0, sy1, &low, &high);
        columns.Reading(low, high, first, end);
        if (*first < *end) widen(first, end);
    };
    // Source rows are scaled across once each and kept while the output
    // rows they feed are made: the columns any of them needs (an output row
    // reads a row and the one below it).
    const auto scaledRow = [&](int y) -> const uint32_t* {
        for (int k = 0; k < 2; ++k)
            if (cached[k] == y) return cache[k].data();
        // Replace the slot not holding the row just below: rows come in order.
        const int k = cached[0] == y - 1 ? 1 : 0;
        int first, end;
        outputColumns(y - 1, y + 1, &first, &end);
        if (first < end) ScaleRow(sourceRow(y), cache[k].data(), first, end);
        cached[k] = y;
        return cache[k].data();
    };
    for (int y = y0; y < y1; ++y) {
        const int upper = sourceHeight < 2 ? 0 : rows.index[static_cast<size_t>(y)];
        const uint32_t w = sourceHeight < 2 ? 0 : rows.weight[static_cast<size_t>(y)];
        int first, end;
        outputColumns(upper, sourceHeight < 2 ? upper : upper + 1, &first, &end);
        if (first >= end) continue; // nothing this row reads has changed
        uint32_t* out = destinationRow(y) + first;
        const uint32_t* a = scaledRow(upper);
        if (w == 0) {
            CopyRow(a + first, out, end - first);
            continue;
        }
        const uint32_t* b = scaledRow(upper + 1);
        if (w == 256) {
            CopyRow(b + first, out, end - first);
            continue;
        }
        BlendRows(a + first, b + first, w, out, end - first);
    }
    StreamedRowsDone();
}

} // namespace platform

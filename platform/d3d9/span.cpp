#include "platform/d3d9/span.h"

#include "platform/d3d9/pixel.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform::d3d9impl {

namespace {

#ifdef __SSE2__

inline __m128i Div255x8(__m128i t)
{
    t = _mm_add_epi16(t, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// One horizontal bilinear step: the column pair at c, c + 1 weighted by w,
// as four 32-bit channel sums.
inline __m128i Horizontal(const int16_t* column, int32_t c, uint32_t w)
{
    const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + 4 * c));
    const __m128i interleaved = _mm_unpacklo_epi16(pair, _mm_srli_si128(pair, 8));
    return _mm_madd_epi16(interleaved, _mm_set1_epi32(static_cast<int>(w)));
}

// Two bilinear samples as 16-bit channels (pixel i low, pixel i + 1 high).
inline __m128i Bilinear2(const SpanInput& in, int i)
{
    const __m128i round = _mm_set1_epi32(1 << 13);
    const __m128i a = _mm_srli_epi32(
        _mm_add_epi32(Horizontal(in.column, in.col0[i], in.colWeights[i]), round), 14);
    const __m128i b = _mm_srli_epi32(
        _mm_add_epi32(Horizontal(in.column, in.col0[i + 1], in.colWeights[i + 1]), round), 14);
    return _mm_packs_epi32(a, b);
}

// Four source pixels, tinted.
template <Fetch F, bool Mod>
inline __m128i Produce4(const SpanInput& in, const uint32_t* src, int i, __m128i zero, __m128i texelOr,
                        __m128i diffuse16)
{
    if constexpr (F == Fetch::Bilinear) {
        const __m128i or16 = _mm_unpacklo_epi8(texelOr, zero);
        __m128i lo = _mm_or_si128(Bilinear2(in, i), or16);
        __m128i hi = _mm_or_si128(Bilinear2(in, i + 2), or16);
        if constexpr (Mod) {
            lo = Div255x8(_mm_mullo_epi16(lo, diffuse16));
            hi = Div255x8(_mm_mullo_epi16(hi, diffuse16));
        }
        return _mm_packus_epi16(lo, hi);
    } else {
        __m128i t;
        if constexpr (F == Fetch::Contiguous) {
            t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        } else {
            const uint32_t* row = in.row0;
            const int32_t* c = in.col0 + i;
            t = _mm_set_epi32(static_cast<int>(row[c[3]]), static_cast<int>(row[c[2]]),
                              static_cast<int>(row[c[1]]), static_cast<int>(row[c[0]]));
        }
        t = _mm_or_si128(t, texelOr);
        if constexpr (Mod) {
            __m128i lo = Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(t, zero), diffuse16));
            __m128i hi = Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(t, zero), diffuse16));
            t = _mm_packus_epi16(lo, hi);
        }
        return t;
    }
}

inline __m128i Blend2(__m128i s, __m128i d)
{
    // Each pixel's alpha in all four of its lanes.
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255x8(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)));
}

template <bool BlendOn, bool Mask>
inline void Store4(uint32_t* dst, __m128i s, __m128i zero, __m128i mask)
{
    __m128i* p = reinterpret_cast<__m128i*>(dst);
    __m128i v = s;
    if constexpr (BlendOn) {
        const __m128i alpha = _mm_srli_epi32(s, 24);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255))) != 0xFFFF) {
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero)) == 0xFFFF) return;
            const __m128i d = _mm_loadu_si128(p);
            v = _mm_packus_epi16(Blend2(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero)),
                                 Blend2(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero)));
        }
    }
    if constexpr (Mask) {
        const __m128i old = _mm_loadu_si128(p);
        v = _mm_or_si128(_mm_and_si128(v, mask), _mm_andnot_si128(mask, old));
    }
    _mm_storeu_si128(p, v);
}

template <Fetch F, bool Mod, bool BlendOn, bool Mask>
void Span(const SpanInput& in, uint32_t* dst, int count)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i texelOr = _mm_set1_epi32(static_cast<int>(in.texelOr));
    const __m128i diffuse16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(in.diffuse)), zero);
    const __m128i mask = _mm_set1_epi32(static_cast<int>(in.writeMask));
    int i = 0;
    for (; i + 4 <= count; i += 4)
        Store4<BlendOn, Mask>(dst + i, Produce4<F, Mod>(in, in.src, i, zero, texelOr, diffuse16), zero, mask);
    const int rest = count - i;
    if (rest == 0) return;
    // The last one to three pixels go through the same steps in a copy, so
    // that nothing is read or written beyond the row.
    uint32_t texels[4] = {}, out[4] = {};
    const uint32_t* src = in.src;
    int at = i;
    if constexpr (F == Fetch::Contiguous) {
        std::memcpy(texels, in.src + i, rest * 4);
        src = texels;
        at = 0;
    }
    std::memcpy(out, dst + i, rest * 4);
    Store4<BlendOn, Mask>(out, Produce4<F, Mod>(in, src, at, zero, texelOr, diffuse16), zero, mask);
    std::memcpy(dst + i, out, rest * 4);
}

#else // the same arithmetic, one pixel at a time

template <Fetch F, bool Mod>
inline uint32_t Produce1(const SpanInput& in, int i)
{
    uint32_t t;
    if constexpr (F == Fetch::Contiguous) {
        t = in.src[i];
    } else if constexpr (F == Fetch::Point) {
        t = in.row0[in.col0[i]];
    } else {
        const int16_t* a = in.column + 4 * in.col0[i];
        const uint32_t w0 = in.colWeights[i] & 0xFFFF, w1 = in.colWeights[i] >> 16;
        t = 0;
        for (int c = 0; c < 4; ++c)
            t |= ((a[c] * w0 + a[c + 4] * w1 + (1u << 13)) >> 14) << (8 * c);
    }
    t |= in.texelOr;
    if constexpr (Mod) t = Modulate(t, in.diffuse);
    return t;
}

template <Fetch F, bool Mod, bool BlendOn, bool Mask>
void Span(const SpanInput& in, uint32_t* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        const uint32_t s = Produce1<F, Mod>(in, i);
        uint32_t v = BlendOn ? Blend(s, dst[i]) : s;
        if constexpr (Mask) v = Masked(v, dst[i], in.writeMask);
        dst[i] = v;
    }
}

#endif

template <Fetch F>
SpanFunction Pick(bool modulate, bool blend, bool masked)
{
    static const SpanFunction table[8] = {
        Span<F, false, false, false>, Span<F, false, false, true>, Span<F, false, true, false>,
        Span<F, false, true, true>,   Span<F, true, false, false>, Span<F, true, false, true>,
        Span<F, true, true, false>,   Span<F, true, true, true>,
    };
    return table[(modulate ? 4 : 0) | (blend ? 2 : 0) | (masked ? 1 : 0)];
}

} // namespace

SpanFunction SelectSpan(Fetch fetch, bool modulate, bool blend, bool masked)
{
    switch (fetch) {
    case Fetch::Contiguous:
        return Pick<Fetch::Contiguous>(modulate, blend, masked);
    case Fetch::Point:
        return Pick<Fetch::Point>(modulate, blend, masked);
    case Fetch::Bilinear:
        break;
    }
    return Pick<Fetch::Bilinear>(modulate, blend, masked);
}

void VerticalPass(const uint32_t* top, const uint32_t* bottom, int count, uint32_t fy, int16_t* out)
{
    int k = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i w0 = _mm_set1_epi16(static_cast<short>(kTexelOne - fy));
    const __m128i w1 = _mm_set1_epi16(static_cast<short>(fy));
    for (; k + 4 <= count; k += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + k));
        const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), w0),
                                         _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), w1));
        const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), w0),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), w1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * k), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * k + 8), hi);
    }
#endif
    for (; k < count; ++k)
        for (int c = 0; c < 4; ++c)
            out[4 * k + c] = static_cast<int16_t>(Channel(top[k], c) * (kTexelOne - fy) + Channel(bottom[k], c) * fy);
}

} // namespace platform::d3d9impl

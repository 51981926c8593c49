#include "platform/d3d9/span.h"

#include "platform/d3d9/pixel.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform::d3d9impl {

namespace {

// One pixel, as the scalar arithmetic has it (also the tail of each row).
template <Fetch F, bool Mod>
inline uint32_t Produce1(const SpanInput& in, int i)
{
    uint32_t t;
    if constexpr (F == Fetch::Contiguous) {
        t = in.src[i];
    } else if constexpr (F == Fetch::Point) {
        t = in.row0[in.col0[i]];
    } else {
        const uint32_t fx = in.colWeights[i] >> 16;
        t = Bilinear(in.row0[in.col0[i]], in.row0[in.col1[i]], in.row1[in.col0[i]],
                     in.row1[in.col1[i]], fx, in.fy);
    }
    t |= in.texelOr;
    if constexpr (Mod) t = Modulate(t, in.diffuse);
    return t;
}

template <bool BlendOn, bool Mask>
inline void Store1(const SpanInput& in, uint32_t* dst, uint32_t s)
{
    uint32_t v = BlendOn ? Blend(s, *dst) : s;
    if constexpr (Mask) v = Masked(v, *dst, in.writeMask);
    *dst = v;
}

#ifdef __SSE2__

inline __m128i Div255x8(__m128i t)
{
    t = _mm_add_epi16(t, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Two bilinear samples as 16-bit channels (pixel i low, pixel i + 1 high).
inline __m128i Bilinear2(const SpanInput& in, int i, __m128i zero)
{
    const __m128i top = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(in.row0[in.col0[i]])),
                           _mm_cvtsi32_si128(static_cast<int>(in.row0[in.col0[i + 1]]))),
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(in.row0[in.col1[i]])),
                           _mm_cvtsi32_si128(static_cast<int>(in.row0[in.col1[i + 1]]))));
    const __m128i bottom = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(in.row1[in.col0[i]])),
                           _mm_cvtsi32_si128(static_cast<int>(in.row1[in.col0[i + 1]]))),
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(in.row1[in.col1[i]])),
                           _mm_cvtsi32_si128(static_cast<int>(in.row1[in.col1[i + 1]]))));
    const uint32_t wy0 = kTexelOne - in.fy, wy1 = in.fy;
    const __m128i wtA = _mm_set1_epi32(static_cast<int>(in.colWeights[i] * wy0));
    const __m128i wbA = _mm_set1_epi32(static_cast<int>(in.colWeights[i] * wy1));
    const __m128i wtB = _mm_set1_epi32(static_cast<int>(in.colWeights[i + 1] * wy0));
    const __m128i wbB = _mm_set1_epi32(static_cast<int>(in.colWeights[i + 1] * wy1));
    const __m128i round = _mm_set1_epi32(1 << 13);
    __m128i a = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(top, zero), wtA),
                              _mm_madd_epi16(_mm_unpacklo_epi8(bottom, zero), wbA));
    __m128i b = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(top, zero), wtB),
                              _mm_madd_epi16(_mm_unpackhi_epi8(bottom, zero), wbB));
    a = _mm_srli_epi32(_mm_add_epi32(a, round), 14);
    b = _mm_srli_epi32(_mm_add_epi32(b, round), 14);
    return _mm_packs_epi32(a, b);
}

inline __m128i Load4(const SpanInput& in, int i)
{
    return _mm_set_epi32(static_cast<int>(in.row0[in.col0[i + 3]]),
                         static_cast<int>(in.row0[in.col0[i + 2]]),
                         static_cast<int>(in.row0[in.col0[i + 1]]),
                         static_cast<int>(in.row0[in.col0[i]]));
}

// Four source pixels, tinted.
template <Fetch F, bool Mod>
inline __m128i Produce4(const SpanInput& in, int i, __m128i zero, __m128i texelOr, __m128i diffuse16)
{
    if constexpr (F == Fetch::Bilinear) {
        __m128i lo = _mm_or_si128(Bilinear2(in, i, zero), _mm_unpacklo_epi8(texelOr, zero));
        __m128i hi = _mm_or_si128(Bilinear2(in, i + 2, zero), _mm_unpacklo_epi8(texelOr, zero));
        if constexpr (Mod) {
            lo = Div255x8(_mm_mullo_epi16(lo, diffuse16));
            hi = Div255x8(_mm_mullo_epi16(hi, diffuse16));
        }
        return _mm_packus_epi16(lo, hi);
    } else {
        __m128i t;
        if constexpr (F == Fetch::Contiguous)
            t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.src + i));
        else
            t = Load4(in, i);
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
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255x8(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)));
}

template <bool BlendOn, bool Mask>
inline void Store4(uint32_t* dst, __m128i s, __m128i zero, __m128i mask)
{
    __m128i* p = reinterpret_cast<__m128i*>(dst);
    __m128i v;
    if constexpr (BlendOn) {
        const __m128i alpha = _mm_srli_epi32(s, 24);
        const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255)));
        if (opaque == 0xFFFF) {
            v = s;
        } else {
            const int clear = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, zero));
            if (clear == 0xFFFF) return;
            const __m128i d = _mm_loadu_si128(p);
            v = _mm_packus_epi16(Blend2(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero)),
                                 Blend2(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero)));
        }
    } else {
        v = s;
    }
    if constexpr (Mask) {
        const __m128i old = _mm_loadu_si128(p);
        v = _mm_or_si128(_mm_and_si128(v, mask), _mm_andnot_si128(mask, old));
    }
    _mm_storeu_si128(p, v);
}

#endif

template <Fetch F, bool Mod, bool BlendOn, bool Mask>
void Span(const SpanInput& in, uint32_t* dst, int count)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i texelOr = _mm_set1_epi32(static_cast<int>(in.texelOr));
    const __m128i diffuse16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(in.diffuse)), zero);
    const __m128i mask = _mm_set1_epi32(static_cast<int>(in.writeMask));
    for (; i + 4 <= count; i += 4)
        Store4<BlendOn, Mask>(dst + i, Produce4<F, Mod>(in, i, zero, texelOr, diffuse16), zero, mask);
#endif
    for (; i < count; ++i)
        Store1<BlendOn, Mask>(in, dst + i, Produce1<F, Mod>(in, i));
}

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

} // namespace platform::d3d9impl

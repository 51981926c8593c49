#include "platform/d3d9/span.h"

#include "platform/d3d9/pixel.h"

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

// One horizontal bilinear step: a column pair (c, c + 1) weighted by w
// ((1 − fx) low, fx high), rounded to 8-bit channels in 32-bit lanes.
inline __m128i Horizontal(__m128i pair, uint32_t w)
{
    const __m128i interleaved = _mm_unpacklo_epi16(pair, _mm_srli_si128(pair, 8));
    const __m128i sum = _mm_madd_epi16(interleaved, _mm_set1_epi32(static_cast<int>(w)));
    return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << 13)), 14);
}

inline __m128i Tint2(__m128i t16, __m128i diffuse16)
{
    return Div255x8(_mm_mullo_epi16(t16, diffuse16));
}

// The four source pixels of the group at i, tinted; false when they are all
// clear and `skipClear` says that a clear pixel changes nothing.
template <Fetch F, bool Mod>
inline bool Produce4(const SpanInput& in, int i, bool skipClear, __m128i zero, __m128i texelOr,
                     __m128i diffuse16, __m128i* out)
{
    if constexpr (F == Fetch::Bilinear) {
        const auto pairAt = [&](int k) {
            return _mm_loadu_si128(
                reinterpret_cast<const __m128i*>(in.column + 4 * in.col0[i + k]));
        };
        const __m128i p0 = pairAt(0), p1 = pairAt(1), p2 = pairAt(2), p3 = pairAt(3);
        if (skipClear) {
            const __m128i alphas =
                _mm_and_si128(_mm_or_si128(_mm_or_si128(p0, p1), _mm_or_si128(p2, p3)),
                              _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(alphas, zero)) == 0xFFFF) return false;
        }
        const __m128i or16 = _mm_unpacklo_epi8(texelOr, zero);
        const uint32_t* w = in.colWeights + i;
        __m128i lo =
            _mm_or_si128(_mm_packs_epi32(Horizontal(p0, w[0]), Horizontal(p1, w[1])), or16);
        __m128i hi =
            _mm_or_si128(_mm_packs_epi32(Horizontal(p2, w[2]), Horizontal(p3, w[3])), or16);
        if constexpr (Mod) {
            lo = Tint2(lo, diffuse16);
            hi = Tint2(hi, diffuse16);
        }
        *out = _mm_packus_epi16(lo, hi);
        return true;
    } else {
        __m128i t;
        if constexpr (F == Fetch::Contiguous) {
            t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.src + i));
        } else {
            const uint32_t* row = in.row0;
            const int32_t* c = in.col0 + i;
            t = _mm_set_epi32(static_cast<int>(row[c[3]]), static_cast<int>(row[c[2]]),
                              static_cast<int>(row[c[1]]), static_cast<int>(row[c[0]]));
        }
        if (skipClear && _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(t, 24), zero)) == 0xFFFF)
            return false;
        t = _mm_or_si128(t, texelOr);
        if constexpr (Mod)
            t = _mm_packus_epi16(Tint2(_mm_unpacklo_epi8(t, zero), diffuse16),
                                 Tint2(_mm_unpackhi_epi8(t, zero), diffuse16));
        *out = t;
        return true;
    }
}

inline __m128i Blend2(__m128i s, __m128i d)
{
    // Each pixel's alpha in all four of its lanes.
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return Div255x8(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)));
}

// Stores four pixels; with a partial group only the first `keep` of them
// change (the others are written back as they were).
template <bool BlendOn, bool Mask, bool Partial>
inline void Store4(uint32_t* dst, __m128i s, __m128i zero, __m128i mask, __m128i keep = __m128i())
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
    if constexpr (Mask || Partial) {
        const __m128i old = _mm_loadu_si128(p);
        const __m128i m = Mask && Partial ? _mm_and_si128(mask, keep) : Mask ? mask : keep;
        v = _mm_or_si128(_mm_and_si128(v, m), _mm_andnot_si128(m, old));
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
    // Blending a clear pixel (alpha 0 from the texel) leaves the target as it is.
    const bool skipClear = BlendOn && (in.texelOr >> 24) == 0;
    int i = 0;
    __m128i s;
    for (; i + 4 <= count; i += 4)
        if (Produce4<F, Mod>(in, i, skipClear, zero, texelOr, diffuse16, &s))
            Store4<BlendOn, Mask, false>(dst + i, s, zero, mask);
    const int rest = count - i;
    if (rest == 0) return;
    // The last one to three pixels: a whole group, of which only they change.
    const __m128i keep = _mm_cmpgt_epi32(_mm_set1_epi32(rest), _mm_set_epi32(3, 2, 1, 0));
    if (Produce4<F, Mod>(in, i, skipClear, zero, texelOr, diffuse16, &s))
        Store4<BlendOn, Mask, true>(dst + i, s, zero, mask, keep);
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

bool& Wide()
{
    static bool wide = WideKernelsSupported();
    return wide;
}

} // namespace

void UseWideKernels(bool on)
{
    Wide() = on && WideKernelsSupported();
}

SpanFunction SelectSpan(Fetch fetch, bool modulate, bool blend, bool masked)
{
    if (Wide()) return SelectWideSpan(fetch, modulate, blend, masked);
    switch (fetch) {
    case Fetch::Contiguous: return Pick<Fetch::Contiguous>(modulate, blend, masked);
    case Fetch::Point: return Pick<Fetch::Point>(modulate, blend, masked);
    case Fetch::Bilinear: break;
    }
    return Pick<Fetch::Bilinear>(modulate, blend, masked);
}

void VerticalPass(const uint32_t* top, const uint32_t* bottom, int count, uint32_t fy, int16_t* out)
{
    if (Wide()) return WideVerticalPass(top, bottom, count, fy, out);
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
            out[4 * k + c] = static_cast<int16_t>(Channel(top[k], c) * (kTexelOne - fy) +
                                                  Channel(bottom[k], c) * fy);
}

} // namespace platform::d3d9impl

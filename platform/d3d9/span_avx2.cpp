// The row kernels eight pixels at a time, for processors with AVX2. The
// arithmetic is that of pixel.h; its functions are compiled for AVX2 and only
// called after the processor has been asked, so it includes no header with
// inline functions that other files might share.
#include "platform/d3d9/span.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define KVARLOP_WIDE_KERNELS 1
#include <immintrin.h>

// Every function that touches the wide registers is compiled for AVX2 by
// this attribute, which GCC and clang both take (a pragma would be GCC's own).
#define KVARLOP_AVX2 __attribute__((target("avx2")))

namespace platform::d3d9impl {

namespace {

constexpr int kOne = 128; // texel fractions

KVARLOP_AVX2 inline __m256i Div255(__m256i t)
{
    t = _mm256_add_epi16(t, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

KVARLOP_AVX2 inline __m256i Tint(__m256i t16, __m256i diffuse16)
{
    return Div255(_mm256_mullo_epi16(t16, diffuse16));
}

KVARLOP_AVX2 inline __m256i Pair(const SpanInput& in, int i, int k)
{
    const __m128i* a = reinterpret_cast<const __m128i*>(in.column + 4 * in.col0[i + k]);
    const __m128i* b = reinterpret_cast<const __m128i*>(in.column + 4 * in.col0[i + k + 4]);
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(a)), _mm_loadu_si128(b),
                                   1);
}

// Pixels k and k + 4 of a group: their column pairs weighted, rounded.
template <int K>
KVARLOP_AVX2 inline __m256i Horizontal(__m256i pair, __m256i weights)
{
    const __m256i interleaved = _mm256_unpacklo_epi16(pair, _mm256_srli_si256(pair, 8));
    const __m256i w = _mm256_shuffle_epi32(weights, K * 0x55);
    const __m256i sum = _mm256_madd_epi16(interleaved, w);
    return _mm256_srli_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(1 << 13)), 14);
}

KVARLOP_AVX2 inline __m256i Gather8(const uint32_t* row, const int32_t* c)
{
    const __m128i lo = _mm_set_epi32(static_cast<int>(row[c[3]]), static_cast<int>(row[c[2]]),
                                     static_cast<int>(row[c[1]]), static_cast<int>(row[c[0]]));
    const __m128i hi = _mm_set_epi32(static_cast<int>(row[c[7]]), static_cast<int>(row[c[6]]),
                                     static_cast<int>(row[c[5]]), static_cast<int>(row[c[4]]));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// The eight source pixels of the group at i, tinted, in order; false when
// they are all clear and `skipClear` says that a clear pixel changes nothing.
template <Fetch F, bool Mod>
KVARLOP_AVX2 inline bool Produce8(const SpanInput& in, int i, bool skipClear, __m256i zero,
                                  __m256i texelOr, __m256i diffuse16, __m256i* out)
{
    if constexpr (F == Fetch::Bilinear) {
        // Lane halves hold pixels 0-3 and 4-7.
        const __m256i p0 = Pair(in, i, 0), p1 = Pair(in, i, 1), p2 = Pair(in, i, 2),
                      p3 = Pair(in, i, 3);
        if (skipClear) {
            const __m256i alphas = _mm256_and_si256(
                _mm256_or_si256(_mm256_or_si256(p0, p1), _mm256_or_si256(p2, p3)),
                _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0));
            if (_mm256_testz_si256(alphas, alphas)) return false;
        }
        const __m256i weights =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in.colWeights + i));
        const __m256i or16 = _mm256_unpacklo_epi8(texelOr, zero);
        __m256i lo = _mm256_or_si256(
            _mm256_packs_epi32(Horizontal<0>(p0, weights), Horizontal<1>(p1, weights)), or16);
        __m256i hi = _mm256_or_si256(
            _mm256_packs_epi32(Horizontal<2>(p2, weights), Horizontal<3>(p3, weights)), or16);
        if constexpr (Mod) {
            lo = Tint(lo, diffuse16);
            hi = Tint(hi, diffuse16);
        }
        *out = _mm256_packus_epi16(lo, hi);
        return true;
    } else {
        __m256i t;
        if constexpr (F == Fetch::Contiguous)
            t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in.src + i));
        else
            t = Gather8(in.row0, in.col0 + i);
        if (skipClear) {
            const __m256i alphas = _mm256_srli_epi32(t, 24);
            if (_mm256_testz_si256(alphas, alphas)) return false;
        }
        t = _mm256_or_si256(t, texelOr);
        if constexpr (Mod)
            t = _mm256_packus_epi16(Tint(_mm256_unpacklo_epi8(t, zero), diffuse16),
                                    Tint(_mm256_unpackhi_epi8(t, zero), diffuse16));
        *out = t;
        return true;
    }
}

KVARLOP_AVX2 inline __m256i Blend(__m256i s, __m256i d)
{
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return Div255(_mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, ia)));
}

template <bool BlendOn, bool Mask, bool Partial>
KVARLOP_AVX2 inline void Store8(uint32_t* dst, __m256i s, __m256i zero, __m256i mask,
                                __m256i keep = __m256i())
{
    __m256i* p = reinterpret_cast<__m256i*>(dst);
    __m256i v = s;
    if constexpr (BlendOn) {
        const __m256i alpha = _mm256_srli_epi32(s, 24);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, _mm256_set1_epi32(255))) != -1) {
            if (_mm256_testz_si256(alpha, alpha)) return;
            const __m256i d = _mm256_loadu_si256(p);
            v = _mm256_packus_epi16(
                Blend(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero)),
                Blend(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero)));
        }
    }
    if constexpr (Mask || Partial) {
        const __m256i old = _mm256_loadu_si256(p);
        const __m256i m = Mask && Partial ? _mm256_and_si256(mask, keep) : Mask ? mask : keep;
        v = _mm256_or_si256(_mm256_and_si256(v, m), _mm256_andnot_si256(m, old));
    }
    _mm256_storeu_si256(p, v);
}

template <Fetch F, bool Mod, bool BlendOn, bool Mask>
KVARLOP_AVX2 void Span(const SpanInput& in, uint32_t* dst, int count)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i texelOr = _mm256_set1_epi32(static_cast<int>(in.texelOr));
    const __m256i diffuse16 =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(in.diffuse)), zero);
    const __m256i mask = _mm256_set1_epi32(static_cast<int>(in.writeMask));
    const bool skipClear = BlendOn && (in.texelOr >> 24) == 0;
    int i = 0;
    __m256i s;
    for (; i + 8 <= count; i += 8)
        if (Produce8<F, Mod>(in, i, skipClear, zero, texelOr, diffuse16, &s))
            Store8<BlendOn, Mask, false>(dst + i, s, zero, mask);
    const int rest = count - i;
    if (rest == 0) return;
    const __m256i keep =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(rest), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    if (Produce8<F, Mod>(in, i, skipClear, zero, texelOr, diffuse16, &s))
        Store8<BlendOn, Mask, true>(dst + i, s, zero, mask, keep);
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

SpanFunction SelectWideSpan(Fetch fetch, bool modulate, bool blend, bool masked)
{
    switch (fetch) {
    case Fetch::Contiguous: return Pick<Fetch::Contiguous>(modulate, blend, masked);
    case Fetch::Point: return Pick<Fetch::Point>(modulate, blend, masked);
    case Fetch::Bilinear: break;
    }
    return Pick<Fetch::Bilinear>(modulate, blend, masked);
}

KVARLOP_AVX2 void WideVerticalPass(const uint32_t* top, const uint32_t* bottom, int count,
                                   uint32_t fy, int16_t* out)
{
    const __m256i w0 = _mm256_set1_epi16(static_cast<short>(kOne - fy));
    const __m256i w1 = _mm256_set1_epi16(static_cast<short>(fy));
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m256i a =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top + k)));
        const __m256i b =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + k)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * k),
                            _mm256_add_epi16(_mm256_mullo_epi16(a, w0), _mm256_mullo_epi16(b, w1)));
    }
    for (; k < count; ++k)
        for (int c = 0; c < 4; ++c)
            out[4 * k + c] = static_cast<int16_t>(((top[k] >> (8 * c)) & 0xFF) * (kOne - fy) +
                                                  ((bottom[k] >> (8 * c)) & 0xFF) * fy);
}

} // namespace platform::d3d9impl

// Compiled for any processor: it is what decides.
bool platform::d3d9impl::WideKernelsSupported()
{
    return __builtin_cpu_supports("avx2");
}

#else

namespace platform::d3d9impl {
SpanFunction SelectWideSpan(Fetch, bool, bool, bool)
{
    return nullptr;
}
void WideVerticalPass(const uint32_t*, const uint32_t*, int, uint32_t, int16_t*) {}
bool WideKernelsSupported()
{
    return false;
}
} // namespace platform::d3d9impl

#endif

// The frame scaler's AVX2 kernels: the arithmetic of the SSE2 ones, twice
// as wide. Compiled for AVX2 function by function, and only called after
// HasAvx2().
#include "platform/sdl/frame_scaler_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <atomic>
#include <immintrin.h>
#define KVARLOP_AVX2 __attribute__((target("avx2")))

namespace platform {

namespace {
std::atomic<bool> g_allowed{true};
} // namespace

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has && g_allowed.load(std::memory_order_relaxed);
}

void AllowAvx2(bool allowed)
{
    g_allowed = allowed;
}

namespace {

// Two source pairs (pixels i, i + 1 and j, j + 1) as 16-bit channels: the
// first in the low 128-bit lane, the second in the high one.
KVARLOP_AVX2 inline __m256i Pairs(const uint32_t* row, int i, int j)
{
    __m128i q = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + i));
    q = _mm_castpd_si128(
        _mm_loadh_pd(_mm_castsi128_pd(q), reinterpret_cast<const double*>(row + j)));
    return _mm256_cvtepu8_epi16(q);
}

// Weighs each pair by its lanes and folds it: one pixel's four channels in
// the low 64 bits of each 128-bit lane.
KVARLOP_AVX2 inline __m256i Fold(__m256i pairs, const uint16_t* lanes)
{
    const __m256i m =
        _mm256_mullo_epi16(pairs, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes)));
    return _mm256_srli_epi16(_mm256_add_epi16(m, _mm256_srli_si256(m, 8)), 8);
}

} // namespace

namespace {

// Four output pixels from their source pairs, one pair at a time.
KVARLOP_AVX2 inline void ScaleFour(const uint32_t* row, uint32_t* out, const int* index,
                                   const uint16_t* lanes, int d)
{
    // Lane 0 gets pixels d and d + 2, lane 1 d + 1 and d + 3: put in order.
    const __m256i order = _mm256_setr_epi32(0, 4, 2, 6, 1, 3, 5, 7);
    const __m256i s = Fold(Pairs(row, index[d], index[d + 1]), lanes + d * 8);
    const __m256i t = Fold(Pairs(row, index[d + 2], index[d + 3]), lanes + (d + 2) * 8);
    const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(s, t), order);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + d), _mm256_castsi256_si128(packed));
}

} // namespace

KVARLOP_AVX2 int ScaleRowAvx2(const uint32_t* row, int rowLength, uint32_t* out, const int* index,
                              const uint16_t* lanes, const uint16_t* spread, int d, int end)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i full = _mm256_set1_epi16(256);
    for (; d + 8 <= end; d += 8) {
        const int base = index[d];
        if (index[d + 7] + 1 - base > 7 || base + 8 > rowLength) {
            ScaleFour(row, out, index, lanes, d);
            ScaleFour(row, out, index, lanes, d + 4);
            continue;
        }
        // Enlarging: eight outputs read from eight source pixels in a row,
        // picked by a permutation, the left and the right of each pair.
        const __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + base));
        const __m256i at = _mm256_sub_epi32(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index + d)), _mm256_set1_epi32(base));
        const __m256i left = _mm256_permutevar8x32_epi32(source, at);
        const __m256i right = _mm256_permutevar8x32_epi32(source, _mm256_add_epi32(at, one));
        // Unpacking takes pixels 0, 1, 4, 5 (low) and 2, 3, 6, 7 (high).
        const __m256i w0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(spread + d * 4));
        const __m256i w1 =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(spread + d * 4 + 16));
        const __m256i wlo = _mm256_permute2x128_si256(w0, w1, 0x20);
        const __m256i whi = _mm256_permute2x128_si256(w0, w1, 0x31);
        const __m256i lo = _mm256_srli_epi16(
            _mm256_add_epi16(
                _mm256_mullo_epi16(_mm256_unpacklo_epi8(left, zero), _mm256_sub_epi16(full, wlo)),
                _mm256_mullo_epi16(_mm256_unpacklo_epi8(right, zero), wlo)),
            8);
        const __m256i hi = _mm256_srli_epi16(
            _mm256_add_epi16(
                _mm256_mullo_epi16(_mm256_unpackhi_epi8(left, zero), _mm256_sub_epi16(full, whi)),
                _mm256_mullo_epi16(_mm256_unpackhi_epi8(right, zero), whi)),
            8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + d), _mm256_packus_epi16(lo, hi));
    }
    for (; d + 4 <= end; d += 4)
        ScaleFour(row, out, index, lanes, d);
    return d;
}

namespace {

// Eight pixels of a * (256 - w) / 256 + b * w / 256.
KVARLOP_AVX2 inline __m256i BlendEight(const uint32_t* a, const uint32_t* b, __m256i wa,
                                       __m256i wb)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
    const __m256i lo =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(x, zero), wa),
                                           _mm256_mullo_epi16(_mm256_unpacklo_epi8(y, zero), wb)),
                          8);
    const __m256i hi =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(x, zero), wa),
                                           _mm256_mullo_epi16(_mm256_unpackhi_epi8(y, zero), wb)),
                          8);
    return _mm256_packus_epi16(lo, hi);
}

} // namespace

// The window's framebuffer is read by the display server after every
// present: its rows are written past the cache, which spares reading them
// in first and taking their lines back from the server's side. The stores
// are ordered once the whole change is written (StreamedRowsDone), not row
// by row.
void StreamedRowsDone()
{
    _mm_sfence();
}

KVARLOP_AVX2 int CopyRowAvx2(const uint32_t* from, uint32_t* out, int count)
{
    if (count < 8) return 0;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
    int i = static_cast<int>(((32 - (reinterpret_cast<uintptr_t>(out) & 31)) & 31) / 4);
    for (; i + 8 <= count; i += 8)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
    return i;
}

KVARLOP_AVX2 int BlendRowsAvx2(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out,
                               int count)
{
    const __m256i wa = _mm256_set1_epi16(static_cast<short>(256 - w));
    const __m256i wb = _mm256_set1_epi16(static_cast<short>(w));
    // Written past the cache, as CopyRowAvx2 does.
    if (count < 8) return 0;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), BlendEight(a, b, wa, wb));
    int i = static_cast<int>(((32 - (reinterpret_cast<uintptr_t>(out) & 31)) & 31) / 4);
    for (; i + 8 <= count; i += 8)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), BlendEight(a + i, b + i, wa, wb));
    return i;
}

} // namespace platform

#else

namespace platform {
bool HasAvx2()
{
    return false;
}
void AllowAvx2(bool) {}
int ScaleRowAvx2(const uint32_t*, int, uint32_t*, const int*, const uint16_t*, const uint16_t*,
                 int first, int)
{
    return first;
}
int BlendRowsAvx2(const uint32_t*, const uint32_t*, uint32_t, uint32_t*, int)
{
    return 0;
}
int CopyRowAvx2(const uint32_t*, uint32_t*, int)
{
    return 0;
}
void StreamedRowsDone() {}
} // namespace platform

#endif

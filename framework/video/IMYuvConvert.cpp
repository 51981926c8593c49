#include "framework/video/IMYuvConvert.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

int Saturate16(int value)
{
    return std::min(32767, std::max(-32768, value));
}

unsigned char Clamp8(int value)
{
    return static_cast<unsigned char>(std::min(255, std::max(0, value)));
}

// One pixel from its samples, with the 16-bit saturation of every sum.
void ConvertPixel(int y, int u, int v, unsigned char* out)
{
    const int luma = (y - 16) * 74;
    const int cb = u - 128;
    const int cr = v - 128;
    const int red = Saturate16(luma + 102 * cr);
    const int green = Saturate16(Saturate16(luma - 25 * cb) - 52 * cr);
    const int blue = Saturate16(luma + 129 * cb);
    out[0] = Clamp8(blue >> 6);
    out[1] = Clamp8(green >> 6);
    out[2] = Clamp8(red >> 6);
    out[3] = 0;
}

const unsigned char* Row(const unsigned char* plane, int stride, int row)
{
    return plane + static_cast<std::ptrdiff_t>(stride) * row;
}

unsigned char* Row(unsigned char* bits, int pitch, int row)
{
    return bits + static_cast<std::ptrdiff_t>(pitch) * row;
}

// Pixels [from, to) of one row, a pixel at a time.
void ConvertRowScalar(const IMYuvPlanes& p, unsigned char* bits, int pitch, int row, int from,
                      int to)
{
    const unsigned char* y = Row(p.y, p.yStride, row);
    const unsigned char* u = Row(p.u, p.uvStride, row >> p.chromaShiftY);
    const unsigned char* v = Row(p.v, p.uvStride, row >> p.chromaShiftY);
    unsigned char* out = Row(bits, pitch, row);
    const int sx = p.chromaShiftX;
    for (int x = from; x < to; ++x)
        ConvertPixel(y[x], u[x >> sx], v[x >> sx], out + 4 * x);
}

#if defined(__SSE2__)

struct Chroma {
    __m128i red;   // 102 V'
    __m128i green; // 25 U' and 52 V', subtracted in that order
    __m128i green2;
    __m128i blue; // 129 U'
};

// Eight pixels of one row from their luma bytes and the shared chroma terms.
void StoreEight(const unsigned char* y, const Chroma& c, unsigned char* out)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i luma = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y)), zero);
    luma = _mm_mullo_epi16(_mm_sub_epi16(luma, _mm_set1_epi16(16)), _mm_set1_epi16(74));

    const __m128i red = _mm_srai_epi16(_mm_adds_epi16(luma, c.red), 6);
    const __m128i green =
        _mm_srai_epi16(_mm_subs_epi16(_mm_subs_epi16(luma, c.green), c.green2), 6);
    const __m128i blue = _mm_srai_epi16(_mm_adds_epi16(luma, c.blue), 6);

    const __m128i b8 = _mm_packus_epi16(blue, zero);
    const __m128i g8 = _mm_packus_epi16(green, zero);
    const __m128i r8 = _mm_packus_epi16(red, zero);
    const __m128i bg = _mm_unpacklo_epi8(b8, g8);
    const __m128i r0 = _mm_unpacklo_epi8(r8, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, r0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bg, r0));
}

// The chroma of eight pixels as 16-bit terms: four samples each doubled to
// serve two pixels (halved across), or eight samples of a pixel each.
Chroma LoadChroma(const unsigned char* u, const unsigned char* v, bool halved)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i cu;
    __m128i cv;
    if (halved) {
        int32_t u4;
        int32_t v4;
        std::copy(u, u + 4, reinterpret_cast<unsigned char*>(&u4));
        std::copy(v, v + 4, reinterpret_cast<unsigned char*>(&v4));
        cu = _mm_cvtsi32_si128(u4);
        cv = _mm_cvtsi32_si128(v4);
        cu = _mm_unpacklo_epi8(cu, cu);
        cv = _mm_unpacklo_epi8(cv, cv);
    } else {
        cu = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u));
        cv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v));
    }
    cu = _mm_unpacklo_epi8(cu, zero);
    cv = _mm_unpacklo_epi8(cv, zero);
    cu = _mm_sub_epi16(cu, _mm_set1_epi16(128));
    cv = _mm_sub_epi16(cv, _mm_set1_epi16(128));
    Chroma c;
    c.red = _mm_mullo_epi16(cv, _mm_set1_epi16(102));
    c.green = _mm_mullo_epi16(cu, _mm_set1_epi16(25));
    c.green2 = _mm_mullo_epi16(cv, _mm_set1_epi16(52));
    c.blue = _mm_mullo_epi16(cu, _mm_set1_epi16(129));
    return c;
}

#endif

void Convert(const IMYuvPlanes& p, unsigned char* bits, int pitch, int maxWidth, int maxRows,
             bool fast)
{
    if (!p.y || !p.u || !p.v || !bits)
        return;
    const int sx = p.chromaShiftX;
    const int sy = p.chromaShiftY;
    if ((sx != 0 && sx != 1) || (sy != 0 && sy != 1))
        return;
    const int width = std::min(p.width, maxWidth);
    const int rows = std::min(p.height, maxRows);
    if (width <= 0 || rows <= 0)
        return;
#if defined(__SSE2__)
    const int wide = fast ? width / 8 * 8 : 0;
#else
    (void)fast;
    const int wide = 0;
#endif
    for (int row = 0; row < rows; row += 2) {
        const bool pair = row + 1 < rows;
#if defined(__SSE2__)
        const unsigned char* y0 = Row(p.y, p.yStride, row);
        const unsigned char* y1 = Row(p.y, p.yStride, row + 1);
        // The two rows share their chroma row when it is halved down.
        const unsigned char* u0 = Row(p.u, p.uvStride, row >> sy);
        const unsigned char* v0 = Row(p.v, p.uvStride, row >> sy);
        const unsigned char* u1 = Row(p.u, p.uvStride, (row + 1) >> sy);
        const unsigned char* v1 = Row(p.v, p.uvStride, (row + 1) >> sy);
        unsigned char* out0 = Row(bits, pitch, row);
        unsigned char* out1 = Row(bits, pitch, row + 1);
        for (int x = 0; x < wide; x += 8) {
            const Chroma c = LoadChroma(u0 + (x >> sx), v0 + (x >> sx), sx == 1);
            StoreEight(y0 + x, c, out0 + 4 * x);
            if (!pair)
                continue;
            if (sy == 1)
                StoreEight(y1 + x, c, out1 + 4 * x);
            else
                StoreEight(y1 + x, LoadChroma(u1 + (x >> sx), v1 + (x >> sx), sx == 1),
                           out1 + 4 * x);
        }
#endif
        ConvertRowScalar(p, bits, pitch, row, wide, width);
        if (pair)
            ConvertRowScalar(p, bits, pitch, row + 1, wide, width);
    }
}

} // namespace

void IMConvertYuvToBgrx(const IMYuvPlanes& planes, unsigned char* bits, int pitch, int maxWidth,
                        int maxRows)
{
    Convert(planes, bits, pitch, maxWidth, maxRows, true);
}

void IMConvertYuvToBgrxScalar(const IMYuvPlanes& planes, unsigned char* bits, int pitch,
                              int maxWidth, int maxRows)
{
    Convert(planes, bits, pitch, maxWidth, maxRows, false);
}

// Smoothed chroma and its conversion for one output row of a 2 x 1 or 2 x 2
// MCU, straight from the decoder's row buffers to the bitmap, eight pixels
// to a register. Bit for bit what the planes and the converter of unusual
// samplings give: the same triangle filter, the same rounding of green.
#include <emmintrin.h>

#include "jpeg_dispatch.h"
#include "jpeg_simd.h"
#include "packed_pixels_128.h"

namespace {

// Eight bytes from p as 16-bit lanes.
inline __m128i Widen(const uint8_t *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
}

// 16 chroma samples of the row from the 8 of one chroma row, as the
// samples of the even and of the odd pixels: s holds the column sums at
// -1..8 as three shifted views.
inline void Interpolate(__m128i left, __m128i centre, __m128i right, __m128i evenRound, __m128i oddRound, int shift,
                        __m128i *even, __m128i *odd)
{
    __m128i centre3 = _mm_add_epi16(_mm_add_epi16(centre, centre), centre);
    *even = _mm_sra_epi16(_mm_add_epi16(_mm_add_epi16(centre3, left), evenRound), _mm_cvtsi32_si128(shift));
    *odd = _mm_sra_epi16(_mm_add_epi16(_mm_add_epi16(centre3, right), oddRound), _mm_cvtsi32_si128(shift));
}

// The chroma row's 16 values: with another row, 3 x this + that, filtered
// to sixteenths; without, filtered to quarters.
inline void ChromaRow(const uint8_t *here, const uint8_t *other, __m128i *even, __m128i *odd)
{
    if (!other) {
        Interpolate(Widen(here - 1), Widen(here), Widen(here + 1), _mm_set1_epi16(1), _mm_set1_epi16(2), 2, even,
                    odd);
        return;
    }
    __m128i sums[3];
    for (int i = 0; i < 3; i++) {
        __m128i h = Widen(here - 1 + i), o = Widen(other - 1 + i);
        sums[i] = _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(h, h), h), o);
    }
    Interpolate(sums[0], sums[1], sums[2], _mm_set1_epi16(8), _mm_set1_epi16(7), 4, even, odd);
}

// (pair . weights) >> 8 for eight pixels, as 16-bit lanes.
inline __m128i WeightedTerm(__m128i first, __m128i second, __m128i weights, __m128i add)
{
    __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(first, second), weights), add);
    __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(first, second), weights), add);
    return _mm_packs_epi32(_mm_srai_epi32(lo, 8), _mm_srai_epi32(hi, 8));
}

// R, G, B of eight pixels, limited to 0..255 by the caller's pack.
inline void Convert(__m128i y, __m128i cb, __m128i cr, __m128i *r, __m128i *g, __m128i *b)
{
    // (359 cr - 45813) >> 8 is cr + ((103 cr + 11) >> 8) - 179, and
    // (454 cb - 57937) >> 8 is 2 cb + ((-58 cb - 81) >> 8) - 226: the
    // whole multiples of 256 taken out, the rest fits 16 bits for samples
    // of 0..255.
    __m128i red = _mm_add_epi16(
        cr, _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(cr, _mm_set1_epi16(103)), _mm_set1_epi16(11)), 8));
    __m128i blue = _mm_add_epi16(
        _mm_add_epi16(cb, cb),
        _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(cb, _mm_set1_epi16(-58)), _mm_set1_epi16(-81)), 8));
    __m128i green = WeightedTerm(cb, cr, _mm_set1_epi32((int)(((uint32_t)(uint16_t)-183 << 16) | (uint16_t)-88)),
                                 _mm_set1_epi32(34806));
    *r = _mm_add_epi16(y, _mm_sub_epi16(red, _mm_set1_epi16(179)));
    *g = _mm_add_epi16(y, green);
    *b = _mm_add_epi16(y, _mm_sub_epi16(blue, _mm_set1_epi16(226)));
}

} // namespace

JPG_SIMD_ENTRY void JpgSmoothRowSse2(const uint8_t *luma, const uint8_t *cb, const uint8_t *cbOther,
                                     const uint8_t *cr, const uint8_t *crOther, int layout, uint8_t *dib)
{
    __m128i cbEven, cbOdd, crEven, crOdd;
    ChromaRow(cb, cbOther, &cbEven, &cbOdd);
    ChromaRow(cr, crOther, &crEven, &crOdd);
    __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma));
    __m128i r[2], g[2], b[2];
    Convert(_mm_and_si128(y, _mm_set1_epi16(0x00FF)), cbEven, crEven, &r[0], &g[0], &b[0]);
    Convert(_mm_srli_epi16(y, 8), cbOdd, crOdd, &r[1], &g[1], &b[1]);
    const __m128i *first = layout == JPG_SMOOTH_BGR ? b : r, *third = layout == JPG_SMOOTH_BGR ? r : b;
    if (layout == JPG_SMOOTH_RGBA)
        packed128::WritePixelPairs<true>(dib, first[0], first[1], g[0], g[1], third[0], third[1]);
    else
        packed128::WritePixelPairs<false>(dib, first[0], first[1], g[0], g[1], third[0], third[1]);
}

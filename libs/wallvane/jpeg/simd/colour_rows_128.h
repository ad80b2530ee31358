// The chroma terms of the YCbCr to RGB conversion on 128-bit registers
// and the rows of 1 x 1 MCUs written with them: the 64-bit kernels' steps
// and bytes, eight lanes at a time. Built for SSE2 in each file that
// includes it.
#pragma once
#include <emmintrin.h>
#include <stddef.h>
#include <stdint.h>

#include "packed_pixels_128.h"

namespace colour128 {

struct Terms {
    __m128i red, green, blue; // added to Y, subtracted from Y, added to Y
};

inline Terms TermsOf(__m128i cb, __m128i cr)
{
    __m128i cb16 = _mm_slli_epi16(cb, 4), cr16 = _mm_slli_epi16(cr, 4);
    Terms t;
    t.red = _mm_sub_epi16(_mm_mulhi_epi16(cr16, _mm_set1_epi16(5744)), _mm_set1_epi16(179));
    t.blue = _mm_sub_epi16(_mm_mulhi_epi16(cb16, _mm_set1_epi16(7264)), _mm_set1_epi16(227));
    __m128i weights = _mm_set1_epi32(88 << 16 | 183), offset = _mm_set1_epi32(556896);
    __m128i low = _mm_madd_epi16(_mm_unpacklo_epi16(cr16, cb16), weights);
    __m128i high = _mm_madd_epi16(_mm_unpackhi_epi16(cr16, cb16), weights);
    t.green = _mm_packs_epi32(_mm_srai_epi32(_mm_sub_epi32(low, offset), 12),
                              _mm_srai_epi32(_mm_sub_epi32(high, offset), 12));
    return t;
}

// The even and the odd bytes of a register, as 16-bit lanes.
inline void SplitBytes(__m128i bytes, __m128i *even, __m128i *odd)
{
    *even = _mm_and_si128(bytes, _mm_set1_epi16(0xFF));
    *odd = _mm_srli_epi16(bytes, 8);
}

// Two rows of 8 pixels, a chroma term for each, from their luminance and
// terms. The colours are formed in the samples' own order and limited by
// the packs to bytes, the first row in bytes 0..7 and the second in 8..15;
// only then are they split into even and odd pixels, where a byte costs
// less to move than a sample and the colours need it once instead of the
// three components.
template <bool Bgr>
inline void WriteTwoRows(__m128i y0, __m128i y1, const Terms &t0, const Terms &t1, uint8_t *dib, ptrdiff_t step)
{
    __m128i red = _mm_packus_epi16(_mm_adds_epi16(y0, t0.red), _mm_adds_epi16(y1, t1.red));
    __m128i green = _mm_packus_epi16(_mm_subs_epi16(y0, t0.green), _mm_subs_epi16(y1, t1.green));
    __m128i blue = _mm_packus_epi16(_mm_adds_epi16(y0, t0.blue), _mm_adds_epi16(y1, t1.blue));
    __m128i rEven, rOdd, gEven, gOdd, bEven, bOdd, units[4];
    SplitBytes(red, &rEven, &rOdd);
    SplitBytes(green, &gEven, &gOdd);
    SplitBytes(blue, &bEven, &bOdd);
    if (Bgr)
        packed128::PackPixelPairs(bEven, bOdd, gEven, gOdd, rEven, rOdd, units);
    else
        packed128::PackPixelPairs(rEven, rOdd, gEven, gOdd, bEven, bOdd, units);
    packed128::StoreSixByteUnits<4>(dib, units);
    packed128::StoreSixByteUnits<4>(dib + step, units + 2);
}

} // namespace colour128

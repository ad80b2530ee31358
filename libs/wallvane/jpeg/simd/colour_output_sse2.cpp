// Whole-MCU colour kernels on 128-bit registers: byte for byte what the
// 64-bit kernels of the same shapes write (the same terms, the same
// saturating steps), eight lanes at a time. The pixels are worked as even
// and odd ones, so that with 2:1 chroma every chroma term serves one lane
// of each without being spread over pixel pairs.
#include <emmintrin.h>

#include "colour_rows_128.h"
#include "jpeg_simd.h"
#include "packed_pixels_128.h"

namespace {

inline __m128i Load(const int16_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// The even and the odd words of a (lanes 0..3) then b (lanes 4..7),
// exactly for any 16-bit value.
inline void SplitEvenOdd(__m128i a, __m128i b, __m128i *even, __m128i *odd)
{
    *even = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
    *odd = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
}

// Eight pixel pairs as units of 6 bytes (pairs 0 and 1 in units[0], and so
// on), from the even and the odd pixels' terms, limited to 0..255 by the
// packs.
template <bool Bgr>
inline void PixelPairs(__m128i y0, __m128i y1, const colour128::Terms &t0, const colour128::Terms &t1,
                       __m128i *units)
{
    __m128i r0 = _mm_adds_epi16(y0, t0.red), r1 = _mm_adds_epi16(y1, t1.red);
    __m128i g0 = _mm_subs_epi16(y0, t0.green), g1 = _mm_subs_epi16(y1, t1.green);
    __m128i b0 = _mm_adds_epi16(y0, t0.blue), b1 = _mm_adds_epi16(y1, t1.blue);
    if (Bgr)
        packed128::PackPixelPairs(b0, b1, g0, g1, r0, r1, units);
    else
        packed128::PackPixelPairs(r0, r1, g0, g1, b0, b1, units);
}

// 16 pixels a row, each chroma sample for two of them; V output rows per
// chroma row.
template <int V, bool Bgr>
void ConvertDoubleWidth(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    for (int j = 0; j < 8; j++) {
        colour128::Terms t = colour128::TermsOf(Load(cb + 8 * j), Load(cr + 8 * j));
        for (int sub = 0; sub < V; sub++) {
            int y = j * V + sub;
            const int16_t *row = luma + (y / 8) * 128 + (y % 8) * 8;
            __m128i even, odd, units[4];
            SplitEvenOdd(Load(row), Load(row + 64), &even, &odd);
            PixelPairs<Bgr>(even, odd, t, t, units);
            packed128::StoreSixByteUnits<8>(dib + y * step, units);
        }
    }
}

// 8 pixels a row, a chroma sample for each: two rows at once.
template <bool Bgr>
void ConvertFullWidth(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    for (int y = 0; y < 8; y += 2)
        colour128::WriteTwoRows<Bgr>(Load(luma + 8 * y), Load(luma + 8 * y + 8),
                                     colour128::TermsOf(Load(cb + 8 * y), Load(cr + 8 * y)),
                                     colour128::TermsOf(Load(cb + 8 * y + 8), Load(cr + 8 * y + 8)), dib + y * step,
                                     step);
}

} // namespace

JPG_SIMD_ENTRY void JpgYccToRgb1x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertFullWidth<false>(luma, cb, cr, dib, step);
}

JPG_SIMD_ENTRY void JpgYccToBgr1x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertFullWidth<true>(luma, cb, cr, dib, step);
}

JPG_SIMD_ENTRY void JpgYccToRgb2x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertDoubleWidth<1, false>(luma, cb, cr, dib, step);
}

JPG_SIMD_ENTRY void JpgYccToBgr2x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertDoubleWidth<1, true>(luma, cb, cr, dib, step);
}

JPG_SIMD_ENTRY void JpgYccToRgb2x2Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertDoubleWidth<2, false>(luma, cb, cr, dib, step);
}

JPG_SIMD_ENTRY void JpgYccToBgr2x2Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                       ptrdiff_t step)
{
    ConvertDoubleWidth<2, true>(luma, cb, cr, dib, step);
}

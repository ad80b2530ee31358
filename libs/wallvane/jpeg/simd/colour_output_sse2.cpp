// Decoder colour kernels on 128-bit registers: eight 16-bit samples a
// register. The same terms as the 64-bit kernels (red and blue as high
// halves of samples scaled by 16, green by multiply-add), so the bytes
// written are theirs exactly; only the width of the steps differs.
#include <emmintrin.h>

#include "jpeg_simd.h"
#include "packed_pixels_128.h"

namespace {

struct Terms {
    __m128i red, green, blue; // added to Y, subtracted from Y, added to Y
};

inline __m128i Load(const int16_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

inline Terms TermsOf(__m128i cb, __m128i cr)
{
    __m128i cb16 = _mm_slli_epi16(cb, 4), cr16 = _mm_slli_epi16(cr, 4);
    Terms t;
    t.red = _mm_sub_epi16(_mm_mulhi_epi16(cr16, _mm_set1_epi16(5744)), _mm_set1_epi16(179));
    t.blue = _mm_sub_epi16(_mm_mulhi_epi16(cb16, _mm_set1_epi16(7264)), _mm_set1_epi16(227));
    __m128i weights = _mm_set1_epi32((88 << 16) | 183), offset = _mm_set1_epi32(556896);
    __m128i low = _mm_madd_epi16(_mm_unpacklo_epi16(cr16, cb16), weights);
    __m128i high = _mm_madd_epi16(_mm_unpackhi_epi16(cr16, cb16), weights);
    t.green = _mm_packs_epi32(_mm_srai_epi32(_mm_sub_epi32(low, offset), 12),
                              _mm_srai_epi32(_mm_sub_epi32(high, offset), 12));
    return t;
}

// H x V luminance pixels per chroma sample over the 8 chroma rows. With
// H = 2 a chroma term serves one even and one odd pixel: the luminance row
// is split into its even and odd pixels instead of the terms being spread.
template <int H, int V, bool Bgr, bool Alpha>
inline void Convert(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    for (int j = 0; j < 8; j++) {
        Terms t = TermsOf(Load(cb + 8 * j), Load(cr + 8 * j));
        for (int sub = 0; sub < V; sub++) {
            int y = j * V + sub;
            const int16_t *lumaRow = luma + (y / 8) * H * 64 + (y % 8) * 8;
            uint8_t *out = dib + y * step;
            if (H == 1) {
                __m128i Y = Load(lumaRow);
                __m128i r = _mm_adds_epi16(Y, t.red), g = _mm_subs_epi16(Y, t.green), b = _mm_adds_epi16(Y, t.blue);
                packed128::WritePixels8<Alpha>(out, Bgr ? b : r, g, Bgr ? r : b);
                continue;
            }
            // The samples are 0..255, so the pack loses nothing.
            __m128i bytes = _mm_packus_epi16(Load(lumaRow), Load(lumaRow + 64));
            __m128i even = _mm_and_si128(bytes, lowBytes), odd = _mm_srli_epi16(bytes, 8);
            __m128i re = _mm_adds_epi16(even, t.red), ro = _mm_adds_epi16(odd, t.red);
            __m128i ge = _mm_subs_epi16(even, t.green), go = _mm_subs_epi16(odd, t.green);
            __m128i be = _mm_adds_epi16(even, t.blue), bo = _mm_adds_epi16(odd, t.blue);
            if (Bgr)
                packed128::WritePixelPairs<Alpha>(out, be, bo, ge, go, re, ro);
            else
                packed128::WritePixelPairs<Alpha>(out, re, ro, ge, go, be, bo);
        }
    }
}

} // namespace

#define JPG_SSE2_KERNEL(name, H, V, Bgr, Alpha)                                                                     \
    JPG_SIMD_ENTRY void name(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,             \
                             ptrdiff_t step)                                                                      \
    {                                                                                                             \
        Convert<H, V, Bgr, Alpha>(luma, cb, cr, dib, step);                                                       \
    }

JPG_SSE2_KERNEL(JpgYccToRgb1x1Sse2, 1, 1, false, false)
JPG_SSE2_KERNEL(JpgYccToBgr1x1Sse2, 1, 1, true, false)
JPG_SSE2_KERNEL(JpgYccToRgba1x1Sse2, 1, 1, false, true)
JPG_SSE2_KERNEL(JpgYccToRgb2x1Sse2, 2, 1, false, false)
JPG_SSE2_KERNEL(JpgYccToBgr2x1Sse2, 2, 1, true, false)
JPG_SSE2_KERNEL(JpgYccToRgba2x1Sse2, 2, 1, false, true)
JPG_SSE2_KERNEL(JpgYccToRgb2x2Sse2, 2, 2, false, false)
JPG_SSE2_KERNEL(JpgYccToBgr2x2Sse2, 2, 2, true, false)
JPG_SSE2_KERNEL(JpgYccToRgba2x2Sse2, 2, 2, false, true)

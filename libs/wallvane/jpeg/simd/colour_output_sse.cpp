// Decoder colour kernels for SSE processors: the 2 x 1 conversions, whose
// chroma terms are spread over pixel pairs by word shuffles.
#include <xmmintrin.h>

#include "colour_output_64.h"
#include "jpeg_simd.h"

namespace {

struct Shuffling {
    static __m64 Low(__m64 x)
    {
        return _mm_shuffle_pi16(x, _MM_SHUFFLE(1, 1, 0, 0));
    }
    static __m64 High(__m64 x)
    {
        return _mm_shuffle_pi16(x, _MM_SHUFFLE(3, 3, 2, 2));
    }
};

} // namespace

void JpgYccToRgb2x1Sse(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToRgb2x1Sse2(luma, cb, cr, dib, step);
#else
    packed64::Convert<Shuffling, 2, 1, false, false>(luma, cb, cr, dib, step, 8);
#endif
}

void JpgYccToBgr2x1Sse(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToBgr2x1Sse2(luma, cb, cr, dib, step);
#else
    packed64::Convert<Shuffling, 2, 1, true, false>(luma, cb, cr, dib, step, 8);
#endif
}

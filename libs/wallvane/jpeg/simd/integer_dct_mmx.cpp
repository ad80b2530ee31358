// The integer transforms for MMX processors: words rearranged by unpacking.
#include "integer_dct_64.h"
#include "jpeg_simd.h"

namespace {

struct Unpacking {
    // (x0, x2) (x4, x6) (x1, x3) (x5, x7), each pair repeated.
    static void InversePairs(__m64 low, __m64 high, __m64 *x02, __m64 *x46, __m64 *x13, __m64 *x57)
    {
        __m64 a = _mm_unpacklo_pi16(low, high), b = _mm_unpackhi_pi16(low, high); // 0 4 1 5, 2 6 3 7
        __m64 even = _mm_unpacklo_pi16(a, b), odd = _mm_unpackhi_pi16(a, b); // 0 2 4 6, 1 3 5 7
        *x02 = _mm_unpacklo_pi32(even, even);
        *x46 = _mm_unpackhi_pi32(even, even);
        *x13 = _mm_unpacklo_pi32(odd, odd);
        *x57 = _mm_unpackhi_pi32(odd, odd);
    }

    static __m64 Reverse(__m64 x)
    {
        return packed64::SwapHalves(SwapWordPairs(x));
    }

    static __m64 SwapWordPairs(__m64 x)
    {
        return _mm_or_si64(_mm_srli_pi32(x, 16), _mm_slli_pi32(x, 16));
    }
};

} // namespace

void JpgIdctIntegerMmx(int16_t *block)
{
    packed64::Inverse<Unpacking>(block);
}

void JpgFdctIntegerMmx(int16_t *block)
{
    packed64::Forward<Unpacking>(block);
}

void JpgClearMmxState(void)
{
    _mm_empty();
}

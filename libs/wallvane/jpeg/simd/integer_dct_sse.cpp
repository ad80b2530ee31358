// The integer transforms for SSE processors: words rearranged by shuffles.
#include <xmmintrin.h>

#include "integer_dct_64.h"
#include "jpeg_simd.h"

namespace {

struct Shuffling {
    static void InversePairs(__m64 low, __m64 high, __m64 *x02, __m64 *x46, __m64 *x13, __m64 *x57)
    {
        *x02 = _mm_shuffle_pi16(low, _MM_SHUFFLE(2, 0, 2, 0));
        *x13 = _mm_shuffle_pi16(low, _MM_SHUFFLE(3, 1, 3, 1));
        *x46 = _mm_shuffle_pi16(high, _MM_SHUFFLE(2, 0, 2, 0));
        *x57 = _mm_shuffle_pi16(high, _MM_SHUFFLE(3, 1, 3, 1));
    }

    static __m64 Reverse(__m64 x)
    {
        return _mm_shuffle_pi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    }

    static __m64 SwapWordPairs(__m64 x)
    {
        return _mm_shuffle_pi16(x, _MM_SHUFFLE(2, 3, 0, 1));
    }
};

} // namespace

void JpgIdctIntegerSse(int16_t *block)
{
    packed64::Inverse<Shuffling>(block);
}

void JpgFdctIntegerSse(int16_t *block)
{
    packed64::Forward<Shuffling>(block);
}

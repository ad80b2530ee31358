// The encoder's packed 4:2:2 input on SSE processors: as the MMX form, the
// chroma words parted by word shuffles instead.
#include <xmmintrin.h>

#include "packed422_input_64.h"

namespace {

struct Shuffling {
    static void Part(__m64 first, __m64 second, __m64 *cb, __m64 *cr)
    {
        __m64 a = _mm_shuffle_pi16(first, _MM_SHUFFLE(3, 1, 2, 0));
        __m64 b = _mm_shuffle_pi16(second, _MM_SHUFFLE(3, 1, 2, 0));
        *cb = _mm_unpacklo_pi32(a, b);
        *cr = _mm_unpackhi_pi32(a, b);
    }
};

} // namespace

void JpgSplitPacked422Sse(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    packed64::SplitPacked422<Shuffling>(source, lineStep, blocks);
}

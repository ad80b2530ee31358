// Integer quantisation for SSE processors.
#include <xmmintrin.h>

#include "jpeg_simd.h"
#include "quantize_64.h"

namespace {

struct MinMaxLimit {
    static __m64 Ac(__m64 q)
    {
        return _mm_max_pi16(_mm_min_pi16(q, _mm_set1_pi16(1023)), _mm_set1_pi16(-1023));
    }
};

} // namespace

void JpgQuantizeIntegerSse(int16_t *block, const int16_t *reciprocals)
{
    packed64::Quantize<MinMaxLimit, packed64::QuantizeInteger4>(block, reciprocals);
}

// Quantisation and dequantisation for MMX processors.
#include "jpeg_simd.h"
#include "quantize_64.h"

namespace {

struct SaturatingLimit {
    // Saturating past the 16-bit ends and back leaves -1023..1023.
    static __m64 Ac(__m64 q)
    {
        __m64 above = _mm_set1_pi16(32767 - 1023), below = _mm_set1_pi16(32768 - 1023);
        q = _mm_subs_pi16(_mm_adds_pi16(q, above), above);
        return _mm_adds_pi16(_mm_subs_pi16(q, below), below);
    }
};

} // namespace

void JpgQuantizeIntegerMmx(int16_t *block, const int16_t *reciprocals)
{
    packed64::Quantize<SaturatingLimit, packed64::QuantizeInteger4>(block, reciprocals);
}

void JpgQuantizeAanMmx(int16_t *block, const int16_t *reciprocals)
{
#if defined(__x86_64__)
    JpgQuantizeAanSse2(block, reciprocals);
#else
    packed64::Quantize<SaturatingLimit, packed64::QuantizeAan4>(block, reciprocals);
#endif
}

void JpgDequantizeIntegerMmx(int16_t *block, const int16_t *table)
{
    packed64::Dequantize(block, table);
}

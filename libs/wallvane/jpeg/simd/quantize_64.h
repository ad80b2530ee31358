// Quantisation and dequantisation on 64-bit multimedia registers, shared by
// the MMX and the SSE forms; Limit decides how the results are held to what
// a baseline Huffman table codes (saturating steps on MMX, minimum and
// maximum on SSE). Included by exactly those two files.
#pragma once
#include <mmintrin.h>

#include "packed_memory.h"
#include <stdint.h>

namespace packed64 {

// The DC coefficient may reach -1024, the others only -1023.
inline int16_t LimitDc(int v)
{
    return (int16_t)(v < -1024 ? -1024 : v > 1023 ? 1023 : v);
}

// (P(c << 3, r >> 1) + 1) >> 1 for the unsigned reciprocal r.
inline __m64 QuantizeInteger4(__m64 c, __m64 r)
{
    __m64 half = _mm_srli_pi16(r, 1);
    __m64 product = _mm_mulhi_pi16(_mm_slli_pi16(c, 3), half);
    return _mm_srai_pi16(_mm_adds_pi16(product, _mm_set1_pi16(1)), 1);
}

// c held to -8192..8191, then (P(c << 2, r) + 1) >> 1. Doubling twice
// with saturation gives 4c inside the limits and the ends of the 16-bit
// range outside them: -32768 is 4 x -8192, and 32767 stands for 4 x 8191,
// which gives another result only for reciprocals whose results pass
// 1023 and are limited to it after.
inline __m64 QuantizeAan4(__m64 c, __m64 r)
{
    __m64 twice = _mm_adds_pi16(c, c);
    __m64 product = _mm_mulhi_pi16(_mm_adds_pi16(twice, twice), r);
    return _mm_srai_pi16(_mm_adds_pi16(product, _mm_set1_pi16(1)), 1);
}

template <class Limit, __m64 (*Step)(__m64, __m64)>
void Quantize(int16_t *block, const int16_t *reciprocals)
{
    __m64 dc = Step(LoadQ(block), LoadQ(reciprocals));
    int16_t first = (int16_t)_mm_cvtsi64_si32(dc);
    for (int i = 0; i < 64; i += 4) {
        __m64 q = Step(LoadQ(block + i), LoadQ(reciprocals + i));
        StoreQ(block + i, Limit::Ac(q));
    }
    block[0] = LimitDc(first);
}

// The full product saturated to 16 bits, as the generic routine does.
inline void Dequantize(int16_t *block, const int16_t *table)
{
    for (int i = 0; i < 64; i += 4) {
        __m64 c = LoadQ(block + i), q = LoadQ(table + i);
        __m64 low = _mm_mullo_pi16(c, q), high = _mm_mulhi_pi16(c, q);
        StoreQ(block + i, _mm_packs_pi32(_mm_unpacklo_pi16(low, high), _mm_unpackhi_pi16(low, high)));
    }
}

} // namespace packed64

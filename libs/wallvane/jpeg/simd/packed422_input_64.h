// The packed 4:2:2 input on 64-bit multimedia registers, shared by the MMX
// and the SSE forms, which part the chroma words in their own way.
// Included by exactly those two files, each built for its instruction set.
#pragma once
#include <mmintrin.h>

#include "jpeg_simd.h"
#include "packed_memory.h"

namespace packed64 {

template <class Chroma>
inline void SplitPacked422(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    __m64 lowBytes = _mm_set1_pi16(0xFF), shift = _mm_set1_pi16(128);
    for (int row = 0; row < 8; row++) {
        const uint8_t *p = source + row * lineStep;
        for (int half = 0; half < 2; half++) {
            __m64 chroma[2];
            for (int q = 0; q < 2; q++) {
                __m64 pixels = LoadQ(p + 16 * half + 8 * q);
                StoreQ(blocks[0] + 64 * half + 8 * row + 4 * q, _mm_sub_pi16(_mm_and_si64(pixels, lowBytes), shift));
                chroma[q] = _mm_srli_pi16(pixels, 8);
            }
            __m64 cb, cr;
            Chroma::Part(chroma[0], chroma[1], &cb, &cr);
            StoreQ(blocks[1] + 8 * row + 4 * half, _mm_sub_pi16(cb, shift));
            StoreQ(blocks[2] + 8 * row + 4 * half, _mm_sub_pi16(cr, shift));
        }
    }
}

} // namespace packed64

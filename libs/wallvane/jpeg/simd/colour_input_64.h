// What the encoder colour kernels on 64-bit multimedia registers share:
// pixels widened to word quadruples are weighted by 32-bit multiply-adds,
// which give bit for bit the generic kernels' samples.
#pragma once
#include <mmintrin.h>
#include <stdint.h>

#include "packed_memory.h"

namespace colour_input64 {

struct Weights {
    __m64 luma, blue, red;
};

// Word weights in pixel byte order; the fourth word 0 drops whatever the
// pixel's fourth lane holds.
template <bool Bgr>
inline Weights WeightsFor()
{
    Weights w;
    if (Bgr) {
        w.luma = _mm_set_pi16(0, 77, 150, 29);
        w.blue = _mm_set_pi16(0, -43, -85, 128);
        w.red = _mm_set_pi16(0, 128, -107, -21);
    } else {
        w.luma = _mm_set_pi16(0, 29, 150, 77);
        w.blue = _mm_set_pi16(0, 128, -85, -43);
        w.red = _mm_set_pi16(0, -21, -107, 128);
    }
    return w;
}

// (weights . pixel + round) >> shift for four pixels, as four words.
inline __m64 Weigh4(const __m64 *pixels, __m64 weights, __m64 round, int shift)
{
    __m64 sums[2];
    for (int h = 0; h < 2; h++) {
        __m64 a = _mm_madd_pi16(pixels[2 * h], weights), b = _mm_madd_pi16(pixels[2 * h + 1], weights);
        __m64 whole = _mm_add_pi32(_mm_unpacklo_pi32(a, b), _mm_unpackhi_pi32(a, b));
        sums[h] = _mm_srai_pi32(_mm_add_pi32(whole, round), shift);
    }
    return _mm_packs_pi32(sums[0], sums[1]);
}

inline void LumaRow(const __m64 pixels[8], const Weights &w, int16_t *out)
{
    __m64 round = _mm_set1_pi32(-32640);
    packed64::StoreQ(out, Weigh4(pixels, w.luma, round, 8));
    packed64::StoreQ(out + 4, Weigh4(pixels + 4, w.luma, round, 8));
}

// Four chroma samples from four summed pixels each of n.
inline void ChromaOf4(const __m64 sums[4], const Weights &w, int n, int16_t *cb, int16_t *cr)
{
    int shift = n == 4 ? 10 : n == 2 ? 9 : 8;
    __m64 round = _mm_set1_pi32(1 << (shift - 1));
    packed64::StoreQ(cb, Weigh4(sums, w.blue, round, shift));
    packed64::StoreQ(cr, Weigh4(sums, w.red, round, shift));
}

} // namespace colour_input64

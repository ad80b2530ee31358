// Writing 8 or 16 pixels from their byte planes on 128-bit registers:
// 3-byte pixels squeezed into whole stores, 4-byte ones with 255. Shared
// by the SSE2 colour kernels and the smoothed-row kernel, each built for
// SSE2.
#pragma once
#include <emmintrin.h>
#include <stdint.h>

namespace packed128 {

// Four 4-byte pixels squeezed to twelve bytes at the bottom of the register.
inline __m128i Squeeze(__m128i pixels)
{
    const __m128i low3 = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    __m128i six = _mm_or_si128(_mm_and_si128(pixels, low3), _mm_slli_epi64(_mm_srli_epi64(pixels, 32), 24));
    const __m128i firstSix = _mm_set_epi32(0, 0, 0xFFFF, (int)0xFFFFFFFF);
    return _mm_or_si128(_mm_and_si128(six, firstSix), _mm_andnot_si128(firstSix, _mm_srli_si128(six, 2)));
}

// Pixels from their first, second and third bytes, Count (8 or 16) of them.
template <int Count, bool Alpha>
inline void WritePixels(uint8_t *out, __m128i first, __m128i second, __m128i third)
{
    __m128i fourth = Alpha ? _mm_set1_epi8((char)0xFF) : _mm_setzero_si128();
    __m128i pairs[2] = {_mm_unpacklo_epi8(first, second), _mm_unpackhi_epi8(first, second)};
    __m128i lasts[2] = {_mm_unpacklo_epi8(third, fourth), _mm_unpackhi_epi8(third, fourth)};
    __m128i pixels[4];
    for (int h = 0; h < Count / 8; h++) {
        pixels[2 * h] = _mm_unpacklo_epi16(pairs[h], lasts[h]);
        pixels[2 * h + 1] = _mm_unpackhi_epi16(pairs[h], lasts[h]);
    }
    __m128i *to = reinterpret_cast<__m128i *>(out);
    if (Alpha) {
        for (int k = 0; k < Count / 4; k++)
            _mm_storeu_si128(to + k, pixels[k]);
        return;
    }
    __m128i twelve[4];
    for (int k = 0; k < Count / 4; k++)
        twelve[k] = Squeeze(pixels[k]);
    _mm_storeu_si128(to, _mm_or_si128(twelve[0], _mm_slli_si128(twelve[1], 12)));
    if (Count == 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 16), _mm_srli_si128(twelve[1], 4));
        return;
    }
    _mm_storeu_si128(to + 1, _mm_or_si128(_mm_srli_si128(twelve[1], 4), _mm_slli_si128(twelve[2], 8)));
    _mm_storeu_si128(to + 2, _mm_or_si128(_mm_srli_si128(twelve[2], 8), _mm_slli_si128(twelve[3], 4)));
}

} // namespace packed128

// Writing 8 or 16 pixels from their byte planes on 128-bit registers:
// 3-byte pixels and 4-byte ones with 255. Shared
// by the SSE2 colour kernels and the smoothed-row kernel, each built for
// SSE2.
#pragma once
#include <emmintrin.h>
#include <stdint.h>
#include <string.h>

namespace packed128 {

// Pixels from their first, second and third bytes, Count (8 or 16) of them.
// Three-byte pixels go out as overlapping four-byte stores, each one's last
// byte overwritten by the next pixel, and the last pixel as its three bytes,
// so nothing past the row is touched.
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
    if (Alpha) {
        for (int k = 0; k < Count / 4; k++)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out) + k, pixels[k]);
        return;
    }
    alignas(16) uint32_t words[Count];
    for (int k = 0; k < Count / 4; k++)
        _mm_store_si128(reinterpret_cast<__m128i *>(words) + k, pixels[k]);
    for (int i = 0; i < Count - 1; i++)
        memcpy(out + 3 * i, &words[i], 4);
    memcpy(out + 3 * (Count - 1), &words[Count - 1], 3);
}

} // namespace packed128

// The fast (AAN) forward transform and its quantisation in one pass for
// SSE2 processors: the 16-bit steps of the MMX forms, eight lanes at a
// time, so that the quantised coefficients are exactly theirs, with one
// transpose of the whole block each way instead of four of quarters.
#include <emmintrin.h>

#include "aan_words.h"
#include "jpeg_simd.h"

namespace {

using aan16::Forward8;

// Rows become lanes and lanes rows.
inline void Transpose(__m128i x[8])
{
    __m128i a[8], b[8];
    for (int i = 0; i < 4; i++) {
        a[2 * i] = _mm_unpacklo_epi16(x[2 * i], x[2 * i + 1]);
        a[2 * i + 1] = _mm_unpackhi_epi16(x[2 * i], x[2 * i + 1]);
    }
    for (int i = 0; i < 2; i++) {
        // Columns 0 to 3 of four rows come from the even a, 4 to 7 from the odd.
        b[4 * i] = _mm_unpacklo_epi32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 1] = _mm_unpackhi_epi32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 2] = _mm_unpacklo_epi32(a[4 * i + 1], a[4 * i + 3]);
        b[4 * i + 3] = _mm_unpackhi_epi32(a[4 * i + 1], a[4 * i + 3]);
    }
    for (int i = 0; i < 4; i++) {
        x[2 * i] = _mm_unpacklo_epi64(b[i], b[i + 4]);
        x[2 * i + 1] = _mm_unpackhi_epi64(b[i], b[i + 4]);
    }
}

// The MMX quantiser's steps: c held to -8192..8191, (P(c << 2, r) + 1) >> 1.
inline __m128i Quantize8(__m128i c, __m128i r)
{
    c = _mm_min_epi16(_mm_max_epi16(c, _mm_set1_epi16(-8192)), _mm_set1_epi16(8191));
    __m128i product = _mm_mulhi_epi16(_mm_slli_epi16(c, 2), r);
    return _mm_srai_epi16(_mm_adds_epi16(product, _mm_set1_epi16(1)), 1);
}

} // namespace

JPG_SIMD_ENTRY void JpgFdctQuantizeAanSse2(int16_t *block, const int16_t *reciprocals)
{
    __m128i x[8];
    for (int r = 0; r < 8; r++)
        x[r] = _mm_loadu_si128((const __m128i *)(block + 8 * r));
    Transpose(x);
    Forward8(x);
    Transpose(x);
    Forward8(x);
    __m128i low = _mm_set1_epi16(-1023), high = _mm_set1_epi16(1023);
    int first = 0;
    for (int r = 0; r < 8; r++) {
        __m128i q = Quantize8(x[r], _mm_loadu_si128((const __m128i *)(reciprocals + 8 * r)));
        if (r == 0)
            first = (int16_t)_mm_cvtsi128_si32(q);
        _mm_storeu_si128((__m128i *)(block + 8 * r), _mm_max_epi16(_mm_min_epi16(q, high), low));
    }
    // The DC coefficient may reach -1024, the others only -1023.
    block[0] = (int16_t)(first < -1024 ? -1024 : first > 1023 ? 1023 : first);
}

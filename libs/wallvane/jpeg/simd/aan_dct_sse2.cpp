// The fast (AAN) forward transform on 128-bit registers: the 16-bit steps
// of the MMX passes, eight lanes at a time, so that the coefficients are
// exactly theirs, with one transpose of the whole block each way instead of
// four of quarters.
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

} // namespace

// Rows first, then columns, as the MMX form.
JPG_SIMD_ENTRY void JpgFdctAanSse2(int16_t *block)
{
    __m128i x[8];
    for (int r = 0; r < 8; r++)
        x[r] = _mm_loadu_si128((const __m128i *)(block + 8 * r));
    Transpose(x);
    Forward8(x);
    Transpose(x);
    Forward8(x);
    for (int r = 0; r < 8; r++)
        _mm_storeu_si128((__m128i *)(block + 8 * r), x[r]);
}

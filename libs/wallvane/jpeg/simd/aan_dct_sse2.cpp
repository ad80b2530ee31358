// The fast (AAN) forward transform and its quantisation in one pass for
// SSE2 processors: the 16-bit steps of the MMX forms, eight lanes at a
// time, so that the quantised coefficients are exactly theirs, with one
// transpose of the whole block each way instead of four of quarters.
#include <emmintrin.h>

#include "jpeg_simd.h"

namespace {

// floor(x x 2^shift x k / 65536), with x shifted in its 16-bit lane.
inline __m128i Times(__m128i x, short k, int shift)
{
    return _mm_mulhi_epi16(_mm_slli_epi16(x, shift), _mm_set1_epi16(k));
}

inline __m128i Add(__m128i a, __m128i b)
{
    return _mm_add_epi16(a, b);
}

inline __m128i Sub(__m128i a, __m128i b)
{
    return _mm_sub_epi16(a, b);
}

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

inline void Forward8(__m128i x[8])
{
    __m128i t0 = Add(x[0], x[7]), t7 = Sub(x[0], x[7]), t1 = Add(x[1], x[6]), t6 = Sub(x[1], x[6]);
    __m128i t2 = Add(x[2], x[5]), t5 = Sub(x[2], x[5]), t3 = Add(x[3], x[4]), t4 = Sub(x[3], x[4]);
    __m128i t10 = Add(t0, t3), t13 = Sub(t0, t3), t11 = Add(t1, t2), t12 = Sub(t1, t2);
    x[0] = Add(t10, t11);
    x[4] = Sub(t10, t11);
    __m128i z1 = Times(Add(t12, t13), 23168, 1);
    x[2] = Add(t13, z1);
    x[6] = Sub(t13, z1);
    __m128i a10 = Add(t4, t5), a11 = Add(t5, t6), a12 = Add(t6, t7);
    __m128i z5 = Times(Sub(a10, a12), 25088, 0);
    __m128i z2 = Add(Times(a10, 17792, 1), z5), z4 = Add(Times(a12, 21376, 2), z5);
    __m128i z3 = Times(a11, 23168, 1);
    __m128i z11 = Add(t7, z3), z13 = Sub(t7, z3);
    x[5] = Add(z13, z2);
    x[3] = Sub(z13, z2);
    x[1] = Add(z11, z4);
    x[7] = Sub(z11, z4);
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

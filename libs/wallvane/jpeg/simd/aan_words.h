// The fast (AAN) transforms' 16-bit steps for registers of four words (MMX)
// and of eight (SSE2, where the file is built for it), and the forward
// butterfly on either: the wider one-pass form takes the very steps of the
// MMX pair, so that both give the same coefficients.
#pragma once
#include <mmintrin.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aan16 {

// floor(x x 2^shift x k / 65536), with x shifted in its 16-bit lane.
inline __m64 Times(__m64 x, short k, int shift)
{
    return _mm_mulhi_pi16(_mm_slli_pi16(x, shift), _mm_set1_pi16(k));
}

inline __m64 Add(__m64 a, __m64 b)
{
    return _mm_add_pi16(a, b);
}

inline __m64 Sub(__m64 a, __m64 b)
{
    return _mm_sub_pi16(a, b);
}

#if defined(__SSE2__)
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
#endif

// Inlined so that the eight vectors stay in registers instead of a memory
// array.
template <class Vector>
inline __attribute__((always_inline)) void Forward8(Vector x[8])
{
    Vector t0 = Add(x[0], x[7]), t7 = Sub(x[0], x[7]), t1 = Add(x[1], x[6]), t6 = Sub(x[1], x[6]);
    Vector t2 = Add(x[2], x[5]), t5 = Sub(x[2], x[5]), t3 = Add(x[3], x[4]), t4 = Sub(x[3], x[4]);
    Vector t10 = Add(t0, t3), t13 = Sub(t0, t3), t11 = Add(t1, t2), t12 = Sub(t1, t2);
    x[0] = Add(t10, t11);
    x[4] = Sub(t10, t11);
    Vector z1 = Times(Add(t12, t13), 23168, 1);
    x[2] = Add(t13, z1);
    x[6] = Sub(t13, z1);
    Vector a10 = Add(t4, t5), a11 = Add(t5, t6), a12 = Add(t6, t7);
    Vector z5 = Times(Sub(a10, a12), 25088, 0);
    Vector z2 = Add(Times(a10, 17792, 1), z5), z4 = Add(Times(a12, 21376, 2), z5);
    Vector z3 = Times(a11, 23168, 1);
    Vector z11 = Add(t7, z3), z13 = Sub(t7, z3);
    x[5] = Add(z13, z2);
    x[3] = Sub(z13, z2);
    x[1] = Add(z11, z4);
    x[7] = Sub(z11, z4);
}

} // namespace aan16

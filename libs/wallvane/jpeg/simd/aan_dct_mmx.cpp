// The fast (AAN) forward and inverse transforms for MMX processors: every
// intermediate value is a 16-bit word, four transforms run side by side in
// the lanes of a register, and the multiplications are high halves of
// 16 x 16 products whose constants keep only about eight bits (truncated,
// not rounded). The outputs therefore differ from the generic transforms'
// by small amounts.
#include "aan_words.h"
#include "jpeg_simd.h"
#include "packed_memory.h"

namespace {

using aan16::Add;
using aan16::Forward8;
using aan16::Sub;
using aan16::Times;
using packed64::LoadQ;
using packed64::StoreQ;

// Rows become lanes: after the call x[k] holds element k of each of the
// four rows whose halves came in as x[0..3] (first four elements) and
// x[4..7] (last four).
inline void Transpose(__m64 x[8])
{
    for (int half = 0; half < 2; half++) {
        __m64 *q = x + 4 * half;
        __m64 a = _mm_unpacklo_pi16(q[0], q[1]), b = _mm_unpackhi_pi16(q[0], q[1]);
        __m64 c = _mm_unpacklo_pi16(q[2], q[3]), d = _mm_unpackhi_pi16(q[2], q[3]);
        q[0] = _mm_unpacklo_pi32(a, c);
        q[1] = _mm_unpackhi_pi32(a, c);
        q[2] = _mm_unpacklo_pi32(b, d);
        q[3] = _mm_unpackhi_pi32(b, d);
    }
}

// The first four elements of rows row..row+3 into x[0..3], the last four
// into x[4..7].
inline void LoadRows(const int16_t *block, int row, __m64 x[8])
{
    for (int k = 0; k < 4; k++) {
        x[k] = LoadQ(block + 8 * (row + k));
        x[4 + k] = LoadQ(block + 8 * (row + k) + 4);
    }
}

inline void StoreRows(int16_t *block, int row, const __m64 x[8])
{
    for (int k = 0; k < 4; k++) {
        StoreQ(block + 8 * (row + k), x[k]);
        StoreQ(block + 8 * (row + k) + 4, x[4 + k]);
    }
}

void Inverse8(__m64 x[8])
{
    __m64 z10 = Sub(x[5], x[3]), z13 = Add(x[5], x[3]), z11 = Add(x[1], x[7]), z12 = Sub(x[1], x[7]);
    __m64 t7 = Add(z11, z13), t11 = Times(Sub(z11, z13), 23040, 2);
    __m64 z5 = Times(Add(z10, z12), 30272, 2);
    __m64 t10 = Sub(Times(z12, 17728, 2), z5), t12 = Add(Times(z10, -21408, 3), z5);
    __m64 t6 = Sub(t12, t7), t5 = Sub(t11, t6), t4 = Add(t10, t5);
    __m64 e10 = Add(x[0], x[4]), e11 = Sub(x[0], x[4]), e13 = Add(x[2], x[6]);
    __m64 e12 = Sub(Times(Sub(x[2], x[6]), 23040, 2), e13);
    __m64 e0 = Add(e10, e13), e3 = Sub(e10, e13), e1 = Add(e11, e12), e2 = Sub(e11, e12);
    x[0] = Add(e0, t7);
    x[7] = Sub(e0, t7);
    x[1] = Add(e1, t6);
    x[6] = Sub(e1, t6);
    x[2] = Add(e2, t5);
    x[5] = Sub(e2, t5);
    x[4] = Add(e3, t4);
    x[3] = Sub(e3, t4);
}

// Descaled by 16 without rounding, level-shifted with saturation and
// limited to 0..255 by an unsigned-saturating pack.
inline void ToSamples(__m64 x[8])
{
    __m64 shift = _mm_set1_pi16(128), zero = _mm_setzero_si64();
    for (int k = 0; k < 8; k += 2) {
        __m64 a = _mm_adds_pi16(_mm_srai_pi16(x[k], 4), shift), b = _mm_adds_pi16(_mm_srai_pi16(x[k + 1], 4), shift);
        __m64 bytes = _mm_packs_pu16(a, b);
        x[k] = _mm_unpacklo_pi8(bytes, zero);
        x[k + 1] = _mm_unpackhi_pi8(bytes, zero);
    }
}

// The transform along each row, four rows at a time turned into lanes by
// a transpose; with Samples its outputs become samples.
template <void (*Transform)(__m64 *), bool Samples>
void AlongRows(int16_t *block)
{
    for (int row = 0; row < 8; row += 4) {
        __m64 x[8];
        LoadRows(block, row, x);
        Transpose(x);
        Transform(x);
        if (Samples)
            ToSamples(x);
        Transpose(x);
        StoreRows(block, row, x);
    }
}

// The transform down each column, four columns a register.
template <void (*Transform)(__m64 *)>
void DownColumns(int16_t *block)
{
    for (int column = 0; column < 8; column += 4) {
        __m64 x[8];
        for (int r = 0; r < 8; r++)
            x[r] = LoadQ(block + 8 * r + column);
        Transform(x);
        for (int r = 0; r < 8; r++)
            StoreQ(block + 8 * r + column, x[r]);
    }
}

} // namespace

// Rows first, then columns, as the generic transform; nothing is descaled.
void JpgFdctAanMmx(int16_t *block)
{
#if defined(__x86_64__)
    JpgFdctAanSse2(block);
#else
    AlongRows<Forward8, false>(block);
    DownColumns<Forward8>(block);
#endif
}

// Columns first, then rows, as the generic transform.
void JpgIdctAanMmx(int16_t *block)
{
    DownColumns<Inverse8>(block);
    AlongRows<Inverse8, true>(block);
}

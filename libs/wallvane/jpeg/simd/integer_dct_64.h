// The integer transforms on 64-bit multimedia registers, shared by the MMX
// and the SSE forms: Words decides how words are rearranged, by unpacking
// (MMX) or by word shuffles (SSE). Included by exactly those two files,
// each compiled for its own instruction set.
#pragma once
#include <mmintrin.h>

#include "packed_memory.h"

#include "integer_dct_weights.h"

namespace packed64 {

inline __m64 Words(int16_t v)
{
    return _mm_set1_pi16(v);
}

inline __m64 Scaled(__m64 x, int16_t k)
{
    return _mm_mulhi_pi16(x, Words(k));
}

inline __m64 Tan1(__m64 x)
{
    return Scaled(x, 13036);
}

inline __m64 Tan2(__m64 x)
{
    return Scaled(x, 27146);
}

inline __m64 Tan3(__m64 x)
{
    return _mm_adds_pi16(Scaled(x, -21746), x);
}

inline __m64 OddBit(__m64 x)
{
    return _mm_or_si64(x, Words(1));
}

inline __m64 Load(const int16_t *p)
{
    return LoadQ(p);
}

inline void Store(int16_t *p, __m64 v)
{
    StoreQ(p, v);
}

inline __m64 Madd(__m64 pairs, const int16_t *w)
{
    return _mm_madd_pi16(pairs, LoadQ(w));
}

// The two 32-bit lanes exchanged.
inline __m64 SwapHalves(__m64 x)
{
    return _mm_unpacklo_pi32(_mm_unpackhi_pi32(x, x), x);
}

template <class Arrange>
void InverseRow(int16_t *row, int r)
{
    const RowPairWeights *w = RowWeights.inverse[RowWeightTableOf[r]];
    __m64 x02, x46, x13, x57;
    Arrange::InversePairs(Load(row), Load(row + 4), &x02, &x46, &x13, &x57);
    __m64 round = _mm_set1_pi32(2048);
    __m64 front[2], back[2];
    for (int h = 0; h < 2; h++) {
        __m64 even = _mm_add_pi32(Madd(x02, w[0].w + 4 * h), Madd(x46, w[1].w + 4 * h));
        __m64 odd = _mm_add_pi32(Madd(x13, w[2].w + 4 * h), Madd(x57, w[3].w + 4 * h));
        front[h] = _mm_srai_pi32(_mm_add_pi32(_mm_add_pi32(even, odd), round), 12);
        back[h] = SwapHalves(_mm_srai_pi32(_mm_add_pi32(_mm_sub_pi32(even, odd), round), 12));
    }
    Store(row, _mm_packs_pi32(front[0], front[1]));
    Store(row + 4, _mm_packs_pi32(back[1], back[0]));
}

template <class Arrange>
void ForwardRow(int16_t *row, int r)
{
    const RowPairWeights *w = RowWeights.forward[RowWeightTableOf[r]];
    __m64 low = Load(row), reversed = Arrange::Reverse(Load(row + 4));
    __m64 sums = _mm_adds_pi16(low, reversed), differences = _mm_subs_pi16(low, reversed);
    __m64 s01 = _mm_unpacklo_pi32(sums, sums), s23 = _mm_unpackhi_pi32(sums, sums);
    __m64 d01 = _mm_unpacklo_pi32(differences, differences), d23 = _mm_unpackhi_pi32(differences, differences);
    __m64 round = _mm_set1_pi32(1 << 19);
    __m64 even[2], odd[2];
    for (int h = 0; h < 2; h++) {
        even[h] = _mm_srai_pi32(_mm_add_pi32(_mm_add_pi32(Madd(s01, w[0].w + 4 * h), Madd(s23, w[1].w + 4 * h)), round), 20);
        odd[h] = _mm_srai_pi32(_mm_add_pi32(_mm_add_pi32(Madd(d01, w[2].w + 4 * h), Madd(d23, w[3].w + 4 * h)), round), 20);
    }
    __m64 evens = _mm_packs_pi32(even[0], even[1]), odds = _mm_packs_pi32(odd[0], odd[1]);
    Store(row, _mm_unpacklo_pi16(evens, odds));
    Store(row + 4, _mm_unpackhi_pi16(evens, odds));
}

// Four columns starting at block + column.
inline void InverseColumns(int16_t *block)
{
    __m64 x[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r);
    __m64 tp17 = _mm_adds_pi16(x[1], Tan1(x[7]));
    __m64 tm17 = _mm_subs_pi16(Tan1(x[1]), x[7]);
    __m64 tp35 = _mm_adds_pi16(x[3], Tan3(x[5]));
    __m64 tm35 = _mm_subs_pi16(x[5], Tan3(x[3]));
    __m64 one = Words(1);
    __m64 b0 = _mm_adds_pi16(_mm_adds_pi16(tp17, tp35), one);
    __m64 w = _mm_subs_pi16(tp17, tp35);
    __m64 d = _mm_adds_pi16(_mm_subs_pi16(tm17, tm35), one);
    __m64 b3 = _mm_adds_pi16(tm17, tm35);
    __m64 wd = _mm_adds_pi16(w, d), wmd = _mm_subs_pi16(w, d);
    __m64 b1 = OddBit(_mm_adds_pi16(Scaled(wd, -19195), wd));
    __m64 b2 = OddBit(_mm_adds_pi16(Scaled(wmd, -19195), wmd));
    __m64 tp26 = _mm_adds_pi16(x[2], Tan2(x[6]));
    __m64 tm26 = _mm_subs_pi16(Tan2(x[2]), x[6]);
    __m64 s04 = _mm_adds_pi16(x[0], x[4]), d04 = _mm_subs_pi16(x[0], x[4]);
    __m64 r16 = Words(16), r15 = Words(15);
    __m64 a0 = _mm_adds_pi16(_mm_adds_pi16(s04, tp26), r16);
    __m64 a3 = _mm_adds_pi16(_mm_subs_pi16(s04, tp26), r15);
    __m64 a1 = _mm_adds_pi16(_mm_adds_pi16(d04, tm26), r16);
    __m64 a2 = _mm_adds_pi16(_mm_subs_pi16(d04, tm26), r15);
    __m64 y[8] = {_mm_adds_pi16(a0, b0), _mm_adds_pi16(a1, b1), _mm_adds_pi16(a2, b2), _mm_adds_pi16(a3, b3),
                  _mm_subs_pi16(a3, b3), _mm_subs_pi16(a2, b2), _mm_subs_pi16(a1, b1), _mm_subs_pi16(a0, b0)};
    __m64 shift = Words(128), zero = _mm_setzero_si64();
    for (int r = 0; r < 8; r++) {
        // Saturating to bytes and widening again limits to 0..255.
        __m64 v = _mm_adds_pi16(_mm_srai_pi16(y[r], 5), shift);
        Store(block + 8 * r, _mm_unpacklo_pi8(_mm_packs_pu16(v, v), zero));
    }
}

inline void ForwardColumns(int16_t *block)
{
    __m64 x[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r);
    __m64 t0 = _mm_slli_pi16(_mm_adds_pi16(x[0], x[7]), 3);
    __m64 t1 = _mm_slli_pi16(_mm_adds_pi16(x[1], x[6]), 3);
    __m64 t2 = _mm_slli_pi16(_mm_adds_pi16(x[2], x[5]), 3);
    __m64 t3 = _mm_slli_pi16(_mm_adds_pi16(x[3], x[4]), 3);
    __m64 d07 = _mm_subs_pi16(x[0], x[7]), d16 = _mm_subs_pi16(x[1], x[6]);
    __m64 d25 = _mm_subs_pi16(x[2], x[5]), d34 = _mm_subs_pi16(x[3], x[4]);
    __m64 tp03 = _mm_adds_pi16(t0, t3), tm03 = _mm_subs_pi16(t0, t3);
    __m64 tp12 = _mm_adds_pi16(t1, t2), tm12 = _mm_subs_pi16(t1, t2);
    Store(block, _mm_adds_pi16(tp03, tp12));
    Store(block + 32, _mm_subs_pi16(tp03, tp12));
    Store(block + 16, OddBit(_mm_adds_pi16(tm03, Tan2(tm12))));
    Store(block + 48, OddBit(_mm_subs_pi16(Tan2(tm03), tm12)));
    __m64 d16s = _mm_slli_pi16(d16, 4), d25s = _mm_slli_pi16(d25, 4);
    __m64 u = OddBit(Scaled(_mm_adds_pi16(d16s, d25s), 23170));
    __m64 v = Scaled(_mm_subs_pi16(d16s, d25s), 23170);
    __m64 d34s = _mm_slli_pi16(d34, 3), d07s = _mm_slli_pi16(d07, 3);
    __m64 p = _mm_adds_pi16(d34s, v), m = _mm_subs_pi16(d34s, v);
    __m64 q = _mm_adds_pi16(d07s, u), n = _mm_subs_pi16(d07s, u);
    Store(block + 8, OddBit(_mm_adds_pi16(q, Tan1(p))));
    Store(block + 56, _mm_subs_pi16(Tan1(q), p));
    Store(block + 24, _mm_subs_pi16(n, Tan3(m)));
    Store(block + 40, _mm_adds_pi16(Tan3(n), m));
}

template <class Arrange>
void Inverse(int16_t *block)
{
    for (int r = 0; r < 8; r++)
        InverseRow<Arrange>(block + 8 * r, r);
    InverseColumns(block);
    InverseColumns(block + 4);
}

template <class Arrange>
void Forward(int16_t *block)
{
    ForwardColumns(block);
    ForwardColumns(block + 4);
    for (int r = 0; r < 8; r++)
        ForwardRow<Arrange>(block + 8 * r, r);
}

} // namespace packed64

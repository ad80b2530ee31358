// The integer transforms on 64-bit multimedia registers, shared by the MMX
// and the SSE forms: Words decides how words are rearranged, by unpacking
// (MMX) or by word shuffles (SSE). Included by exactly those two files,
// each compiled for its own instruction set.
#pragma once
#include <mmintrin.h>

#include "packed_memory.h"

#include "integer_dct_columns.h"
#include "integer_dct_weights.h"

namespace packed64 {

struct Lanes64 {
    typedef __m64 Vector;
    static __m64 Words(int16_t v)
    {
        return _mm_set1_pi16(v);
    }
    static __m64 AddSaturating(__m64 a, __m64 b)
    {
        return _mm_adds_pi16(a, b);
    }
    static __m64 SubtractSaturating(__m64 a, __m64 b)
    {
        return _mm_subs_pi16(a, b);
    }
    static __m64 HighProduct(__m64 a, __m64 b)
    {
        return _mm_mulhi_pi16(a, b);
    }
    static __m64 Or(__m64 a, __m64 b)
    {
        return _mm_or_si64(a, b);
    }
    static __m64 ShiftLeft(__m64 a, int n)
    {
        return _mm_slli_pi16(a, n);
    }
};

typedef IntegerColumns<Lanes64> Columns;

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

// With LowOnly the row's coefficients 4 to 7 are zero, and so are their
// products, which are left out.
template <class Arrange, bool LowOnly>
void InverseRow(int16_t *row, int r)
{
    const RowPairWeights *w = RowWeights.inverse[RowWeightTableOf[r]];
    __m64 x02, x46, x13, x57;
    Arrange::InversePairs(Load(row), LowOnly ? _mm_setzero_si64() : Load(row + 4), &x02, &x46, &x13, &x57);
    __m64 round = _mm_set1_pi32(2048);
    __m64 front[2], back[2];
    for (int h = 0; h < 2; h++) {
        __m64 even = _mm_add_pi32(Madd(x02, w[0].w + 4 * h), round), odd = Madd(x13, w[2].w + 4 * h);
        if (!LowOnly) {
            even = _mm_add_pi32(even, Madd(x46, w[1].w + 4 * h));
            odd = _mm_add_pi32(odd, Madd(x57, w[3].w + 4 * h));
        }
        front[h] = _mm_srai_pi32(_mm_add_pi32(even, odd), 12);
        back[h] = _mm_srai_pi32(_mm_sub_pi32(even, odd), 12);
    }
    Store(row, _mm_packs_pi32(front[0], front[1]));
    // Outputs 5, 4, 7, 6 to 4, 5, 6, 7.
    Store(row + 4, Arrange::SwapWordPairs(_mm_packs_pi32(back[1], back[0])));
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

// Rows of samples x 32 to samples: descaled, limited to -128..127 by the
// signed pack and level-shifted by flipping each byte's top bit, which
// is the limit to 0..255 after adding 128; two rows a pack.
inline void StoreSamples(int16_t *block, const __m64 y[8])
{
    __m64 flip = _mm_set1_pi8((char)0x80), zero = _mm_setzero_si64();
    for (int r = 0; r < 8; r += 2) {
        __m64 bytes = _mm_xor_si64(_mm_packs_pi16(_mm_srai_pi16(y[r], 5), _mm_srai_pi16(y[r + 1], 5)), flip);
        Store(block + 8 * r, _mm_unpacklo_pi8(bytes, zero));
        Store(block + 8 * r + 8, _mm_unpackhi_pi8(bytes, zero));
    }
}

// Four columns starting at block; rows at and past used hold zeros from
// the row pass, and their terms are left out.
inline void InverseColumns(int16_t *block, int used)
{
    __m64 x[8], y[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r);
    if (used <= 2)
        Columns::InverseFirstTwo(x, y);
    else if (used <= 4)
        Columns::InverseUpperHalf(x, y);
    else
        Columns::Inverse(x, y);
    StoreSamples(block, y);
}

// The same when rows 1 to 7 are zero, as in most blocks of smooth areas:
// every odd term and every even term but row 0's is then 0, and what is
// left of the roundings gives each output row row 0's value plus 17, 16,
// 15 or 14 (with the same saturation).
inline void InverseColumnsOfRowZero(int16_t *block)
{
    __m64 x0 = Load(block), one = _mm_set1_pi16(1);
    __m64 a = _mm_adds_pi16(x0, _mm_set1_pi16(16)), b = _mm_adds_pi16(x0, _mm_set1_pi16(15));
    __m64 aUp = _mm_adds_pi16(a, one), aDown = _mm_subs_pi16(a, one);
    __m64 bUp = _mm_adds_pi16(b, one), bDown = _mm_subs_pi16(b, one);
    __m64 y[8] = {aUp, aUp, bDown, b, b, bUp, aDown, aDown};
    StoreSamples(block, y);
}

inline void ForwardColumns(int16_t *block)
{
    __m64 x[8], y[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r);
    Columns::Forward(x, y);
    for (int r = 0; r < 8; r++)
        Store(block + 8 * r, y[r]);
}

// A row of zeros stays zeros through the row pass, so it is passed over,
// and so are the products of zeros in the second half of a row.
template <class Arrange>
void Inverse(int16_t *block)
{
    // The last row that holds anything; unrolled, each row's weights are
    // known without a look-up.
    int last = 0;
#pragma GCC unroll 8
    for (int r = 0; r < 8; r++) {
        uint64_t halves[2];
        memcpy(halves, block + 8 * r, sizeof halves);
        if (halves[1]) {
            InverseRow<Arrange, false>(block + 8 * r, r);
            last = r;
        } else if (halves[0]) {
            InverseRow<Arrange, true>(block + 8 * r, r);
            last = r;
        }
    }
    if (last > 0) {
        // Most blocks of a photograph hold their coefficients in the first
        // rows.
        int used = last < 2 ? 2 : last < 4 ? 4 : 8;
        InverseColumns(block, used);
        InverseColumns(block + 4, used);
    } else {
        InverseColumnsOfRowZero(block);
        InverseColumnsOfRowZero(block + 4);
    }
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

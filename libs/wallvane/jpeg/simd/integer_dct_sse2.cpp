// The integer transforms on 128-bit registers: a whole row or a whole
// column pass of eight lanes at once, so neither pass needs a transpose.
#include <emmintrin.h>

#include "integer_dct_weights.h"
#include "jpeg_simd.h"

namespace {

inline __m128i Words(int16_t v)
{
    return _mm_set1_epi16(v);
}

// floor(x * k / 65536) in each lane.
inline __m128i Scaled(__m128i x, int16_t k)
{
    return _mm_mulhi_epi16(x, Words(k));
}

inline __m128i Tan1(__m128i x)
{
    return Scaled(x, 13036);
}

inline __m128i Tan2(__m128i x)
{
    return Scaled(x, 27146);
}

inline __m128i Tan3(__m128i x)
{
    return _mm_adds_epi16(Scaled(x, -21746), x);
}

inline __m128i OddBit(__m128i x)
{
    return _mm_or_si128(x, Words(1));
}

inline __m128i Load(const int16_t *p, bool aligned)
{
    return aligned ? _mm_load_si128((const __m128i *)p) : _mm_loadu_si128((const __m128i *)p);
}

inline void Store(int16_t *p, __m128i v, bool aligned)
{
    if (aligned)
        _mm_store_si128((__m128i *)p, v);
    else
        _mm_storeu_si128((__m128i *)p, v);
}

inline __m128i Madd(__m128i pairs, const RowPairWeights &w)
{
    return _mm_madd_epi16(pairs, _mm_load_si128((const __m128i *)w.w));
}

// One row of coefficients to samples scaled by 16: even and odd sums of
// the multiply-adds, then (sum + 2048) >> 12.
inline __m128i InverseRow(__m128i x, int row)
{
    const RowPairWeights *w = RowWeights.inverse[RowWeightTableOf[row]];
    // Lanes as 32-bit pairs: (x0, x2), (x1, x3), (x4, x6), (x5, x7).
    __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
    __m128i even = _mm_add_epi32(Madd(_mm_shuffle_epi32(v, 0x00), w[0]), Madd(_mm_shuffle_epi32(v, 0xAA), w[1]));
    __m128i odd = _mm_add_epi32(Madd(_mm_shuffle_epi32(v, 0x55), w[2]), Madd(_mm_shuffle_epi32(v, 0xFF), w[3]));
    __m128i round = _mm_set1_epi32(2048);
    __m128i front = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(even, odd), round), 12);
    __m128i back = _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(even, odd), round), 12);
    back = _mm_shuffle_epi32(back, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm_packs_epi32(front, back);
}

// One row of the column pass's result to true coefficients.
inline __m128i ForwardRow(__m128i x, int row)
{
    const RowPairWeights *w = RowWeights.forward[RowWeightTableOf[row]];
    __m128i reversed = _mm_srli_si128(_mm_shufflehi_epi16(x, _MM_SHUFFLE(0, 1, 2, 3)), 8);
    __m128i sums = _mm_adds_epi16(x, reversed), differences = _mm_subs_epi16(x, reversed);
    __m128i even = _mm_add_epi32(Madd(_mm_shuffle_epi32(sums, 0x00), w[0]), Madd(_mm_shuffle_epi32(sums, 0x55), w[1]));
    __m128i odd = _mm_add_epi32(Madd(_mm_shuffle_epi32(differences, 0x00), w[2]),
                                Madd(_mm_shuffle_epi32(differences, 0x55), w[3]));
    __m128i round = _mm_set1_epi32(1 << 19);
    even = _mm_srai_epi32(_mm_add_epi32(even, round), 20);
    odd = _mm_srai_epi32(_mm_add_epi32(odd, round), 20);
    __m128i packed = _mm_packs_epi32(even, odd); // 0, 2, 4, 6, 1, 3, 5, 7
    return _mm_unpacklo_epi16(packed, _mm_srli_si128(packed, 8));
}

template <bool Aligned>
void Inverse(int16_t *block)
{
    __m128i x[8];
    for (int r = 0; r < 8; r++)
        x[r] = InverseRow(Load(block + 8 * r, Aligned), r);
    __m128i tp17 = _mm_adds_epi16(x[1], Tan1(x[7]));
    __m128i tm17 = _mm_subs_epi16(Tan1(x[1]), x[7]);
    __m128i tp35 = _mm_adds_epi16(x[3], Tan3(x[5]));
    __m128i tm35 = _mm_subs_epi16(x[5], Tan3(x[3]));
    __m128i one = Words(1);
    __m128i b0 = _mm_adds_epi16(_mm_adds_epi16(tp17, tp35), one);
    __m128i w = _mm_subs_epi16(tp17, tp35);
    __m128i d = _mm_adds_epi16(_mm_subs_epi16(tm17, tm35), one);
    __m128i b3 = _mm_adds_epi16(tm17, tm35);
    __m128i wd = _mm_adds_epi16(w, d), wmd = _mm_subs_epi16(w, d);
    __m128i b1 = OddBit(_mm_adds_epi16(Scaled(wd, -19195), wd));
    __m128i b2 = OddBit(_mm_adds_epi16(Scaled(wmd, -19195), wmd));
    __m128i tp26 = _mm_adds_epi16(x[2], Tan2(x[6]));
    __m128i tm26 = _mm_subs_epi16(Tan2(x[2]), x[6]);
    __m128i s04 = _mm_adds_epi16(x[0], x[4]), d04 = _mm_subs_epi16(x[0], x[4]);
    __m128i r16 = Words(16), r15 = Words(15);
    __m128i a0 = _mm_adds_epi16(_mm_adds_epi16(s04, tp26), r16);
    __m128i a3 = _mm_adds_epi16(_mm_subs_epi16(s04, tp26), r15);
    __m128i a1 = _mm_adds_epi16(_mm_adds_epi16(d04, tm26), r16);
    __m128i a2 = _mm_adds_epi16(_mm_subs_epi16(d04, tm26), r15);
    __m128i y[8] = {_mm_adds_epi16(a0, b0), _mm_adds_epi16(a1, b1), _mm_adds_epi16(a2, b2),
                    _mm_adds_epi16(a3, b3), _mm_subs_epi16(a3, b3), _mm_subs_epi16(a2, b2),
                    _mm_subs_epi16(a1, b1), _mm_subs_epi16(a0, b0)};
    __m128i shift = Words(128), zero = _mm_setzero_si128(), top = Words(255);
    for (int r = 0; r < 8; r++) {
        __m128i v = _mm_adds_epi16(_mm_srai_epi16(y[r], 5), shift);
        Store(block + 8 * r, _mm_min_epi16(_mm_max_epi16(v, zero), top), Aligned);
    }
}

template <bool Aligned>
void Forward(int16_t *block)
{
    __m128i x[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r, Aligned);
    __m128i t0 = _mm_slli_epi16(_mm_adds_epi16(x[0], x[7]), 3);
    __m128i t1 = _mm_slli_epi16(_mm_adds_epi16(x[1], x[6]), 3);
    __m128i t2 = _mm_slli_epi16(_mm_adds_epi16(x[2], x[5]), 3);
    __m128i t3 = _mm_slli_epi16(_mm_adds_epi16(x[3], x[4]), 3);
    __m128i d07 = _mm_subs_epi16(x[0], x[7]), d16 = _mm_subs_epi16(x[1], x[6]);
    __m128i d25 = _mm_subs_epi16(x[2], x[5]), d34 = _mm_subs_epi16(x[3], x[4]);
    __m128i tp03 = _mm_adds_epi16(t0, t3), tm03 = _mm_subs_epi16(t0, t3);
    __m128i tp12 = _mm_adds_epi16(t1, t2), tm12 = _mm_subs_epi16(t1, t2);
    __m128i y[8];
    y[0] = _mm_adds_epi16(tp03, tp12);
    y[4] = _mm_subs_epi16(tp03, tp12);
    y[2] = OddBit(_mm_adds_epi16(tm03, Tan2(tm12)));
    y[6] = OddBit(_mm_subs_epi16(Tan2(tm03), tm12));
    __m128i d16s = _mm_slli_epi16(d16, 4), d25s = _mm_slli_epi16(d25, 4);
    __m128i u = OddBit(Scaled(_mm_adds_epi16(d16s, d25s), 23170));
    __m128i v = Scaled(_mm_subs_epi16(d16s, d25s), 23170);
    __m128i d34s = _mm_slli_epi16(d34, 3), d07s = _mm_slli_epi16(d07, 3);
    __m128i p = _mm_adds_epi16(d34s, v), m = _mm_subs_epi16(d34s, v);
    __m128i q = _mm_adds_epi16(d07s, u), n = _mm_subs_epi16(d07s, u);
    y[1] = OddBit(_mm_adds_epi16(q, Tan1(p)));
    y[7] = _mm_subs_epi16(Tan1(q), p);
    y[3] = _mm_subs_epi16(n, Tan3(m));
    y[5] = _mm_adds_epi16(Tan3(n), m);
    for (int r = 0; r < 8; r++)
        Store(block + 8 * r, ForwardRow(y[r], r), Aligned);
}

bool Aligned16(const void *p)
{
    return ((uintptr_t)p & 15) == 0;
}

} // namespace

JPG_SIMD_ENTRY void JpgIdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Inverse<true>(block) : Inverse<false>(block);
}

JPG_SIMD_ENTRY void JpgFdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Forward<true>(block) : Forward<false>(block);
}

// The inverse integer transform on 128-bit registers, shared by the
// transform's own entries and the routines that take its samples on
// without a round through memory. Everything here has internal linkage and
// is built for SSE2 in each file that includes it.
#pragma once
#include <emmintrin.h>

#include "integer_dct_columns.h"
#include "integer_dct_weights.h"

namespace {

struct Lanes128 {
    typedef __m128i Vector;
    static __m128i Words(int16_t v)
    {
        return _mm_set1_epi16(v);
    }
    static __m128i AddSaturating(__m128i a, __m128i b)
    {
        return _mm_adds_epi16(a, b);
    }
    static __m128i SubtractSaturating(__m128i a, __m128i b)
    {
        return _mm_subs_epi16(a, b);
    }
    static __m128i HighProduct(__m128i a, __m128i b)
    {
        return _mm_mulhi_epi16(a, b);
    }
    static __m128i Or(__m128i a, __m128i b)
    {
        return _mm_or_si128(a, b);
    }
    static __m128i ShiftLeft(__m128i a, int n)
    {
        return _mm_slli_epi16(a, n);
    }
};

typedef IntegerColumns<Lanes128> Columns;

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

inline bool AllZero(__m128i v)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xFFFF;
}

// The low 16 bits of each product saturated, as the dequantisers give them.
inline __m128i Dequantize(__m128i c, __m128i q)
{
    __m128i low = _mm_mullo_epi16(c, q), high = _mm_mulhi_epi16(c, q);
    return _mm_packs_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high));
}

// A column pass result, x 32, to samples 0..255.
inline void StoreSamples(int16_t *p, __m128i y, bool aligned)
{
    __m128i v = _mm_adds_epi16(_mm_srai_epi16(y, 5), _mm_set1_epi16(128));
    Store(p, _mm_min_epi16(_mm_max_epi16(v, _mm_setzero_si128()), _mm_set1_epi16(255)), aligned);
}

// A block of the DC coefficient alone, most blocks of a flat picture. The
// row pass gives 4 x DC in every lane, and each row of samples takes that
// plus its row's offset of the column pass, rounding included (16 + 1 for
// rows 0 and 1, 15 - 1 for row 2 and so on). A single saturating add of
// the offset sum differs from two adds only by one unit near the top of the
// 16-bit range, where both give 255. So one register holds the eight rows'
// samples, one lane each. A DC quantiser of 1 stands for none.
inline __m128i DcRows(int16_t coefficient, int16_t quant)
{
    int product = coefficient * quant;
    int16_t dc = (int16_t)(product < -32768 ? -32768 : product > 32767 ? 32767 : product);
    int scaled = 4 * dc;
    __m128i v = _mm_set1_epi16((int16_t)(scaled < -32768 ? -32768 : scaled > 32767 ? 32767 : scaled));
    __m128i rows = _mm_adds_epi16(_mm_srai_epi16(_mm_adds_epi16(v, _mm_setr_epi16(17, 17, 14, 15, 15, 16, 15, 15)), 5),
                                  _mm_set1_epi16(128));
    return _mm_min_epi16(_mm_max_epi16(rows, _mm_setzero_si128()), _mm_set1_epi16(255));
}

inline void StoreDcRows(int16_t *block, __m128i rows, bool aligned)
{
    __m128i upper = _mm_unpacklo_epi16(rows, rows), lower = _mm_unpackhi_epi16(rows, rows);
    Store(block, _mm_shuffle_epi32(upper, 0x00), aligned);
    Store(block + 8, _mm_shuffle_epi32(upper, 0x55), aligned);
    Store(block + 16, _mm_shuffle_epi32(upper, 0xAA), aligned);
    Store(block + 24, _mm_shuffle_epi32(upper, 0xFF), aligned);
    Store(block + 32, _mm_shuffle_epi32(lower, 0x00), aligned);
    Store(block + 40, _mm_shuffle_epi32(lower, 0x55), aligned);
    Store(block + 48, _mm_shuffle_epi32(lower, 0xAA), aligned);
    Store(block + 56, _mm_shuffle_epi32(lower, 0xFF), aligned);
}

// Most blocks of a photograph hold their coefficients in the first rows:
// rows that are zero give zero in the row pass and nothing to the column
// pass, so they are left out, and a block of row 0 alone needs no column
// pass at all. Every shortcut gives exactly the full transform's samples.
// With KeepDc a block of the DC alone is not stored: its DcRows register
// goes to *dcRows and the result is true.
template <bool Aligned, bool Dequantizing, bool KeepDc = false>
inline bool Inverse(int16_t *block, const int16_t *table, __m128i *dcRows = nullptr)
{
    __m128i c[8];
    for (int r = 0; r < 8; r++)
        c[r] = Load(block + 8 * r, Aligned);
    bool tableAligned = ((uintptr_t)table & 15) == 0;
    auto row = [&](int r) { return Dequantizing ? Dequantize(c[r], Load(table + 8 * r, tableAligned)) : c[r]; };
    __m128i lowerHalf = _mm_or_si128(_mm_or_si128(c[4], c[5]), _mm_or_si128(c[6], c[7]));
    __m128i rows2To7 = _mm_or_si128(lowerHalf, _mm_or_si128(c[2], c[3]));
    __m128i x[8], y[8];
    if (AllZero(_mm_or_si128(rows2To7, c[1]))) {
        if ((_mm_movemask_epi8(_mm_cmpeq_epi16(c[0], _mm_setzero_si128())) | 3) == 0xFFFF) {
            __m128i rows = DcRows((int16_t)_mm_cvtsi128_si32(c[0]), Dequantizing ? table[0] : 1);
            if (KeepDc)
                *dcRows = rows;
            else
                StoreDcRows(block, rows, Aligned);
            return KeepDc;
        }
        // The column pass of row 0 alone: with the other rows zero its
        // terms reduce to these offsets.
        __m128i v = InverseRow(row(0), 0);
        __m128i one = _mm_set1_epi16(1);
        __m128i a16 = _mm_adds_epi16(v, _mm_set1_epi16(16)), a15 = _mm_adds_epi16(v, _mm_set1_epi16(15));
        __m128i top = _mm_adds_epi16(a16, one), bottom = _mm_subs_epi16(a16, one);
        StoreSamples(block, top, Aligned);
        StoreSamples(block + 8, top, Aligned);
        StoreSamples(block + 16, _mm_subs_epi16(a15, one), Aligned);
        StoreSamples(block + 24, a15, Aligned);
        StoreSamples(block + 32, a15, Aligned);
        StoreSamples(block + 40, _mm_adds_epi16(a15, one), Aligned);
        StoreSamples(block + 48, bottom, Aligned);
        StoreSamples(block + 56, bottom, Aligned);
        return false;
    }
    if (AllZero(rows2To7)) {
        x[0] = InverseRow(row(0), 0);
        x[1] = InverseRow(row(1), 1);
        Columns::InverseFirstTwo(x, y);
    } else if (AllZero(lowerHalf)) {
        for (int r = 0; r < 4; r++)
            x[r] = InverseRow(row(r), r);
        Columns::InverseUpperHalf(x, y);
    } else {
        for (int r = 0; r < 8; r++)
            x[r] = InverseRow(row(r), r);
        Columns::Inverse(x, y);
    }
    for (int r = 0; r < 8; r++)
        StoreSamples(block + 8 * r, y[r], Aligned);
    return false;
}

bool Aligned16(const void *p)
{
    return ((uintptr_t)p & 15) == 0;
}

} // namespace

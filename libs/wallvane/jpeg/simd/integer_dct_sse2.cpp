// The integer transforms on 128-bit registers: a whole row or a whole
// column pass of eight lanes at once, so neither pass needs a transpose.
#include <emmintrin.h>

#include "integer_dct_columns.h"
#include "integer_dct_weights.h"
#include "jpeg_simd.h"

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

// The forward row weights in the order of the outputs: quads 0 and 1 give
// outputs 0..3 from the pairs (e0, e1), (o0, o1) and (e2, e3), (o2, o3), each
// even output from the sums e and each odd one from the differences o;
// quads 2 and 3 give outputs 4..7 the same way.
struct alignas(16) NaturalForwardWeights {
    RowPairWeights quad[4][4];
};

constexpr NaturalForwardWeights PackNaturalForwardWeights()
{
    NaturalForwardWeights p{};
    for (int t = 0; t < 4; t++)
        for (int q = 0; q < 4; q++)
            for (int i = 0; i < 4; i++) {
                int frequency = (q >= 2 ? 4 : 0) + i, sample = (q & 1) * 2;
                p.quad[t][q].w[2 * i] = IntegerRowWeights[t][frequency][sample];
                p.quad[t][q].w[2 * i + 1] = IntegerRowWeights[t][frequency][sample + 1];
            }
    return p;
}

constexpr NaturalForwardWeights ForwardWeights = PackNaturalForwardWeights();

// One row of the column pass's result to true coefficients. Sums and
// differences interleaved by pairs let each multiply-add give four outputs
// in their own order, so nothing is reordered after the pack.
inline __m128i ForwardRow(__m128i x, int row)
{
    const RowPairWeights *w = ForwardWeights.quad[RowWeightTableOf[row]];
    __m128i reversed = _mm_srli_si128(_mm_shufflehi_epi16(x, _MM_SHUFFLE(0, 1, 2, 3)), 8);
    __m128i sums = _mm_adds_epi16(x, reversed), differences = _mm_subs_epi16(x, reversed);
    __m128i pairs = _mm_unpacklo_epi32(sums, differences); // (e0, e1), (o0, o1), (e2, e3), (o2, o3)
    __m128i front = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(1, 0, 1, 0));
    __m128i back = _mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 2, 3, 2));
    __m128i low = _mm_add_epi32(Madd(front, w[0]), Madd(back, w[1]));
    __m128i high = _mm_add_epi32(Madd(front, w[2]), Madd(back, w[3]));
    __m128i round = _mm_set1_epi32(1 << 19);
    low = _mm_srai_epi32(_mm_add_epi32(low, round), 20);
    high = _mm_srai_epi32(_mm_add_epi32(high, round), 20);
    return _mm_packs_epi32(low, high);
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

// Most blocks of a photograph hold their coefficients in the first rows:
// rows that are zero give zero in the row pass and nothing to the column
// pass, so they are left out, and a block of row 0 alone needs no column
// pass at all. Every shortcut gives exactly the full transform's samples.
template <bool Aligned, bool Dequantizing>
void Inverse(int16_t *block, const int16_t *table)
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
        // The column pass of row 0 alone: with the other rows zero its
        // terms reduce to these offsets.
        __m128i first = row(0), v;
        if ((_mm_movemask_epi8(_mm_cmpeq_epi16(first, _mm_setzero_si128())) | 3) == 0xFFFF) {
            int dc = 4 * (int16_t)_mm_cvtsi128_si32(first);
            v = _mm_set1_epi16((int16_t)(dc < -32768 ? -32768 : dc > 32767 ? 32767 : dc));
        } else {
            v = InverseRow(first, 0);
        }
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
        return;
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
}

template <bool Aligned>
void Forward(int16_t *block)
{
    __m128i x[8], y[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r, Aligned);
    Columns::Forward(x, y);
    for (int r = 0; r < 8; r++)
        Store(block + 8 * r, ForwardRow(y[r], r), Aligned);
}

// The integer quantiser's steps on a row of coefficients still in
// registers: (P(c << 3, r >> 1) + 1) >> 1, held to what a baseline table
// codes. Row 0's low lane is the DC coefficient, which may reach -1024.
inline __m128i QuantizeRow(__m128i c, __m128i reciprocals, __m128i low)
{
    __m128i product = _mm_mulhi_epi16(_mm_slli_epi16(c, 3), _mm_srli_epi16(reciprocals, 1));
    __m128i q = _mm_srai_epi16(_mm_adds_epi16(product, _mm_set1_epi16(1)), 1);
    return _mm_max_epi16(_mm_min_epi16(q, _mm_set1_epi16(1023)), low);
}

// The forward transform and the quantiser without storing the unquantised
// coefficients in between.
template <bool Aligned>
void ForwardQuantize(int16_t *block, const int16_t *reciprocals)
{
    __m128i x[8], y[8];
    for (int r = 0; r < 8; r++)
        x[r] = Load(block + 8 * r, Aligned);
    Columns::Forward(x, y);
    __m128i low = _mm_set1_epi16(-1023);
    for (int r = 0; r < 8; r++) {
        __m128i rowLow = r == 0 ? _mm_insert_epi16(low, -1024, 0) : low;
        __m128i q = QuantizeRow(ForwardRow(y[r], r), Load(reciprocals + 8 * r, Aligned), rowLow);
        Store(block + 8 * r, q, Aligned);
    }
}

bool Aligned16(const void *p)
{
    return ((uintptr_t)p & 15) == 0;
}

} // namespace

JPG_SIMD_ENTRY void JpgIdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Inverse<true, false>(block, nullptr) : Inverse<false, false>(block, nullptr);
}

JPG_SIMD_ENTRY void JpgDequantIdctIntegerSse2(int16_t *block, const int16_t *table)
{
    Aligned16(block) ? Inverse<true, true>(block, table) : Inverse<false, true>(block, table);
}

JPG_SIMD_ENTRY void JpgFdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Forward<true>(block) : Forward<false>(block);
}

JPG_SIMD_ENTRY void JpgFdctQuantizeIntegerSse2(int16_t *block, const int16_t *reciprocals)
{
    if (Aligned16(block) && Aligned16(reciprocals))
        ForwardQuantize<true>(block, reciprocals);
    else
        ForwardQuantize<false>(block, reciprocals);
}

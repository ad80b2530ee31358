// The integer transforms on 128-bit registers: a whole row or a whole
// column pass of eight lanes at once, so neither pass needs a transpose.
#include <emmintrin.h>

#include "integer_idct_128.h"
#include "jpeg_simd.h"

namespace {

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

} // namespace

JPG_SIMD_ENTRY void JpgIdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Inverse<true, false>(block, nullptr) : Inverse<false, false>(block, nullptr);
}

JPG_SIMD_ENTRY void JpgFdctIntegerSse2(int16_t *block)
{
    Aligned16(block) ? Forward<true>(block) : Forward<false>(block);
}

// Quantisation and dequantisation on 128-bit registers. Blocks and tables
// that are not 16-byte aligned take unaligned loads; the results are the
// same either way.
#include <emmintrin.h>

#include "jpeg_simd.h"

namespace {

inline int16_t LimitDc(int v)
{
    return (int16_t)(v < -1024 ? -1024 : v > 1023 ? 1023 : v);
}

inline bool Aligned16(const void *p)
{
    return ((uintptr_t)p & 15) == 0;
}

template <bool Aligned>
inline __m128i Load(const int16_t *p)
{
    return Aligned ? _mm_load_si128((const __m128i *)p) : _mm_loadu_si128((const __m128i *)p);
}

template <bool Aligned>
inline void Store(int16_t *p, __m128i v)
{
    if (Aligned)
        _mm_store_si128((__m128i *)p, v);
    else
        _mm_storeu_si128((__m128i *)p, v);
}

inline __m128i QuantizeInteger8(__m128i c, __m128i r)
{
    __m128i product = _mm_mulhi_epi16(_mm_slli_epi16(c, 3), _mm_srli_epi16(r, 1));
    return _mm_srai_epi16(_mm_adds_epi16(product, _mm_set1_epi16(1)), 1);
}

// The MMX fast quantiser's steps: 4c by two saturating doublings (c held
// to -8192..8191 on the way), then (P(4c, r) + 1) >> 1.
inline __m128i QuantizeAan8(__m128i c, __m128i r)
{
    __m128i twice = _mm_adds_epi16(c, c);
    __m128i product = _mm_mulhi_epi16(_mm_adds_epi16(twice, twice), r);
    return _mm_srai_epi16(_mm_adds_epi16(product, _mm_set1_epi16(1)), 1);
}

template <__m128i (*Step)(__m128i, __m128i), bool BlockAligned, bool TableAligned>
void Quantize(int16_t *block, const int16_t *reciprocals)
{
    __m128i low = _mm_set1_epi16(-1023), high = _mm_set1_epi16(1023);
    int16_t first = 0;
    for (int i = 0; i < 64; i += 8) {
        __m128i q = Step(Load<BlockAligned>(block + i), Load<TableAligned>(reciprocals + i));
        if (i == 0)
            first = (int16_t)_mm_cvtsi128_si32(q);
        Store<BlockAligned>(block + i, _mm_max_epi16(_mm_min_epi16(q, high), low));
    }
    block[0] = LimitDc(first);
}

template <bool BlockAligned, bool TableAligned>
void Dequantize(int16_t *block, const int16_t *table)
{
    for (int i = 0; i < 64; i += 8) {
        __m128i c = Load<BlockAligned>(block + i), q = Load<TableAligned>(table + i);
        __m128i low = _mm_mullo_epi16(c, q), high = _mm_mulhi_epi16(c, q);
        Store<BlockAligned>(block + i, _mm_packs_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high)));
    }
}

template <__m128i (*Step)(__m128i, __m128i)>
void QuantizeAnywhere(int16_t *block, const int16_t *reciprocals)
{
    if (Aligned16(block))
        Aligned16(reciprocals) ? Quantize<Step, true, true>(block, reciprocals)
                               : Quantize<Step, true, false>(block, reciprocals);
    else
        Aligned16(reciprocals) ? Quantize<Step, false, true>(block, reciprocals)
                               : Quantize<Step, false, false>(block, reciprocals);
}

} // namespace

JPG_SIMD_ENTRY void JpgQuantizeIntegerSse2(int16_t *block, const int16_t *reciprocals)
{
    QuantizeAnywhere<QuantizeInteger8>(block, reciprocals);
}

JPG_SIMD_ENTRY void JpgQuantizeAanSse2(int16_t *block, const int16_t *reciprocals)
{
    QuantizeAnywhere<QuantizeAan8>(block, reciprocals);
}

JPG_SIMD_ENTRY void JpgDequantizeIntegerSse2(int16_t *block, const int16_t *table)
{
    if (Aligned16(block))
        Aligned16(table) ? Dequantize<true, true>(block, table) : Dequantize<true, false>(block, table);
    else
        Aligned16(table) ? Dequantize<false, true>(block, table) : Dequantize<false, false>(block, table);
}

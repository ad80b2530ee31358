// The encoder's colour kernels on 128-bit registers: eight pixels per
// register where the 64-bit kernels take four, with the same
// arithmetic, so their samples are bit for bit the generic kernels'. The
// colour conversion is the larger part of an encode after the block coder.
#include <emmintrin.h>
#include <stdint.h>

#include "jpeg_simd.h"

namespace {

inline __m128i LoadLow(const uint8_t *p)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
}

inline void Store(int16_t *out, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), v);
}

// A pixel pair's bytes from the quadword at its first byte, each channel's
// two bytes side by side: c0 c0' c1 c1' c2 c2' in the low six bytes.
inline __m128i PairChannels(__m128i pair)
{
    return _mm_unpacklo_epi8(pair, _mm_srli_epi64(pair, 24));
}

// Eight pixels (24 bytes) as three planes of words. The last pair is
// shifted down from the quadword that ends with the 24 bytes, so that no
// load passes them.
inline void EightPixels(const uint8_t *p, __m128i &first, __m128i &second, __m128i &third)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a0 = PairChannels(LoadLow(p)), a1 = PairChannels(LoadLow(p + 6));
    __m128i a2 = PairChannels(LoadLow(p + 12)), a3 = PairChannels(_mm_srli_epi64(LoadLow(p + 16), 16));
    __m128i low = _mm_unpacklo_epi16(a0, a1), high = _mm_unpacklo_epi16(a2, a3); // c0 x4, c1 x4, c2 x4
    __m128i firstSecond = _mm_unpacklo_epi32(low, high), thirdRest = _mm_unpackhi_epi32(low, high);
    first = _mm_unpacklo_epi8(firstSecond, zero);
    second = _mm_unpackhi_epi8(firstSecond, zero);
    third = _mm_unpacklo_epi8(thirdRest, zero);
}

// A multiplier the compiler keeps as one: left to itself, it turns the
// multiplies into chains of shifts and adds, more instructions on the
// ports the rest of the conversion needs.
inline __m128i Weight(short value)
{
    __m128i weight = _mm_set1_epi16(value);
    __asm__("" : "+x"(weight));
    return weight;
}

// Luminance in 16-bit lanes: the weighted sum is below 65536, so its
// wrapped value less 32640 is the exact signed result.
inline __m128i Luma8(__m128i red, __m128i green, __m128i blue)
{
    __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(red, Weight(77)), _mm_mullo_epi16(green, Weight(150))),
                                _mm_mullo_epi16(blue, Weight(29)));
    return _mm_srai_epi16(_mm_sub_epi16(sum, _mm_set1_epi16(32640)), 8);
}

// Chroma of eight single pixels: the weighted sum lies within +-32640, so
// its wrapped 16-bit value is exact; adding bit 7 to the sum shifted by 8
// rounds as adding 128 first would, without the overflow at +32640.
inline __m128i Chroma8(__m128i red, __m128i green, __m128i blue, short wr, short wg, short wb)
{
    __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(red, Weight(wr)), _mm_mullo_epi16(green, Weight(wg))),
                                _mm_mullo_epi16(blue, Weight(wb)));
    return _mm_add_epi16(_mm_srai_epi16(sum, 8), _mm_and_si128(_mm_srli_epi16(sum, 7), _mm_set1_epi16(1)));
}

// Four chroma samples of pixel pairs (N = 2) or of 2 x 2 squares (N = 4,
// the two rows' planes summed): each multiply-add sums a pair in 32 bits,
// where four times 128 x 255 fits.
template <int N>
inline __m128i ChromaPairs(__m128i red, __m128i green, __m128i blue, short wr, short wg, short wb)
{
    const int shift = N == 4 ? 10 : 9;
    __m128i sum = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(red, _mm_set1_epi16(wr)),
                                              _mm_madd_epi16(green, _mm_set1_epi16(wg))),
                                _mm_madd_epi16(blue, _mm_set1_epi16(wb)));
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (shift - 1))), shift);
}

template <bool Bgr>
void ToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        const uint8_t *line = source + row * lineStep;
        // Eight rows far apart are more streams than the processor follows
        // by itself; the next MCUs' pieces are asked for meanwhile.
        __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(line) + 192));
        __m128i cb[2], cr[2];
        for (int half = 0; half < 2; half++) {
            __m128i first, second, third;
            EightPixels(line + 24 * half, first, second, third);
            __m128i red = Bgr ? third : first, blue = Bgr ? first : third;
            Store(blocks[0] + 64 * half + 8 * row, Luma8(red, second, blue));
            cb[half] = ChromaPairs<2>(red, second, blue, -43, -85, 128);
            cr[half] = ChromaPairs<2>(red, second, blue, 128, -107, -21);
        }
        Store(blocks[1] + 8 * row, _mm_packs_epi32(cb[0], cb[1]));
        Store(blocks[2] + 8 * row, _mm_packs_epi32(cr[0], cr[1]));
    }
}

template <bool Bgr>
void ToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        const uint8_t *line = source + row * lineStep;
        __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(line) + 192));
        __m128i first, second, third;
        EightPixels(line, first, second, third);
        __m128i red = Bgr ? third : first, blue = Bgr ? first : third;
        Store(blocks[0] + 8 * row, Luma8(red, second, blue));
        Store(blocks[1] + 8 * row, Chroma8(red, second, blue, -43, -85, 128));
        Store(blocks[2] + 8 * row, Chroma8(red, second, blue, 128, -107, -21));
    }
}

// 16 x 16 pixels: four luminance blocks, left to right and top to bottom,
// and one chroma row from each pair of pixel rows.
template <bool Bgr>
void ToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        const uint8_t *upper = source + 2 * row * lineStep, *lower = upper + lineStep;
        __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(upper) + 192));
        __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(lower) + 192));
        // The luminance rows of this pair: 2 x row and the next, in the
        // upper blocks for the first four pairs, the lower ones after.
        int16_t *luma = blocks[0] + (row >= 4 ? 128 : 0) + 16 * (row & 3);
        __m128i cb[2], cr[2];
        for (int half = 0; half < 2; half++) {
            __m128i first, second, third, lowFirst, lowSecond, lowThird;
            EightPixels(upper + 24 * half, first, second, third);
            EightPixels(lower + 24 * half, lowFirst, lowSecond, lowThird);
            Store(luma + 64 * half, Bgr ? Luma8(third, second, first) : Luma8(first, second, third));
            Store(luma + 64 * half + 8,
                  Bgr ? Luma8(lowThird, lowSecond, lowFirst) : Luma8(lowFirst, lowSecond, lowThird));
            first = _mm_add_epi16(first, lowFirst);
            second = _mm_add_epi16(second, lowSecond);
            third = _mm_add_epi16(third, lowThird);
            __m128i red = Bgr ? third : first, blue = Bgr ? first : third;
            cb[half] = ChromaPairs<4>(red, second, blue, -43, -85, 128);
            cr[half] = ChromaPairs<4>(red, second, blue, 128, -107, -21);
        }
        Store(blocks[1] + 8 * row, _mm_packs_epi32(cb[0], cb[1]));
        Store(blocks[2] + 8 * row, _mm_packs_epi32(cr[0], cr[1]));
    }
}

} // namespace

JPG_SIMD_ENTRY void JpgRgbToYcc2x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x1<false>(source, lineStep, blocks);
}

JPG_SIMD_ENTRY void JpgBgrToYcc2x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x1<true>(source, lineStep, blocks);
}

JPG_SIMD_ENTRY void JpgRgbToYcc2x2Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x2<false>(source, lineStep, blocks);
}

JPG_SIMD_ENTRY void JpgBgrToYcc2x2Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x2<true>(source, lineStep, blocks);
}

JPG_SIMD_ENTRY void JpgRgbToYcc1x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc1x1<false>(source, lineStep, blocks);
}

JPG_SIMD_ENTRY void JpgBgrToYcc1x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc1x1<true>(source, lineStep, blocks);
}

// Encoder colour kernels for MMX processors, giving bit for bit the
// generic kernels' samples: each channel of four pixels is gathered into
// one register, luminance and single-pixel chroma are weighed with 16-bit
// products (their sums fit 16 bits once wrapped), subsampled chroma with
// multiply-adds that sum each horizontal pair in 32 bits.
#include <mmintrin.h>
#include <stdint.h>

#include "jpeg_simd.h"
#include "packed_memory.h"

namespace {

using packed64::LoadQ;
using packed64::StoreQ;

// Each MCU reads a short piece of 8 or 16 rows far apart in the bitmap,
// more streams than the processor follows by itself: the pieces of the
// next MCUs are asked for while this one is converted. (An address, not
// a pointer: it may lie past the bitmap, where a prefetch does no harm.)
inline void AskAhead(const uint8_t *row)
{
    __builtin_prefetch(reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(row) + 192));
}

// One row of 8 pixels as three planes of words, pixels 0-3 in the first
// element of each pair and 4-7 in the second. Four pixels are 12 bytes;
// each pixel is paired with the one three bytes on, then the pairs'
// bytes are gathered by two word interleaves. Each pair of pixels comes
// from a load at its own first byte, which costs less than shifting it
// out of two quadwords; the last pair is shifted down from the row's last
// quadword, so that no load passes the row.
struct Planes {
    __m64 first[2], second[2], third[2]; // channel bytes 0, 1 and 2 of each pixel
};

// Pixels at bytes 0-5 and 6-11 of the 16 bytes in front and back: each
// interleave pairs a pixel's bytes with those of the next pixel.
inline void GatherFour(__m64 front, __m64 back, __m64 &first, __m64 &second, __m64 &third)
{
    const __m64 zero = _mm_setzero_si64();
    __m64 a = _mm_unpacklo_pi8(front, _mm_srli_si64(front, 24)); // c0 c0' c1 c1' c2 c2' . .
    __m64 b = _mm_unpacklo_pi8(back, _mm_srli_si64(back, 24));
    __m64 firstTwo = _mm_unpacklo_pi16(a, b), last = _mm_unpackhi_pi16(a, b);
    first = _mm_unpacklo_pi8(firstTwo, zero);
    second = _mm_unpackhi_pi8(firstTwo, zero);
    third = _mm_unpacklo_pi8(last, zero);
}

inline void RowPlanes(const uint8_t *row, Planes &p)
{
    GatherFour(LoadQ(row), LoadQ(row + 6), p.first[0], p.second[0], p.third[0]);
    GatherFour(LoadQ(row + 12), _mm_srli_si64(LoadQ(row + 16), 16), p.first[1], p.second[1], p.third[1]);
}

// Luminance of four pixels in 16-bit lanes: the weighted sum is below
// 65536, so its wrapped value less 32640 is the exact signed result.
template <bool Bgr>
inline __m64 Luma4(__m64 first, __m64 second, __m64 third)
{
    __m64 red = Bgr ? third : first, blue = Bgr ? first : third;
    __m64 sum = _mm_add_pi16(_mm_add_pi16(_mm_mullo_pi16(red, _mm_set1_pi16(77)),
                                          _mm_mullo_pi16(second, _mm_set1_pi16(150))),
                             _mm_mullo_pi16(blue, _mm_set1_pi16(29)));
    return _mm_srai_pi16(_mm_sub_pi16(sum, _mm_set1_pi16(32640)), 8);
}

// Chroma of four single pixels: the weighted sum lies within +-32640, so
// its wrapped 16-bit value is exact; adding bit 7 to the sum shifted by 8
// rounds as adding 128 first would, without the overflow at +32640.
inline __m64 Chroma4(__m64 red, __m64 green, __m64 blue, short wr, short wg, short wb)
{
    __m64 sum = _mm_add_pi16(_mm_add_pi16(_mm_mullo_pi16(red, _mm_set1_pi16(wr)), _mm_mullo_pi16(green, _mm_set1_pi16(wg))),
                             _mm_mullo_pi16(blue, _mm_set1_pi16(wb)));
    return _mm_add_pi16(_mm_srai_pi16(sum, 8), _mm_and_si64(_mm_srli_pi16(sum, 7), _mm_set1_pi16(1)));
}

// Two chroma samples of pixel pairs (n = 2) or 2 x 2 squares (n = 4, the
// two rows' planes summed): each multiply-add adds a horizontal pair.
template <int N>
inline __m64 ChromaPairs(__m64 red, __m64 green, __m64 blue, short wr, short wg, short wb)
{
    const int shift = N == 4 ? 10 : 9;
    __m64 sum = _mm_add_pi32(_mm_add_pi32(_mm_madd_pi16(red, _mm_set1_pi16(wr)), _mm_madd_pi16(green, _mm_set1_pi16(wg))),
                             _mm_madd_pi16(blue, _mm_set1_pi16(wb)));
    return _mm_srai_pi32(_mm_add_pi32(sum, _mm_set1_pi32(1 << (shift - 1))), shift);
}

template <bool Bgr>
void ToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        Planes p;
        AskAhead(source + row * lineStep);
        RowPlanes(source + row * lineStep, p);
        for (int h = 0; h < 2; h++) {
            __m64 red = Bgr ? p.third[h] : p.first[h], blue = Bgr ? p.first[h] : p.third[h];
            StoreQ(blocks[0] + 8 * row + 4 * h, Luma4<Bgr>(p.first[h], p.second[h], p.third[h]));
            StoreQ(blocks[1] + 8 * row + 4 * h, Chroma4(red, p.second[h], blue, -43, -85, 128));
            StoreQ(blocks[2] + 8 * row + 4 * h, Chroma4(red, p.second[h], blue, 128, -107, -21));
        }
    }
}

template <bool Bgr>
void ToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        AskAhead(source + row * lineStep);
        for (int half = 0; half < 2; half++) {
            Planes p;
            RowPlanes(source + row * lineStep + 24 * half, p);
            __m64 cb[2], cr[2];
            for (int h = 0; h < 2; h++) {
                __m64 red = Bgr ? p.third[h] : p.first[h], blue = Bgr ? p.first[h] : p.third[h];
                StoreQ(blocks[0] + 64 * half + 8 * row + 4 * h, Luma4<Bgr>(p.first[h], p.second[h], p.third[h]));
                cb[h] = ChromaPairs<2>(red, p.second[h], blue, -43, -85, 128);
                cr[h] = ChromaPairs<2>(red, p.second[h], blue, 128, -107, -21);
            }
            StoreQ(blocks[1] + 8 * row + 4 * half, _mm_packs_pi32(cb[0], cb[1]));
            StoreQ(blocks[2] + 8 * row + 4 * half, _mm_packs_pi32(cr[0], cr[1]));
        }
    }
}


template <bool Bgr>
void ToYcc2x2Quarter(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    for (int pair = 0; pair < 4; pair++) {
        Planes upper, lower;
        AskAhead(source + 2 * pair * lineStep);
        AskAhead(source + (2 * pair + 1) * lineStep);
        RowPlanes(source + 2 * pair * lineStep, upper);
        RowPlanes(source + (2 * pair + 1) * lineStep, lower);
        __m64 cbHalves[2], crHalves[2];
        for (int h = 0; h < 2; h++) {
            StoreQ(luma + 16 * pair + 4 * h, Luma4<Bgr>(upper.first[h], upper.second[h], upper.third[h]));
            StoreQ(luma + 16 * pair + 8 + 4 * h, Luma4<Bgr>(lower.first[h], lower.second[h], lower.third[h]));
            __m64 first = _mm_add_pi16(upper.first[h], lower.first[h]);
            __m64 second = _mm_add_pi16(upper.second[h], lower.second[h]);
            __m64 third = _mm_add_pi16(upper.third[h], lower.third[h]);
            __m64 red = Bgr ? third : first, blue = Bgr ? first : third;
            cbHalves[h] = ChromaPairs<4>(red, second, blue, -43, -85, 128);
            crHalves[h] = ChromaPairs<4>(red, second, blue, 128, -107, -21);
        }
        StoreQ(cb + 8 * pair, _mm_packs_pi32(cbHalves[0], cbHalves[1]));
        StoreQ(cb + 64 + 8 * pair, _mm_packs_pi32(crHalves[0], crHalves[1]));
    }
}

} // namespace

void JpgSplitGray1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    __m64 zero = _mm_setzero_si64(), shift = _mm_set1_pi16(128);
    for (int row = 0; row < 8; row++) {
        __m64 bytes = LoadQ(source + row * lineStep);
        StoreQ(blocks[0] + 8 * row, _mm_sub_pi16(_mm_unpacklo_pi8(bytes, zero), shift));
        StoreQ(blocks[0] + 8 * row + 4, _mm_sub_pi16(_mm_unpackhi_pi8(bytes, zero), shift));
    }
}

void JpgRgbToYcc1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgRgbToYcc1x1Sse2(source, lineStep, blocks);
#else
    ToYcc1x1<false>(source, lineStep, blocks);
#endif
}

void JpgBgrToYcc1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgBgrToYcc1x1Sse2(source, lineStep, blocks);
#else
    ToYcc1x1<true>(source, lineStep, blocks);
#endif
}

void JpgRgbToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgRgbToYcc2x1Sse2(source, lineStep, blocks);
#else
    ToYcc2x1<false>(source, lineStep, blocks);
#endif
}

void JpgBgrToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgBgrToYcc2x1Sse2(source, lineStep, blocks);
#else
    ToYcc2x1<true>(source, lineStep, blocks);
#endif
}

void JpgRgbToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    ToYcc2x2Quarter<false>(source, lineStep, luma, cb);
}

void JpgBgrToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    ToYcc2x2Quarter<true>(source, lineStep, luma, cb);
}

#if !defined(__x86_64__)
namespace {

// The whole 16 x 16 MCU as four quarters, each with its corner of the chroma.
void ByQuarters(void (*quarter)(const uint8_t *, ptrdiff_t, int16_t *, int16_t *), const uint8_t *source,
                ptrdiff_t lineStep, int16_t *const *blocks)
{
    int16_t *luma = blocks[0], *cb = blocks[1];
    quarter(source, lineStep, luma, cb);
    quarter(source + 24, lineStep, luma + 64, cb + 4);
    quarter(source + 8 * lineStep, lineStep, luma + 128, cb + 32);
    quarter(source + 8 * lineStep + 24, lineStep, luma + 192, cb + 36);
}

} // namespace
#endif

void JpgRgbToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgRgbToYcc2x2Sse2(source, lineStep, blocks);
#else
    ByQuarters(JpgRgbToYcc2x2QuarterMmx, source, lineStep, blocks);
#endif
}

void JpgBgrToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
#if defined(__x86_64__)
    JpgBgrToYcc2x2Sse2(source, lineStep, blocks);
#else
    ByQuarters(JpgBgrToYcc2x2QuarterMmx, source, lineStep, blocks);
#endif
}

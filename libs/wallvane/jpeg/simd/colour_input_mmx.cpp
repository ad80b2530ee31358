// Encoder colour kernels for MMX processors: pixels widened to word
// quadruples and weighted by 32-bit multiply-adds, giving bit for bit the
// generic kernels' samples. Chroma sums of 2 or 4 pixels are formed in
// 16-bit lanes first, so a subsampled chroma sample costs one multiply-add
// per weight set.
#include "colour_input_64.h"
#include "jpeg_simd.h"

namespace {

using packed64::LoadQ;
using packed64::StoreQ;
using namespace colour_input64;

// The 8 pixels of a 24-byte row as word quadruples, read with three loads
// that stay inside the row.
inline void WidenRow(const uint8_t *row, __m64 pixels[8])
{
    __m64 q0 = LoadQ(row), q1 = LoadQ(row + 8), q2 = LoadQ(row + 16), zero = _mm_setzero_si64();
    __m64 bytes[8] = {q0,
                      _mm_srli_si64(q0, 24),
                      _mm_or_si64(_mm_srli_si64(q0, 48), _mm_slli_si64(q1, 16)),
                      _mm_srli_si64(q1, 8),
                      _mm_srli_si64(q1, 32),
                      _mm_or_si64(_mm_srli_si64(q1, 56), _mm_slli_si64(q2, 8)),
                      _mm_srli_si64(q2, 16),
                      _mm_srli_si64(q2, 40)};
    for (int k = 0; k < 8; k++)
        pixels[k] = _mm_unpacklo_pi8(bytes[k], zero);
}

template <bool Bgr>
void ToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    Weights w = WeightsFor<Bgr>();
    for (int row = 0; row < 8; row++) {
        __m64 pixels[8];
        WidenRow(source + row * lineStep, pixels);
        LumaRow(pixels, w, blocks[0] + 8 * row);
        ChromaOf4(pixels, w, 1, blocks[1] + 8 * row, blocks[2] + 8 * row);
        ChromaOf4(pixels + 4, w, 1, blocks[1] + 8 * row + 4, blocks[2] + 8 * row + 4);
    }
}

template <bool Bgr>
void ToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    Weights w = WeightsFor<Bgr>();
    for (int row = 0; row < 8; row++) {
        for (int half = 0; half < 2; half++) {
            __m64 pixels[8], sums[4];
            WidenRow(source + row * lineStep + 24 * half, pixels);
            LumaRow(pixels, w, blocks[0] + 64 * half + 8 * row);
            for (int k = 0; k < 4; k++)
                sums[k] = _mm_add_pi16(pixels[2 * k], pixels[2 * k + 1]);
            ChromaOf4(sums, w, 2, blocks[1] + 8 * row + 4 * half, blocks[2] + 8 * row + 4 * half);
        }
    }
}

template <bool Bgr>
void ToYcc2x2Quarter(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    Weights w = WeightsFor<Bgr>();
    for (int pair = 0; pair < 4; pair++) {
        __m64 upper[8], lower[8], sums[4];
        WidenRow(source + 2 * pair * lineStep, upper);
        WidenRow(source + (2 * pair + 1) * lineStep, lower);
        LumaRow(upper, w, luma + 16 * pair);
        LumaRow(lower, w, luma + 16 * pair + 8);
        for (int k = 0; k < 4; k++)
            sums[k] = _mm_add_pi16(_mm_add_pi16(upper[2 * k], upper[2 * k + 1]),
                                   _mm_add_pi16(lower[2 * k], lower[2 * k + 1]));
        ChromaOf4(sums, w, 4, cb + 8 * pair, cb + 64 + 8 * pair);
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
    ToYcc1x1<false>(source, lineStep, blocks);
}

void JpgBgrToYcc1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc1x1<true>(source, lineStep, blocks);
}

void JpgRgbToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x1<false>(source, lineStep, blocks);
}

void JpgBgrToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ToYcc2x1<true>(source, lineStep, blocks);
}

void JpgRgbToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    ToYcc2x2Quarter<false>(source, lineStep, luma, cb);
}

void JpgBgrToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb)
{
    ToYcc2x2Quarter<true>(source, lineStep, luma, cb);
}

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

void JpgRgbToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ByQuarters(JpgRgbToYcc2x2QuarterMmx, source, lineStep, blocks);
}

void JpgBgrToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    ByQuarters(JpgBgrToYcc2x2QuarterMmx, source, lineStep, blocks);
}

// Encoder colour kernels for four-byte pixels on MMX processors: the colour
// bytes complemented (Adobe's inverted YCCK convention) and converted as
// R, G, B, the fourth byte kept at full resolution; bit for bit the
// generic kernels' samples.
#include "colour_input_64.h"
#include "jpeg_simd.h"

namespace {

using packed64::LoadQ;
using packed64::StoreQ;
using namespace colour_input64;

// Eight pixels of a 32-byte row: the complemented colours as word
// quadruples, and the fourth bytes less 128 as two rows of four words.
inline void WidenRow(const uint8_t *row, __m64 pixels[8], __m64 fourth[2])
{
    __m64 ones = _mm_set1_pi32(-1), zero = _mm_setzero_si64();
    __m64 quads[4];
    for (int k = 0; k < 4; k++) {
        quads[k] = LoadQ(row + 8 * k);
        __m64 complement = _mm_subs_pu8(ones, quads[k]);
        pixels[2 * k] = _mm_unpacklo_pi8(complement, zero);
        pixels[2 * k + 1] = _mm_unpackhi_pi8(complement, zero);
    }
    __m64 shift = _mm_set1_pi16(128);
    for (int h = 0; h < 2; h++) {
        __m64 bytes = _mm_packs_pi32(_mm_srli_pi32(quads[2 * h], 24), _mm_srli_pi32(quads[2 * h + 1], 24));
        fourth[h] = _mm_sub_pi16(bytes, shift);
    }
}

inline void StoreRow(int16_t *out, const __m64 words[2])
{
    StoreQ(out, words[0]);
    StoreQ(out + 4, words[1]);
}

// Sums of the pixel pairs 2k, 2k+1 of eight pixels.
inline void PairSums(const __m64 pixels[8], __m64 sums[4])
{
    for (int k = 0; k < 4; k++)
        sums[k] = _mm_add_pi16(pixels[2 * k], pixels[2 * k + 1]);
}

} // namespace

// The fourth component is written where the layout of the MCU puts it,
// 192 samples after the luminance: its pointer is not read.
void JpgRgbaToYcca1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    Weights w = WeightsFor<false>();
    int16_t *luma = blocks[0];
    for (int row = 0; row < 8; row++) {
        __m64 pixels[8], fourth[2];
        WidenRow(source + row * lineStep, pixels, fourth);
        LumaRow(pixels, w, luma + 8 * row);
        ChromaOf4(pixels, w, 1, blocks[1] + 8 * row, blocks[2] + 8 * row);
        ChromaOf4(pixels + 4, w, 1, blocks[1] + 8 * row + 4, blocks[2] + 8 * row + 4);
        StoreRow(luma + 192 + 8 * row, fourth);
    }
}

void JpgRgbaToYcca2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    Weights w = WeightsFor<false>();
    for (int row = 0; row < 8; row++)
        for (int half = 0; half < 2; half++) {
            __m64 pixels[8], fourth[2], sums[4];
            WidenRow(source + row * lineStep + 32 * half, pixels, fourth);
            LumaRow(pixels, w, blocks[0] + 64 * half + 8 * row);
            PairSums(pixels, sums);
            ChromaOf4(sums, w, 2, blocks[1] + 8 * row + 4 * half, blocks[2] + 8 * row + 4 * half);
            StoreRow(blocks[3] + 64 * half + 8 * row, fourth);
        }
}

// 16 x 8 pixels, two rows at a time: two luminance and two fourth-component
// blocks side by side and four rows of each chroma block, Cr 64 samples
// after Cb (the Cr pointer is not read).
void JpgRgbaToYcca2x2HalfMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb, int16_t *,
                             int16_t *fourth)
{
    Weights w = WeightsFor<false>();
    for (int pair = 0; pair < 4; pair++)
        for (int half = 0; half < 2; half++) {
            __m64 upper[8], lower[8], upperFourth[2], lowerFourth[2], upperSums[4], lowerSums[4], sums[4];
            const uint8_t *at = source + 2 * pair * lineStep + 32 * half;
            WidenRow(at, upper, upperFourth);
            WidenRow(at + lineStep, lower, lowerFourth);
            int16_t *row = luma + 64 * half + 16 * pair;
            LumaRow(upper, w, row);
            LumaRow(lower, w, row + 8);
            PairSums(upper, upperSums);
            PairSums(lower, lowerSums);
            for (int k = 0; k < 4; k++)
                sums[k] = _mm_add_pi16(upperSums[k], lowerSums[k]);
            ChromaOf4(sums, w, 4, cb + 8 * pair + 4 * half, cb + 64 + 8 * pair + 4 * half);
            int16_t *fourthRow = fourth + 64 * half + 16 * pair;
            StoreRow(fourthRow, upperFourth);
            StoreRow(fourthRow + 8, lowerFourth);
        }
}

void JpgRgbaToYcca2x2ByHalvesMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    JpgRgbaToYcca2x2HalfMmx(source, lineStep, blocks[0], blocks[1], blocks[2], blocks[3]);
    JpgRgbaToYcca2x2HalfMmx(source + 8 * lineStep, lineStep, blocks[0] + 128, blocks[1] + 32, blocks[2] + 32,
                            blocks[3] + 128);
}

// Decoder colour kernels on 64-bit multimedia registers, shared by the MMX
// and the SSE forms: four 16-bit samples a register, chroma terms formed
// once per chroma sample, bytes limited by unsigned-saturating packs.
// Included by exactly those two files, each built for its instruction set.
#pragma once
#include <mmintrin.h>

#include "packed_memory.h"
#include <stddef.h>
#include <stdint.h>

namespace packed64 {

// Each term into two adjacent lanes by unpacking a register with itself,
// as plain MMX does it.
struct Unpacking {
    static __m64 Low(__m64 x)
    {
        return _mm_unpacklo_pi16(x, x);
    }
    static __m64 High(__m64 x)
    {
        return _mm_unpackhi_pi16(x, x);
    }
};

struct ChromaTerms {
    __m64 red, green, blue; // added to Y, subtracted from Y, added to Y
};

// The red and blue terms are high halves of samples pre-scaled by 16, so
// they floor before the offset is taken off (one lower than the generic
// routine's for a few chroma values).
inline ChromaTerms TermsOf(__m64 cb, __m64 cr)
{
    __m64 cb16 = _mm_slli_pi16(cb, 4), cr16 = _mm_slli_pi16(cr, 4);
    ChromaTerms t;
    t.red = _mm_sub_pi16(_mm_mulhi_pi16(cr16, _mm_set1_pi16(5744)), _mm_set1_pi16(179));
    t.blue = _mm_sub_pi16(_mm_mulhi_pi16(cb16, _mm_set1_pi16(7264)), _mm_set1_pi16(227));
    __m64 weights = _mm_set_pi16(88, 183, 88, 183), offset = _mm_set1_pi32(556896);
    __m64 low = _mm_madd_pi16(_mm_unpacklo_pi16(cr16, cb16), weights);
    __m64 high = _mm_madd_pi16(_mm_unpackhi_pi16(cr16, cb16), weights);
    t.green = _mm_packs_pi32(_mm_srai_pi32(_mm_sub_pi32(low, offset), 12), _mm_srai_pi32(_mm_sub_pi32(high, offset), 12));
    return t;
}

// Eight 3-byte pixels from their first, second and third bytes: made
// 4-byte pixels, they go out as overlapping 4-byte stores, each one's last
// byte overwritten by the next pixel, and the last pixel as its three
// bytes, so nothing past the row is touched. Cheaper here than gathering
// the bytes into whole 8-byte stores.
inline void WriteThreeBytePixels(uint8_t *out, __m64 first, __m64 second, __m64 third)
{
    __m64 pairs[2] = {_mm_unpacklo_pi8(first, second), _mm_unpackhi_pi8(first, second)};
    __m64 zero = _mm_setzero_si64();
    __m64 lasts[2] = {_mm_unpacklo_pi8(third, zero), _mm_unpackhi_pi8(third, zero)};
    uint32_t words[8];
    for (int h = 0; h < 2; h++) {
        StoreQ(words + 4 * h, _mm_unpacklo_pi16(pairs[h], lasts[h]));
        StoreQ(words + 4 * h + 2, _mm_unpackhi_pi16(pairs[h], lasts[h]));
    }
    for (int i = 0; i < 7; i++)
        memcpy(out + 3 * i, &words[i], 4);
    memcpy(out + 21, &words[7], 3);
}

// Eight pixels from their R, G, B bytes: 3-byte pixels as above, 4-byte
// ones with the fourth bytes given (255 unless a fourth component
// supplies them).
template <bool Alpha>
inline void WritePixels(uint8_t *out, __m64 first, __m64 second, __m64 third, __m64 fourth = _mm_set1_pi32(-1))
{
    if (!Alpha) {
        WriteThreeBytePixels(out, first, second, third);
        return;
    }
    __m64 pairs[2] = {_mm_unpacklo_pi8(first, second), _mm_unpackhi_pi8(first, second)};
    __m64 lasts[2] = {_mm_unpacklo_pi8(third, fourth), _mm_unpackhi_pi8(third, fourth)};
    for (int h = 0; h < 2; h++) {
        StoreQ(out + 16 * h, _mm_unpacklo_pi16(pairs[h], lasts[h]));
        StoreQ(out + 16 * h + 8, _mm_unpackhi_pi16(pairs[h], lasts[h]));
    }
}

// H x V luminance pixels per chroma sample, chromaRows chroma rows from cb
// and cr; Bgr swaps the first and third byte, Alpha writes R, G, B, 255.
// With fourth samples (laid out as the luminance) the pixels are
// 255 - R, 255 - G, 255 - B and the fourth sample's low byte.
template <class Duplicate, int H, int V, bool Bgr, bool Alpha>
inline void Convert(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step,
                    int chromaRows, const int16_t *fourth = nullptr)
{
    const int bytes = Alpha ? 4 : 3;
    for (int j = 0; j < chromaRows; j++) {
        ChromaTerms groups[2] = {TermsOf(LoadQ(cb + 8 * j), LoadQ(cr + 8 * j)),
                                 TermsOf(LoadQ(cb + 8 * j + 4), LoadQ(cr + 8 * j + 4))};
        ChromaTerms pixelTerms[H][2];
        for (int h = 0; h < H; h++)
            for (int q = 0; q < 2; q++) {
                if (H == 1) {
                    pixelTerms[h][q] = groups[q];
                } else {
                    const ChromaTerms &g = groups[h];
                    pixelTerms[h][q].red = q ? Duplicate::High(g.red) : Duplicate::Low(g.red);
                    pixelTerms[h][q].green = q ? Duplicate::High(g.green) : Duplicate::Low(g.green);
                    pixelTerms[h][q].blue = q ? Duplicate::High(g.blue) : Duplicate::Low(g.blue);
                }
            }
        for (int sub = 0; sub < V; sub++) {
            int y = j * V + sub;
            ptrdiff_t rowAt = (y / 8) * H * 64 + (y % 8) * 8;
            const int16_t *lumaRow = luma + rowAt;
            uint8_t *out = dib + y * step;
            for (int h = 0; h < H; h++) {
                __m64 red[2], green[2], blue[2];
                for (int q = 0; q < 2; q++) {
                    __m64 Y = LoadQ(lumaRow + 64 * h + 4 * q);
                    red[q] = _mm_adds_pi16(Y, pixelTerms[h][q].red);
                    green[q] = _mm_subs_pi16(Y, pixelTerms[h][q].green);
                    blue[q] = _mm_adds_pi16(Y, pixelTerms[h][q].blue);
                }
                __m64 r = _mm_packs_pu16(red[0], red[1]), g = _mm_packs_pu16(green[0], green[1]);
                __m64 b = _mm_packs_pu16(blue[0], blue[1]);
                if (Alpha && fourth) {
                    __m64 ones = _mm_set1_pi32(-1), low = _mm_set1_pi16(0xFF);
                    const int16_t *fourthRow = fourth + rowAt + 64 * h;
                    __m64 a = _mm_packs_pu16(_mm_and_si64(LoadQ(fourthRow), low),
                                             _mm_and_si64(LoadQ(fourthRow + 4), low));
                    WritePixels<Alpha>(out + 8 * bytes * h, _mm_xor_si64(r, ones), _mm_xor_si64(g, ones),
                                       _mm_xor_si64(b, ones), a);
                    continue;
                }
                WritePixels<Alpha>(out + 8 * bytes * h, Bgr ? b : r, g, Bgr ? r : b);
            }
        }
    }
}

} // namespace packed64

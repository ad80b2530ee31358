// The sequential block coder of the packed forms, shared by the MMX and the
// SSE coders: the non-zero coefficients come from a bit map in zigzag order,
// so zero runs are skipped by counting bits instead of testing each
// coefficient; codes and their extra bits go out together through Put.
// Included by exactly those two files.
#pragma once
#include <mmintrin.h>

#include "jpeg_encoder.h"

namespace packed64 {

// Zigzag positions k..k+3 as four words, each 0xFFFF where the coefficient
// is zero.
inline __m64 ZeroWordsOfFour(const int16_t *block, int k)
{
    const int *order = JpgNaturalOrder + k;
    __m64 four = _mm_set_pi16(block[order[3]], block[order[2]], block[order[1]], block[order[0]]);
    return _mm_cmpeq_pi16(four, _mm_setzero_si64());
}

// The extra bits of a value of category s: the value, or for a negative one
// its ones' complement, in the low s bits.
inline uint32_t ExtraBits(int value, int s)
{
    return (uint32_t)(value < 0 ? value - 1 : value) & ((1u << s) - 1);
}

template <uint64_t (*NonZeroMap)(const int16_t *), int (*Put)(uint32_t, int, JpgBitOutput *)>
int EncodeBlock(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                const int16_t *block)
{
    int diff = block[0] - *predictor;
    *predictor = block[0];
    int s = JpgBitCategory(diff);
    int result = Put((uint32_t)dc->code[s] << s | ExtraBits(diff, s), (int)dc->codeLength[s] + s, out);
    if (result < 0)
        return result;
    uint64_t map = NonZeroMap(block) & ~(uint64_t)1;
    int last = 0;
    while (map) {
        int k = __builtin_ctzll(map);
        map &= map - 1;
        int run = k - last - 1;
        for (; run >= 16; run -= 16)
            if ((result = Put(ac->code[0xF0], (int)ac->codeLength[0xF0], out)) < 0)
                return result;
        int value = block[JpgNaturalOrder[k]];
        s = JpgBitCategory(value);
        int symbol = run << 4 | s;
        if ((result = Put((uint32_t)ac->code[symbol] << s | ExtraBits(value, s), (int)ac->codeLength[symbol] + s,
                          out)) < 0)
            return result;
        last = k;
    }
    if (last < 63)
        return Put(ac->code[0x00], (int)ac->codeLength[0x00], out);
    return 0;
}

} // namespace packed64

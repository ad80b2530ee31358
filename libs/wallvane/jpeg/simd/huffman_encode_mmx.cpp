// The sequential block coder of the MMX processor types.
#include <mmintrin.h>

#include "huffman_encode_64.h"
#include "jpeg_simd.h"

// Four coefficients at a time, gathered through the natural order, compared
// with zero and packed to one byte each; the bytes' top bits make the mask.
uint64_t JpgNonZeroMapMmx(const int16_t *block)
{
    uint64_t map = 0;
    for (int k = 0; k < 64; k += 4) {
        __m64 isZero = packed64::ZeroWordsOfFour(block, k);
        uint32_t bytes = ~(uint32_t)_mm_cvtsi64_si32(_mm_packs_pi16(isZero, _mm_setzero_si64()));
        uint32_t mask = ((bytes & 0x80808080u) * 0x00204081u) >> 28;
        map |= (uint64_t)mask << k;
    }
    return map;
}

namespace {

int PutToFileOrMemory(uint32_t bits, int length, JpgBitOutput *out)
{
    return out->file ? JpgMmxPutBitsFile(bits, length, out) : JpgMmxPutBits(bits, length, out);
}

} // namespace

int JpgEncodeBlockMmx(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block)
{
    return packed64::EncodeBlock<JpgNonZeroMapMmx, PutToFileOrMemory>(out, dc, ac, predictor, block);
}

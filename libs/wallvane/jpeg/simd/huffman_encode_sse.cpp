// The sequential block coder of the SSE processor type: its checked writer
// empties 32 bits at a time only when 64 would overflow, and the non-zero
// map takes the compare results' top bits with one byte-mask move.
#include <xmmintrin.h>

#include "huffman_encode_64.h"
#include "jpeg_simd.h"

namespace {

// Each row's eight words packed to bytes and compared with zero, their top
// bits taken by one byte-mask move and placed at their zigzag positions
// through a table per row.
uint64_t NonZeroMapSse(const int16_t *block)
{
    uint64_t map = 0;
    const __m64 zero = _mm_setzero_si64();
    for (int r = 0; r < 8; r++) {
        // Saturation keeps every non-zero word non-zero as a byte.
        __m64 bytes = _mm_packs_pi16(packed64::LoadQ(block + 8 * r), packed64::LoadQ(block + 8 * r + 4));
        int isZero = _mm_movemask_pi8(_mm_cmpeq_pi8(bytes, zero));
        map |= JpgZigzagFlags.row[r][~isZero & 0xFF];
    }
    return map;
}

} // namespace

int JpgPutBitsSse(uint32_t bits, int length, JpgBitOutput *out)
{
    uint64_t accumulator = out->accumulator;
    int count = out->pendingBits;
    if (length < 1 || length > 32)
        return JPG_ERR_OUTPUT_TOO_SMALL;
    if (count + length > 64) {
        if (out->bufferEnd - out->writePointer < 8) {
            if (!out->file)
                return JPG_ERR_OUTPUT_TOO_SMALL;
            int result = JpgWriteOutBuffer(out);
            if (result < 0)
                return result;
        }
        uint32_t word = (uint32_t)(accumulator >> 32);
        uint8_t *p = out->writePointer;
        for (int shift = 24; shift >= 0; shift -= 8) {
            uint8_t b = (uint8_t)(word >> shift);
            *p++ = b;
            if (b == 0xFF)
                *p++ = 0;
        }
        out->writePointer = p;
        accumulator <<= 32;
        count -= 32;
    }
    count += length;
    out->accumulator = accumulator | (uint64_t)bits << (64 - count);
    out->pendingBits = count;
    return 0;
}

int JpgEncodeBlockSse(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block)
{
    return packed64::EncodeBlock<NonZeroMapSse, JpgPutBitsSse, JpgPutBitsSse, packed64::InlineWideWriter>(out, dc, ac, predictor, block);
}

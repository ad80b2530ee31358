// The sequential block coder of the MMX processor types.
#include <mmintrin.h>

#include "huffman_encode_64.h"
#include "jpeg_simd.h"

namespace {

// The top bits of four bytes as a 4-bit mask, byte 0 to bit 0.
inline uint32_t TopBits(uint32_t bytes)
{
    return ((bytes & 0x80808080u) * 0x00204081u) >> 28;
}

} // namespace

// The non-zero coefficients of each row, eight words packed to a byte each
// and compared with zero, then moved to their zigzag places through a
// table per row: a gather of every coefficient through the natural order
// costs several times as much.
uint64_t JpgNonZeroMapMmx(const int16_t *block)
{
    uint64_t map = 0;
    const __m64 zero = _mm_setzero_si64();
    for (int r = 0; r < 8; r++) {
        // Saturation keeps every non-zero word non-zero as a byte.
        __m64 packed = _mm_packs_pi16(packed64::LoadQ(block + 8 * r), packed64::LoadQ(block + 8 * r + 4));
        __m64 bytes = _mm_cmpeq_pi8(packed, zero);
#if defined(__x86_64__)
        // All eight top bits at once where the whole quadword reaches a register.
        uint64_t zeros = (uint64_t)_mm_cvtm64_si64(bytes) & 0x8080808080808080ull;
        map |= JpgZigzagFlags.row[r][~(uint32_t)((zeros * 0x0002040810204081ull) >> 56) & 0xFF];
#else
        uint32_t front = ~(uint32_t)_mm_cvtsi64_si32(bytes);
        uint32_t back = ~(uint32_t)_mm_cvtsi64_si32(_mm_srli_si64(bytes, 32));
        map |= JpgZigzagFlags.row[r][TopBits(front) | TopBits(back) << 4];
#endif
    }
    return map;
}

int JpgEncodeBlockMmx(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block)
{
#if defined(__x86_64__)
    return JpgEncodeBlockSse2(out, dc, ac, predictor, block);
#else
    return packed64::EncodeBlock<JpgNonZeroMapMmx, JpgMmxPutBits, JpgMmxPutBitsFile, packed64::InlineWideWriter>(out, dc, ac, predictor,
                                                                                          block);
#endif
}

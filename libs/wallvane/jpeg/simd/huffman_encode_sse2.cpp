// The sequential block coder of the SSE2 processor type, beside the MMX
// coder its table slot holds: the same bytes, with the non-zero map taken
// two rows at a time by the byte-mask move of the wider registers.
#include <emmintrin.h>

#include "huffman_encode_64.h"
#include "jpeg_simd.h"

namespace {

inline __m128i LoadRows(const int16_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// Four rows' words packed to bytes and compared with zero give 32 flags in
// two moves; a table per row puts each row's eight at their zigzag places.
// Inlined into the coder, whose registers a call would spill.
inline __attribute__((always_inline)) uint64_t NonZeroMap(const int16_t *block)
{
    const __m128i zero = _mm_setzero_si128();
    uint32_t zeros[2];
    for (int half = 0; half < 2; half++) {
        const int16_t *rows = block + 32 * half;
        // Saturation keeps every non-zero word non-zero as a byte.
        __m128i first = _mm_cmpeq_epi8(_mm_packs_epi16(LoadRows(rows), LoadRows(rows + 8)), zero);
        __m128i second = _mm_cmpeq_epi8(_mm_packs_epi16(LoadRows(rows + 16), LoadRows(rows + 24)), zero);
        zeros[half] = (uint32_t)_mm_movemask_epi8(first) | (uint32_t)_mm_movemask_epi8(second) << 16;
    }
    uint32_t top = ~zeros[0], bottom = ~zeros[1];
    const uint64_t(*row)[256] = JpgZigzagFlags.row;
    return (row[0][top & 0xFF] | row[1][top >> 8 & 0xFF]) | (row[2][top >> 16 & 0xFF] | row[3][top >> 24]) |
           (row[4][bottom & 0xFF] | row[5][bottom >> 8 & 0xFF]) | (row[6][bottom >> 16 & 0xFF] | row[7][bottom >> 24]);
}

} // namespace

uint64_t JpgNonZeroMapSse2(const int16_t *block)
{
    return NonZeroMap(block);
}

int JpgEncodeBlockSse2(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                       const int16_t *block)
{
    return packed64::EncodeBlock<NonZeroMap, JpgMmxPutBits, JpgMmxPutBitsFile, packed64::InlineWideWriter>(
        out, dc, ac, predictor, block);
}

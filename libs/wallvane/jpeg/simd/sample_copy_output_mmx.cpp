// Decoder kernels without arithmetic for MMX processors: samples written
// as bytes by unsigned-saturating packs, gray as it is, YCbCr as packed
// 4:2:2 pixels.
#include "jpeg_simd.h"
#include "packed_memory.h"

using packed64::LoadQ;
using packed64::StoreQ;

void JpgCopyGray1x1Mmx(const int16_t *samples, uint8_t *dib, ptrdiff_t step)
{
    for (int row = 0; row < 8; row += 2) {
        const int16_t *s = samples + 8 * row;
        StoreQ(dib + row * step, _mm_packs_pu16(LoadQ(s), LoadQ(s + 4)));
        StoreQ(dib + (row + 1) * step, _mm_packs_pu16(LoadQ(s + 8), LoadQ(s + 12)));
    }
}

// Each row: Y0 Cb0 Y1 Cr0 Y2 Cb1 ..., pixels 0-7 from the first luminance
// block and 8-15 from the second.
void JpgYccToPacked422Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    for (int row = 0; row < 8; row++) {
        uint8_t *out = dib + row * step;
        for (int half = 0; half < 2; half++) {
            __m64 b = LoadQ(cb + 8 * row + 4 * half), r = LoadQ(cr + 8 * row + 4 * half);
            __m64 pairs[2] = {_mm_unpacklo_pi16(b, r), _mm_unpackhi_pi16(b, r)};
            const int16_t *y = luma + 64 * half + 8 * row;
            for (int q = 0; q < 2; q++) {
                __m64 Y = LoadQ(y + 4 * q);
                __m64 bytes = _mm_packs_pu16(_mm_unpacklo_pi16(Y, pairs[q]), _mm_unpackhi_pi16(Y, pairs[q]));
                StoreQ(out + 16 * half + 8 * q, bytes);
            }
        }
    }
}

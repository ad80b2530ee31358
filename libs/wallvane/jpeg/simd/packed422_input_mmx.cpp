// The encoder's packed 4:2:2 input on MMX processors: each row of 16
// pixels (Y0 Cb Y1 Cr ...) split into two luminance rows and one row of
// each chroma, level-shifted; the chroma words are parted by unpacking.
#include "packed422_input_64.h"

namespace {

struct Unpacking {
    // (Cb0 Cr0 Cb1 Cr1), (Cb2 Cr2 Cb3 Cr3) to (Cb0..Cb3), (Cr0..Cr3).
    static void Part(__m64 first, __m64 second, __m64 *cb, __m64 *cr)
    {
        __m64 low = _mm_unpacklo_pi16(first, second), high = _mm_unpackhi_pi16(first, second);
        *cb = _mm_unpacklo_pi16(low, high);
        *cr = _mm_unpackhi_pi16(low, high);
    }
};

} // namespace

void JpgSplitPacked422Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    packed64::SplitPacked422<Unpacking>(source, lineStep, blocks);
}

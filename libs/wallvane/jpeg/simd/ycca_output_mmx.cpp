// Decoder colour kernels for four-component (YCbCrA) pictures on MMX
// processors: the colour bytes complemented, the fourth component's
// samples copied, as the generic kernels do; red and blue round as the
// other MMX kernels do.
#include "colour_output_64.h"
#include "jpeg_simd.h"

using packed64::Convert;
using packed64::Unpacking;

// The fourth component lies where the layout of the MCU puts it, after the
// chroma blocks: its pointer is not read.
void JpgYccaToRgba1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *, uint8_t *dib,
                         ptrdiff_t step)
{
    Convert<Unpacking, 1, 1, false, true>(luma, cb, cr, dib, step, 8, luma + 192);
}

void JpgYccaToRgba2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *, uint8_t *dib,
                         ptrdiff_t step)
{
    Convert<Unpacking, 2, 1, false, true>(luma, cb, cr, dib, step, 8, luma + 256);
}

void JpgYccaToRgba2x2Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *, uint8_t *dib,
                         ptrdiff_t step)
{
    Convert<Unpacking, 2, 2, false, true>(luma, cb, cr, dib, step, 8, luma + 384);
}

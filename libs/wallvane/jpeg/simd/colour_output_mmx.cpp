// Decoder colour kernels for MMX processors.
#include "colour_output_64.h"
#include "jpeg_simd.h"

using packed64::Convert;
using packed64::Unpacking;

void JpgYccToRgb1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToRgb1x1Sse2(luma, cb, cr, dib, step);
#else
    Convert<Unpacking, 1, 1, false, false>(luma, cb, cr, dib, step, 8);
#endif
}

void JpgYccToBgr1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToBgr1x1Sse2(luma, cb, cr, dib, step);
#else
    Convert<Unpacking, 1, 1, true, false>(luma, cb, cr, dib, step, 8);
#endif
}

void JpgYccToRgba1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Convert<Unpacking, 1, 1, false, true>(luma, cb, cr, dib, step, 8);
}

void JpgYccToRgb2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToRgb2x1Sse2(luma, cb, cr, dib, step);
#else
    Convert<Unpacking, 2, 1, false, false>(luma, cb, cr, dib, step, 8);
#endif
}

void JpgYccToBgr2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToBgr2x1Sse2(luma, cb, cr, dib, step);
#else
    Convert<Unpacking, 2, 1, true, false>(luma, cb, cr, dib, step, 8);
#endif
}

void JpgYccToRgba2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Convert<Unpacking, 2, 1, false, true>(luma, cb, cr, dib, step, 8);
}

void JpgYccToRgb2x2HalfMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Convert<Unpacking, 2, 2, false, false>(luma, cb, cr, dib, step, 4);
}

void JpgYccToBgr2x2HalfMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Convert<Unpacking, 2, 2, true, false>(luma, cb, cr, dib, step, 4);
}

void JpgYccToRgba2x2Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Convert<Unpacking, 2, 2, false, true>(luma, cb, cr, dib, step, 8);
}

void JpgYccToRgb2x2ByHalvesMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                               ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToRgb2x2Sse2(luma, cb, cr, dib, step);
#else
    JpgYccToRgb2x2HalfMmx(luma, cb, cr, dib, step);
    JpgYccToRgb2x2HalfMmx(luma + 128, cb + 32, cr + 32, dib + 8 * step, step);
#endif
}

void JpgYccToBgr2x2ByHalvesMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                               ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgYccToBgr2x2Sse2(luma, cb, cr, dib, step);
#else
    JpgYccToBgr2x2HalfMmx(luma, cb, cr, dib, step);
    JpgYccToBgr2x2HalfMmx(luma + 128, cb + 32, cr + 32, dib + 8 * step, step);
#endif
}

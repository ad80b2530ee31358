// MCUs of three 1 x 1 components from dequantised coefficients to RGB or
// BGR pixels in one pass on 128-bit registers: the inverse transform and
// the colour rows of the separate routines, byte for byte. Blocks of the DC
// alone, the most common ones, stay in one register of row samples instead
// of 64 stored samples; when both chroma blocks are such, the chroma terms
// of all eight rows come from one register each and are spread per row.
#include <emmintrin.h>

#include "colour_rows_128.h"
#include "integer_idct_128.h"
#include "jpeg_simd.h"

namespace {

// Row Row of a DcRows register, lane Row, across all eight lanes.
template <int Row>
inline __m128i Spread(__m128i rows)
{
    __m128i pairs = Row < 4 ? _mm_unpacklo_epi16(rows, rows) : _mm_unpackhi_epi16(rows, rows);
    return _mm_shuffle_epi32(pairs, (Row & 3) * 0x55);
}

template <int Row>
inline colour128::Terms SpreadTerms(const colour128::Terms &rows)
{
    colour128::Terms t;
    t.red = Spread<Row>(rows.red);
    t.green = Spread<Row>(rows.green);
    t.blue = Spread<Row>(rows.blue);
    return t;
}

// Rows Row and Row + 1: luminance from its DcRows register or the stored
// samples, chroma terms from the spread terms or the stored samples.
template <int Row, bool Bgr, bool Aligned, bool FlatLuma, bool FlatChroma>
inline void TwoRows(const int16_t *mcu, __m128i lumaRows, const colour128::Terms &chromaRows, uint8_t *dib,
                    ptrdiff_t step)
{
    __m128i y0 = FlatLuma ? Spread<Row>(lumaRows) : Load(mcu + 8 * Row, Aligned);
    __m128i y1 = FlatLuma ? Spread<Row + 1>(lumaRows) : Load(mcu + 8 * Row + 8, Aligned);
    const int16_t *cb = mcu + 64, *cr = mcu + 128;
    colour128::Terms t0 = FlatChroma ? SpreadTerms<Row>(chromaRows)
                                     : colour128::TermsOf(Load(cb + 8 * Row, Aligned), Load(cr + 8 * Row, Aligned));
    colour128::Terms t1 = FlatChroma
                              ? SpreadTerms<Row + 1>(chromaRows)
                              : colour128::TermsOf(Load(cb + 8 * Row + 8, Aligned), Load(cr + 8 * Row + 8, Aligned));
    colour128::WriteTwoRows<Bgr>(y0, y1, t0, t1, dib + Row * step, step);
}

template <bool Bgr, bool Aligned, bool FlatLuma, bool FlatChroma>
void WriteMcu(const int16_t *mcu, __m128i lumaRows, const colour128::Terms &chromaRows, uint8_t *dib,
              ptrdiff_t step)
{
    TwoRows<0, Bgr, Aligned, FlatLuma, FlatChroma>(mcu, lumaRows, chromaRows, dib, step);
    TwoRows<2, Bgr, Aligned, FlatLuma, FlatChroma>(mcu, lumaRows, chromaRows, dib, step);
    TwoRows<4, Bgr, Aligned, FlatLuma, FlatChroma>(mcu, lumaRows, chromaRows, dib, step);
    TwoRows<6, Bgr, Aligned, FlatLuma, FlatChroma>(mcu, lumaRows, chromaRows, dib, step);
}

template <bool Bgr, bool Aligned>
void Convert(int16_t *mcu, const int16_t *const *tables, uint8_t *dib, ptrdiff_t step)
{
    __m128i lumaRows, cbRows, crRows;
    bool flatLuma = Inverse<Aligned, true, true>(mcu, tables[0], &lumaRows);
    bool flatCb = Inverse<Aligned, true, true>(mcu + 64, tables[1], &cbRows);
    bool flatCr = Inverse<Aligned, true, true>(mcu + 128, tables[2], &crRows);
    // Chroma terms come from one source for both components.
    if (flatCb && !flatCr)
        StoreDcRows(mcu + 64, cbRows, Aligned);
    else if (flatCr && !flatCb)
        StoreDcRows(mcu + 128, crRows, Aligned);
    bool flatChroma = flatCb && flatCr;
    colour128::Terms chromaRows = {};
    if (flatChroma)
        chromaRows = colour128::TermsOf(cbRows, crRows);
    if (flatLuma)
        flatChroma ? WriteMcu<Bgr, Aligned, true, true>(mcu, lumaRows, chromaRows, dib, step)
                   : WriteMcu<Bgr, Aligned, true, false>(mcu, lumaRows, chromaRows, dib, step);
    else
        flatChroma ? WriteMcu<Bgr, Aligned, false, true>(mcu, lumaRows, chromaRows, dib, step)
                   : WriteMcu<Bgr, Aligned, false, false>(mcu, lumaRows, chromaRows, dib, step);
}

} // namespace

// The blocks of an MCU lie 128 bytes apart: aligned all or none.
JPG_SIMD_ENTRY void JpgDequantIdctYccToRgb1x1Sse2(int16_t *mcu, const int16_t *const *tables, uint8_t *dib,
                                                  ptrdiff_t step)
{
    Aligned16(mcu) ? Convert<false, true>(mcu, tables, dib, step) : Convert<false, false>(mcu, tables, dib, step);
}

JPG_SIMD_ENTRY void JpgDequantIdctYccToBgr1x1Sse2(int16_t *mcu, const int16_t *const *tables, uint8_t *dib,
                                                  ptrdiff_t step)
{
    Aligned16(mcu) ? Convert<true, true>(mcu, tables, dib, step) : Convert<true, false>(mcu, tables, dib, step);
}

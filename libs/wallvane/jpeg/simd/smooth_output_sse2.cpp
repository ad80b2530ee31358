// Smoothed chroma and its conversion for a whole 2 x 1 or 2 x 2 MCU,
// straight from the decoder's row buffers to the bitmap, eight pixels to a
// register. Bit for bit what the planes and the converter of unusual
// samplings give: the same triangle filter, the same rounding of green.
#include <emmintrin.h>

#include "jpeg_dispatch.h"
#include "jpeg_simd.h"
#include "packed_pixels_128.h"

namespace {

// Eight bytes from p as 16-bit lanes.
inline __m128i Widen(const uint8_t *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
}

// The filter's horizontal half for one chroma row, before any rounding:
// 3 x each sample plus its left neighbour (even pixels) or its right one
// (odd pixels).
inline void Across(const uint8_t *s, __m128i *even, __m128i *odd)
{
    __m128i centre = Widen(s);
    __m128i centre3 = _mm_add_epi16(_mm_add_epi16(centre, centre), centre);
    *even = _mm_add_epi16(centre3, Widen(s - 1));
    *odd = _mm_add_epi16(centre3, Widen(s + 1));
}

// A multiplier the compiler keeps as one: left to itself, it turns the
// multiplies into chains of shifts and adds, more instructions on the
// ports the rest of the conversion needs.
inline __m128i Weight(short value)
{
    __m128i weight = _mm_set1_epi16(value);
    __asm__("" : "+x"(weight));
    return weight;
}

// R, G, B of eight pixels from chroma less 128, limited to 0..255 by the
// caller's pack. The converter's terms with their whole multiples of 256
// taken out, so that every step fits 16 bits:
//   (359 cr - 45813) >> 8 = cr' + ((103 cr' + 139) >> 8)
//   (34806 - 88 cb - 183 cr) >> 8 = ((73 cr' - 88 cb' + 118) >> 8) - cr'
//   (454 cb - 57937) >> 8 = cb' + ((198 cb' + 175) >> 8)
inline void Convert(__m128i y, __m128i cb, __m128i cr, __m128i *r, __m128i *g, __m128i *b)
{
    __m128i red = _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(cr, Weight(103)), _mm_set1_epi16(139)), 8);
    __m128i blue = _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(cb, Weight(198)), _mm_set1_epi16(175)), 8);
    __m128i green = _mm_add_epi16(_mm_mullo_epi16(cr, Weight(73)), _mm_mullo_epi16(cb, Weight(-88)));
    green = _mm_srai_epi16(_mm_add_epi16(green, _mm_set1_epi16(118)), 8);
    *r = _mm_add_epi16(_mm_add_epi16(y, cr), red);
    *g = _mm_sub_epi16(_mm_add_epi16(y, green), cr);
    *b = _mm_add_epi16(_mm_add_epi16(y, cb), blue);
}

// One output row from the chroma of its even and odd pixels, less 128.
template <int Layout>
inline void WriteRow(const uint8_t *luma, __m128i cbEven, __m128i cbOdd, __m128i crEven, __m128i crOdd, uint8_t *dib)
{
    __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma));
    __m128i r[2], g[2], b[2];
    Convert(_mm_and_si128(y, _mm_set1_epi16(0x00FF)), cbEven, crEven, &r[0], &g[0], &b[0]);
    Convert(_mm_srli_epi16(y, 8), cbOdd, crOdd, &r[1], &g[1], &b[1]);
    const __m128i *first = Layout == JPG_SMOOTH_BGR ? b : r, *third = Layout == JPG_SMOOTH_BGR ? r : b;
    packed128::WritePixelPairs<Layout == JPG_SMOOTH_RGBA>(dib, first[0], first[1], g[0], g[1], third[0], third[1]);
}

// 2 x 1: each chroma row filtered across only, to quarters.
template <int Layout>
void SmoothAcross(const JpgSmoothSource *s)
{
    const __m128i evenRound = _mm_set1_epi16(1 - 4 * 128), oddRound = _mm_set1_epi16(2 - 4 * 128);
    for (int y = 0; y < 8; y++) {
        __m128i even[2], odd[2];
        for (int c = 0; c < 2; c++) {
            Across(s->chroma[c] + y * s->chromaStride, &even[c], &odd[c]);
            even[c] = _mm_srai_epi16(_mm_add_epi16(even[c], evenRound), 2);
            odd[c] = _mm_srai_epi16(_mm_add_epi16(odd[c], oddRound), 2);
        }
        WriteRow<Layout>(s->luma + y * s->lumaStride, even[0], odd[0], even[1], odd[1], s->dib + y * s->lineStep);
    }
}

// 2 x 2: every chroma row filtered across once; each output row then takes
// 3 x its chroma row plus the one above (upper rows) or below (lower rows),
// to sixteenths.
template <int Layout>
void SmoothBoth(const JpgSmoothSource *s)
{
    // Rows: above the MCU, its 8, below it; each as even and odd pixels.
    __m128i across[2][10][2];
    for (int c = 0; c < 2; c++) {
        Across(s->above[c], &across[c][0][0], &across[c][0][1]);
        for (int j = 0; j < 8; j++)
            Across(s->chroma[c] + j * s->chromaStride, &across[c][j + 1][0], &across[c][j + 1][1]);
        Across(s->below[c], &across[c][9][0], &across[c][9][1]);
    }
    const __m128i evenRound = _mm_set1_epi16(8 - 16 * 128), oddRound = _mm_set1_epi16(7 - 16 * 128);
    for (int j = 0; j < 8; j++) {
        __m128i centre[2][2];
        for (int c = 0; c < 2; c++)
            for (int half = 0; half < 2; half++) {
                __m128i here = across[c][j + 1][half];
                centre[c][half] = _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(here, here), here),
                                                half == 0 ? evenRound : oddRound);
            }
        for (int down = 0; down < 2; down++) {
            int other = down ? j + 2 : j, y = 2 * j + down;
            __m128i chroma[2][2];
            for (int c = 0; c < 2; c++)
                for (int half = 0; half < 2; half++)
                    chroma[c][half] = _mm_srai_epi16(_mm_add_epi16(centre[c][half], across[c][other][half]), 4);
            WriteRow<Layout>(s->luma + y * s->lumaStride, chroma[0][0], chroma[0][1], chroma[1][0], chroma[1][1],
                             s->dib + y * s->lineStep);
        }
    }
}

template <int Layout>
void SmoothMcu(const JpgSmoothSource *s)
{
    if (s->rows == 16)
        SmoothBoth<Layout>(s);
    else
        SmoothAcross<Layout>(s);
}

} // namespace

JPG_SIMD_ENTRY void JpgSmoothMcuSse2(const JpgSmoothSource *source)
{
    if (source->layout == JPG_SMOOTH_RGBA)
        SmoothMcu<JPG_SMOOTH_RGBA>(source);
    else if (source->layout == JPG_SMOOTH_BGR)
        SmoothMcu<JPG_SMOOTH_BGR>(source);
    else
        SmoothMcu<JPG_SMOOTH_RGB>(source);
}

// The generic whole-MCU kernels of the output kinds without a YCbCr to
// RGB conversion of three components: gray, interleaved and replicated
// channels, packed 4:2:2 and the complemented colours of four-component
// pictures. Each writes one whole, unscaled MCU into the bitmap.
#include "colour_terms.h"
#include "jpeg_decoder.h"

namespace {

// Where the sample of pixel (x, y) lies: in a component sampled like the
// luminance of an H x V frame, and in one sampled 1 x 1 against it.
template <int H>
inline int FullAt(int x, int y)
{
    return (y >> 3) * H * 64 + (y & 7) * 8 + (x >> 3) * 64 + (x & 7);
}

template <int H, int V>
inline int ReplicatedAt(int x, int y)
{
    return (y / V) * 8 + x / H;
}

// Every pixel of an 8H x 8V MCU, written by put(pixel, x, y).
template <int H, int V, int Bytes, class Put>
inline void EachPixel(uint8_t *dib, ptrdiff_t step, Put put)
{
    for (int y = 0; y < 8 * V; y++) {
        uint8_t *pixel = dib + y * step;
        for (int x = 0; x < 8 * H; x++, pixel += Bytes)
            put(pixel, x, y);
    }
}

// Channel 0 from the first component, channels 1 and 2 from the others,
// replicated over H x V pixels; with Alpha a fourth byte 255.
template <int H, int V, bool Alpha>
void Interleave3(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib, ptrdiff_t step)
{
    EachPixel<H, V, Alpha ? 4 : 3>(dib, step, [&](uint8_t *pixel, int x, int y) {
        int at = ReplicatedAt<H, V>(x, y);
        pixel[0] = (uint8_t)c0[FullAt<H>(x, y)];
        pixel[1] = (uint8_t)c1[at];
        pixel[2] = (uint8_t)c2[at];
        if (Alpha)
            pixel[3] = 255;
    });
}

// The complemented, limited colours and the fourth sample's low byte.
template <int H, int V>
void YccaToRgba(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                ptrdiff_t step)
{
    EachPixel<H, V, 4>(dib, step, [&](uint8_t *pixel, int x, int y) {
        int full = FullAt<H>(x, y), at = ReplicatedAt<H, V>(x, y);
        int Y = luma[full];
        pixel[0] = (uint8_t)~JpgLimit(Y + JpgRedTerm(cr[at]));
        pixel[1] = (uint8_t)~JpgLimit(Y + JpgGreenTerm(cb[at], cr[at]));
        pixel[2] = (uint8_t)~JpgLimit(Y + JpgBlueTerm(cb[at]));
        pixel[3] = (uint8_t)fourth[full];
    });
}

} // namespace

void JpgCopyGray1x1(const int16_t *samples, uint8_t *dib, ptrdiff_t step)
{
    EachPixel<1, 1, 1>(dib, step, [&](uint8_t *pixel, int x, int y) { *pixel = JpgLimit(samples[8 * y + x]); });
}

void JpgInterleave3Channels1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib,
                               ptrdiff_t step)
{
    Interleave3<1, 1, false>(c0, c1, c2, dib, step);
}

void JpgExpand3Channels2x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib, ptrdiff_t step)
{
    Interleave3<2, 1, false>(c0, c1, c2, dib, step);
}

void JpgExpand3Channels2x2(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib, ptrdiff_t step)
{
    Interleave3<2, 2, false>(c0, c1, c2, dib, step);
}

void JpgInterleave3ChannelsAlpha1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib,
                                    ptrdiff_t step)
{
    Interleave3<1, 1, true>(c0, c1, c2, dib, step);
}

void JpgInterleave4Channels1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, const int16_t *c3,
                               uint8_t *dib, ptrdiff_t step)
{
    EachPixel<1, 1, 4>(dib, step, [&](uint8_t *pixel, int x, int y) {
        int at = 8 * y + x;
        pixel[0] = (uint8_t)c0[at];
        pixel[1] = (uint8_t)c1[at];
        pixel[2] = (uint8_t)c2[at];
        pixel[3] = (uint8_t)c3[at];
    });
}

// Two bytes a pixel: Y0 Cb Y1 Cr, each chroma sample serving a pixel pair.
void JpgYccToPacked422(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    EachPixel<2, 1, 2>(dib, step, [&](uint8_t *pixel, int x, int y) {
        pixel[0] = (uint8_t)luma[FullAt<2>(x, y)];
        pixel[1] = (uint8_t)(x & 1 ? cr : cb)[ReplicatedAt<2, 1>(x, y)];
    });
}

void JpgYccaToRgba1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step)
{
    YccaToRgba<1, 1>(luma, cb, cr, fourth, dib, step);
}

void JpgYccaToRgba2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step)
{
    YccaToRgba<2, 1>(luma, cb, cr, fourth, dib, step);
}

void JpgYccaToRgba2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step)
{
    YccaToRgba<2, 2>(luma, cb, cr, fourth, dib, step);
}

// From decoded MCUs to the caller's bitmap: region clipping, the output
// routine chosen for each frame, colour conversion and replication of
// subsampled components, at full size and at the scaled sizes.
#include <string.h>

#include "colour_terms.h"
#include "jpeg_decoder.h"

namespace {

enum OutputFormat {
    FORMAT_NONE,
    FORMAT_YCC_TO_RGB, // fixed conversion, three components
    FORMAT_YCC_TO_RGB_SHIFTED_GREEN, // the converter of unusual samplings
    FORMAT_YCCA_TO_RGBA,
    FORMAT_COPY, // channels from components without conversion
    FORMAT_PACKED_422,
    FORMAT_SINGLE, // one component of a non-interleaved image into its channel
};

// Where the colour bytes of a pixel go: R, G, B byte positions.
void ColourOrder(int dibColour, int order[3])
{
    bool bgr = dibColour == JPG_COLOUR_BGR;
    order[0] = bgr ? 2 : 0;
    order[1] = 1;
    order[2] = bgr ? 0 : 2;
}

// Per DIB channel, what it receives without conversion: a component, 255,
// a copy of the byte before it, or nothing.
enum { CHANNEL_KEEP = -1, CHANNEL_OPAQUE = -2, CHANNEL_COPY_PREVIOUS = -3 };

int ChannelSource(const JPEG_PROPERTIES *p, int channel)
{
    int components = p->componentCount;
    bool reversed = p->dibColour == JPG_COLOUR_BGR && p->streamColour == JPG_COLOUR_RGB;
    if (components == 1) {
        if (channel == 0)
            return 0;
        return channel < 3 ? CHANNEL_COPY_PREVIOUS : CHANNEL_OPAQUE;
    }
    if (channel < components) {
        if (reversed && channel < 3)
            return 2 - channel;
        return channel;
    }
    if (channel == 3 && p->dibColour == JPG_COLOUR_RGBA)
        return CHANNEL_OPAQUE;
    return CHANNEL_KEEP;
}

// The byte a separate scan's component goes to, and whether its pixels
// get an opaque fourth byte with it.
void SingleTarget(const JPEG_PROPERTIES *p, int single, int *byte, bool *opaque)
{
    bool reversed = p->dibColour == JPG_COLOUR_BGR && p->streamColour == JPG_COLOUR_RGB;
    *byte = reversed && single < 3 ? 2 - single : single;
    *opaque = single == p->componentCount - 1 && p->componentCount == 3 && p->dibColour == JPG_COLOUR_RGBA &&
              p->dibChannels == 4;
}

// The bytes of a pixel that the frame's output writes, by their place in
// the pixel; the others keep what the caller put there.
int WrittenBytes(const JPEG_PROPERTIES *p, int single, int bytesPerPixel, int *written)
{
    int count = 0;
    if (p->outputFormat == FORMAT_SINGLE) {
        int byte;
        bool opaque;
        SingleTarget(p, single, &byte, &opaque);
        if (byte < p->dibChannels) {
            written[count++] = byte;
            if (opaque)
                written[count++] = 3;
        }
        return count;
    }
    for (int d = 0; d < bytesPerPixel; d++)
        if (p->outputFormat != FORMAT_COPY || (d < 8 && ChannelSource(p, d) != CHANNEL_KEEP))
            written[count++] = d;
    return count;
}

struct McuLayout {
    int width, height;
    const int16_t *base[JPG_MAX_COMPONENTS];
    int columnOffset[JPG_MAX_COMPONENTS][32];
    int rowOffset[JPG_MAX_COMPONENTS][32];
    int components;
};

// Sample positions of every output pixel: replication of subsampled
// components, whatever their block size at the output scale.
void LayOut(const JPEG_PROPERTIES *p, int single, McuLayout *layout)
{
    int first = single >= 0 ? single : 0;
    int last = single >= 0 ? single : p->componentCount - 1;
    layout->components = 0;
    const int16_t *block = p->mcuBuffer;
    for (int c = first; c <= last; c++) {
        const JpgFrameComponent &fc = p->components[c];
        int h = single >= 0 ? 1 : fc.h, v = single >= 0 ? 1 : fc.v;
        int size = p->componentBlockSize[c];
        int k = layout->components++;
        layout->base[k] = block;
        for (int x = 0; x < layout->width; x++) {
            int sx = x * size * h / layout->width;
            layout->columnOffset[k][x] = (sx / size) * 64 + sx % size;
        }
        for (int y = 0; y < layout->height; y++) {
            int sy = y * size * v / layout->height;
            layout->rowOffset[k][y] = (sy / size) * h * 64 + (sy % size) * 8;
        }
        block += h * v * 64;
    }
}

// Smoothed output: every component already spread to the MCU's full size.
void LayOutPlanes(const JPEG_PROPERTIES *p, int single, McuLayout *layout)
{
    layout->components = single >= 0 ? 1 : p->componentCount;
    for (int k = 0; k < layout->components; k++) {
        layout->base[k] = p->smoothPlanes[k];
        for (int x = 0; x < layout->width; x++)
            layout->columnOffset[k][x] = x;
        for (int y = 0; y < layout->height; y++)
            layout->rowOffset[k][y] = 16 * y;
    }
}

template <int Format>
void WritePixels(const JPEG_PROPERTIES *p, const McuLayout &l, uint8_t *address, const JpgRect &r, int single)
{
    ptrdiff_t step = p->dibLineStep;
    int channels = p->dibChannels;
    int order[3];
    ColourOrder(p->dibColour, order);
    int sources[8];
    int copyChannels = channels < 8 ? channels : 8;
    if (Format == FORMAT_COPY)
        for (int d = 0; d < copyChannels; d++)
            sources[d] = ChannelSource(p, d);
    int singleByte = 0;
    bool singleOpaque = false;
    if (Format == FORMAT_SINGLE) {
        SingleTarget(p, single, &singleByte, &singleOpaque);
        if (singleByte >= channels)
            return;
    }
    for (int y = r.top; y < r.bottom; y++) {
        uint8_t *pixel = address + y * step + (ptrdiff_t)r.left * (Format == FORMAT_PACKED_422 ? 2 : channels);
        const int16_t *row[JPG_MAX_COMPONENTS];
        for (int k = 0; k < l.components; k++)
            row[k] = l.base[k] + l.rowOffset[k][y];
        for (int x = r.left; x < r.right; x++) {
            if (Format == FORMAT_YCC_TO_RGB || Format == FORMAT_YCC_TO_RGB_SHIFTED_GREEN ||
                Format == FORMAT_YCCA_TO_RGBA) {
                int Y = row[0][l.columnOffset[0][x]];
                int cb = row[1][l.columnOffset[1][x]];
                int cr = row[2][l.columnOffset[2][x]];
                int red = Y + JpgRedTerm(cr);
                int green = Y + (Format == FORMAT_YCC_TO_RGB ? JpgGreenTerm(cb, cr) : JpgShiftedGreenTerm(cb, cr));
                int blue = Y + JpgBlueTerm(cb);
                if (Format == FORMAT_YCCA_TO_RGBA) {
                    pixel[0] = (uint8_t)~JpgLimit(red);
                    pixel[1] = (uint8_t)~JpgLimit(green);
                    pixel[2] = (uint8_t)~JpgLimit(blue);
                    pixel[3] = (uint8_t)row[3][l.columnOffset[3][x]];
                } else {
                    pixel[order[0]] = JpgLimit(red);
                    pixel[1] = JpgLimit(green);
                    pixel[order[2]] = JpgLimit(blue);
                    if (channels == 4 && p->dibColour == JPG_COLOUR_RGBA)
                        pixel[3] = 255;
                }
            } else if (Format == FORMAT_COPY) {
                for (int d = 0; d < copyChannels; d++) {
                    int source = sources[d];
                    if (source >= 0)
                        pixel[d] = JpgLimit(row[source][l.columnOffset[source][x]]);
                    else if (source == CHANNEL_OPAQUE)
                        pixel[d] = 255;
                    else if (source == CHANNEL_COPY_PREVIOUS)
                        pixel[d] = pixel[d - 1];
                }
            } else if (Format == FORMAT_PACKED_422) {
                pixel[0] = JpgLimit(row[0][l.columnOffset[0][x]]);
                int chroma = x & 1 ? 2 : 1;
                pixel[1] = JpgLimit(row[chroma][l.columnOffset[chroma][x & ~1]]);
                pixel += 2;
                continue;
            } else if (Format == FORMAT_SINGLE) {
                pixel[singleByte] = JpgLimit(row[0][l.columnOffset[0][x]]);
                if (singleOpaque)
                    pixel[3] = 255;
            }
            pixel += channels;
        }
    }
}

// Limits to 0..255 by looking up: Y (0..255) plus a chroma term lies in
// -227..480, well inside the table.
struct LimitTable {
    uint8_t values[1024];
    LimitTable()
    {
        for (int i = 0; i < 1024; i++)
            values[i] = JpgLimit(i - 384);
    }
};
const LimitTable Limits;

// A whole, unscaled MCU of luminance sampled H x V and chroma sampled 1 x 1:
// the chroma terms are worked out once for the H x V pixels that share them.
template <int H, int V, bool Bgr, bool Opaque>
void YccToRgbWholeMcu(const int16_t *luma, const int16_t *cbBlock, const int16_t *crBlock, uint8_t *address,
                      ptrdiff_t step)
{
    const int channels = Opaque ? 4 : 3;
    const int redAt = Bgr ? 2 : 0, blueAt = Bgr ? 0 : 2;
    const uint8_t *limit = Limits.values + 384;
    for (int chromaRow = 0; chromaRow < 8; chromaRow++) {
        const int16_t *cb = cbBlock + 8 * chromaRow, *cr = crBlock + 8 * chromaRow;
        int red[8], green[8], blue[8];
        for (int k = 0; k < 8; k++) {
            red[k] = JpgRedTerm(cr[k]);
            green[k] = JpgGreenTerm(cb[k], cr[k]);
            blue[k] = JpgBlueTerm(cb[k]);
        }
        for (int sub = 0; sub < V; sub++) {
            int y = chromaRow * V + sub;
            const int16_t *lumaRow = luma + (y / 8) * H * 64 + (y % 8) * 8;
            uint8_t *pixel = address + y * step;
            for (int half = 0; half < H; half++) {
                const int16_t *lumaBlock = lumaRow + half * 64;
#pragma GCC unroll 8
                for (int i = 0; i < 8 / H; i++) {
                    int k = half * (8 / H) + i;
                    const uint8_t *r = limit + red[k], *g = limit + green[k], *b = limit + blue[k];
                    for (int m = 0; m < H; m++, pixel += channels) {
                        int Y = lumaBlock[i * H + m];
                        pixel[redAt] = r[Y];
                        pixel[1] = g[Y];
                        pixel[blueAt] = b[Y];
                        if (Opaque)
                            pixel[3] = 255;
                    }
                }
            }
        }
    }
}

// The whole-MCU kernel of an MCU shape that KernelYccMcu accepts.
JpgColourOutKernel WholeMcuKernel(const JPEG_PROPERTIES *p)
{
    const JpgDispatch *d = p->input.dispatch;
    bool bgr = p->dibColour == JPG_COLOUR_BGR, rgba = p->dibChannels == 4;
    if (p->hMax == 1 && p->vMax == 2)
        return rgba ? YccToRgbWholeMcu<1, 2, false, true>
                    : bgr ? YccToRgbWholeMcu<1, 2, true, false> : YccToRgbWholeMcu<1, 2, false, false>;
    if (p->hMax == 1)
        return rgba ? d->dec_cc_ycc_rgba_h1v1 : bgr ? d->dec_cc_ycc_bgr_h1v1 : d->dec_cc_ycc_rgb_h1v1;
    if (p->vMax == 1)
        return rgba ? d->dec_cc_ycc_rgba_h2v1 : bgr ? d->dec_cc_ycc_bgr_h2v1 : d->dec_cc_ycc_rgb_h2v1;
    return rgba ? d->dec_cc_ycc_rgba_h2v2 : bgr ? d->dec_cc_ycc_bgr_h2v2 : d->dec_cc_ycc_rgb_h2v2;
}

// An unscaled MCU shape that a whole-MCU kernel converts.
bool KernelYccMcu(const JPEG_PROPERTIES *p)
{
    if (p->outputFormat != FORMAT_YCC_TO_RGB || p->outputBlockSize != 8)
        return false;
    const JpgFrameComponent *c = p->components;
    return c[0].h == p->hMax && c[0].v == p->vMax && c[1].h == 1 && c[1].v == 1 && c[2].h == 1 &&
           c[2].v == 1 && p->hMax <= 2 && p->vMax <= 2;
}

// The kernel that writes a whole unscaled MCU of the frame's output kind,
// taken from the dispatch record, and how many components it reads.
struct McuKernel {
    int components;
    JpgGrayOutKernel gray;
    JpgColourOutKernel three;
    JpgFourChannelOutKernel four;
};

bool ChooseKernel(const JPEG_PROPERTIES *p, McuKernel *k)
{
    if (p->outputBlockSize != 8)
        return false;
    const JpgDispatch *d = p->input.dispatch;
    k->components = 3;
    k->gray = nullptr;
    k->three = nullptr;
    k->four = nullptr;
    if (KernelYccMcu(p)) {
        k->three = WholeMcuKernel(p);
        return true;
    }
    // The plain interleaving kernels place the 8 x 8 pixels of one block of
    // each component: into a YCbCr bitmap, which is not counted as
    // upsampled, subsampled chroma comes with wider MCUs and is replicated.
    bool oneBlockEach = p->hMax == 1 && p->vMax == 1;
    switch (p->outputKind) {
    case 0:
        // One component into one channel; any other kind 0 is a generic routine's.
        if (p->outputFormat != FORMAT_COPY || p->componentCount != 1 || p->dibChannels != 1 || p->hMax != 1 ||
            p->vMax != 1)
            return false;
        k->components = 1;
        k->gray = d->dec_out_gray;
        return true;
    case 13:
        k->three = d->dec_out_3ch_alpha_h1v1;
        return oneBlockEach;
    case 15:
        // Plain interleaving is the same on every processor.
        k->three = JpgInterleave3Channels1x1;
        return oneBlockEach;
    case 16:
        k->three = d->dec_out_3ch_h2v2;
        return true;
    case 17:
        k->three = d->dec_out_3ch_h2v1;
        return true;
    case 19:
        k->three = d->dec_out_ycbycr_422;
        return true;
    default:
        break;
    }
    k->components = 4;
    switch (p->outputKind) {
    case 10:
        k->four = d->dec_cc_ycck_4ch_h1v1;
        return true;
    case 11:
        k->four = d->dec_cc_ycck_4ch_h2v2;
        return true;
    case 12:
        k->four = d->dec_cc_ycck_4ch_h2v1;
        return true;
    case 14:
        k->four = d->dec_out_4ch_h1v1;
        return oneBlockEach;
    default:
        return false;
    }
}

void RunKernel(const JPEG_PROPERTIES *p, const McuKernel &k, uint8_t *address, ptrdiff_t step)
{
    const int16_t *c[4];
    for (int i = 0; i < k.components; i++)
        c[i] = p->mcuBuffer + p->componentBlockOffset[i] * 64;
    if (k.components == 1)
        k.gray(c[0], address, step);
    else if (k.components == 3)
        k.three(c[0], c[1], c[2], address, step);
    else
        k.four(c[0], c[1], c[2], c[3], address, step);
}

int PutMcu(JPEG_PROPERTIES *p, int column, int row, int single)
{
    McuLayout layout;
    int size = p->outputBlockSize;
    if (single >= 0) {
        layout.width = size * p->hMax / p->components[single].h;
        layout.height = size * p->vMax / p->components[single].v;
    } else {
        layout.width = size * p->hMax;
        layout.height = size * p->vMax;
    }
    if (layout.width < 1 || layout.height < 1 || layout.width > 32 || layout.height > 32)
        return JPG_ERR_NOT_SUPPORTED;
    uint8_t *address;
    JpgRect visible;
    int bytesPerPixel = p->outputFormat == FORMAT_PACKED_422 ? 2 : p->dibChannels;
    if (JpgClipMcuToRoi(&p->outputRegion, layout.width, layout.height, column, row, bytesPerPixel, p->dibLineStep,
                        p->dibRow, p->dibWidth, p->dibHeight, &address, &visible) < 0)
        return JPG_ERR_INVALID_PROPERTIES;
    if (visible.right <= visible.left || visible.bottom <= visible.top)
        return 0;
    bool whole = !visible.left && !visible.top && visible.right == layout.width && visible.bottom == layout.height;
    McuKernel kernel;
    if (single < 0 && !p->smoothUpsampling && ChooseKernel(p, &kernel)) {
        if (whole) {
            RunKernel(p, kernel, address, p->dibLineStep);
            return 0;
        }
        // A cut MCU goes through the same kernel into a scratch MCU, so
        // that a region or a smaller bitmap gets exactly the pixels of the
        // whole picture, whichever processor's kernel rounds them.
        uint8_t scratch[16 * 16 * 4];
        ptrdiff_t scratchStep = layout.width * bytesPerPixel;
        RunKernel(p, kernel, scratch, scratchStep);
        size_t bytes = (size_t)(visible.right - visible.left) * bytesPerPixel;
        for (int y = visible.top; y < visible.bottom; y++)
            memcpy(address + y * p->dibLineStep + visible.left * bytesPerPixel,
                   scratch + y * scratchStep + visible.left * bytesPerPixel, bytes);
        return 0;
    }
    if (p->smoothUpsampling) {
        if (whole && single < 0 && p->outputFormat == FORMAT_YCC_TO_RGB_SHIFTED_GREEN && size == 8) {
            int smoothLayout = p->dibChannels == 4 ? JPG_SMOOTH_RGBA
                               : p->dibColour == JPG_COLOUR_BGR ? JPG_SMOOTH_BGR : JPG_SMOOTH_RGB;
            if (JpgSmoothMcuByRows(p, column, row, smoothLayout, address, p->dibLineStep))
                return 0;
        }
        JpgBuildSmoothPlanes(p, column, row);
        LayOutPlanes(p, single, &layout);
    } else {
        LayOut(p, single, &layout);
    }
    switch (p->outputFormat) {
    case FORMAT_YCC_TO_RGB:
        WritePixels<FORMAT_YCC_TO_RGB>(p, layout, address, visible, single);
        break;
    case FORMAT_YCC_TO_RGB_SHIFTED_GREEN:
        WritePixels<FORMAT_YCC_TO_RGB_SHIFTED_GREEN>(p, layout, address, visible, single);
        break;
    case FORMAT_YCCA_TO_RGBA:
        WritePixels<FORMAT_YCCA_TO_RGBA>(p, layout, address, visible, single);
        break;
    case FORMAT_COPY:
        WritePixels<FORMAT_COPY>(p, layout, address, visible, single);
        break;
    case FORMAT_PACKED_422:
        WritePixels<FORMAT_PACKED_422>(p, layout, address, visible, single);
        break;
    case FORMAT_SINGLE:
        WritePixels<FORMAT_SINGLE>(p, layout, address, visible, single);
        break;
    default:
        return JPG_ERR_NOT_SUPPORTED;
    }
    return 0;
}

} // namespace

int JpgClipMcuToRoi(const JpgRect *region, int mcuWidth, int mcuHeight, int column, int row, int channels,
                    ptrdiff_t lineStep, uint8_t *dib, int dibWidth, int dibHeight, uint8_t **address,
                    JpgRect *visible)
{
    long long x = (long long)column * mcuWidth, y = (long long)row * mcuHeight;
    long long w = dibWidth - x, h = (dibHeight < 0 ? -(long long)dibHeight : dibHeight) - y;
    bool none = !region->left && !region->top && !region->right && !region->bottom;
    if (none) {
        *address = dib + x * channels + y * lineStep;
        visible->left = visible->top = 0;
        visible->right = (int)(mcuWidth < w ? mcuWidth : (w > 0 ? w : 0));
        visible->bottom = (int)(mcuHeight < h ? mcuHeight : (h > 0 ? h : 0));
        return 0;
    }
    if (x >= region->right || x + mcuWidth < region->left || y >= region->bottom || y + mcuHeight < region->top)
        return JPG_ERR_INVALID_PROPERTIES;
    *address = dib + channels * (x - region->left) + lineStep * (y - region->top);
    long long left = region->left - x, top = region->top - y;
    long long right = region->right - x, bottom = region->bottom - y;
    visible->left = (int)(left > 0 ? left : 0);
    visible->top = (int)(top > 0 ? top : 0);
    long long r = mcuWidth < right ? mcuWidth : right;
    r = r < w + region->left ? r : w + region->left;
    long long b = mcuHeight < bottom ? mcuHeight : bottom;
    b = b < h + region->top ? b : h + region->top;
    visible->right = (int)r;
    visible->bottom = (int)b;
    return 0;
}

void JpgYccToRgb1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<1, 1, false, false>(luma, cb, cr, dib, step);
}

void JpgYccToRgb2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 1, false, false>(luma, cb, cr, dib, step);
}

void JpgYccToRgb2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 2, false, false>(luma, cb, cr, dib, step);
}

void JpgYccToBgr1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<1, 1, true, false>(luma, cb, cr, dib, step);
}

void JpgYccToBgr2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 1, true, false>(luma, cb, cr, dib, step);
}

void JpgYccToBgr2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 2, true, false>(luma, cb, cr, dib, step);
}

void JpgYccToRgba1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<1, 1, false, true>(luma, cb, cr, dib, step);
}

void JpgYccToRgba2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 1, false, true>(luma, cb, cr, dib, step);
}

void JpgYccToRgba2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    YccToRgbWholeMcu<2, 2, false, true>(luma, cb, cr, dib, step);
}

int JpgPutMcuConverted(JPEG_PROPERTIES *p, int column, int row)
{
    return PutMcu(p, column, row, -1);
}

int JpgPutMcuUpsampleGeneric(JPEG_PROPERTIES *p, int column, int row)
{
    if (p->nonInterleaved && p->scan)
        return PutMcu(p, column, row, p->scan->components[0].frameIndex);
    return PutMcu(p, column, row, -1);
}

// The frame's output routine. A combination with none gets no routine and
// the read reports "Not supported" instead of using an earlier frame's.
void JpgSelectMcuOutput(JPEG_PROPERTIES *p)
{
    JpgDispatch *dispatch = p->input.dispatch;
    int n = p->componentCount, channels = p->dibChannels, colour = p->dibColour;
    const JpgFrameComponent *c = p->components;
    bool chromaPlain = n >= 3 && c[1].h == 1 && c[1].v == 1 && c[2].h == 1 && c[2].v == 1;
    bool alphaLike = n < 4 || (c[3].h == c[0].h && c[3].v == c[0].v);
    bool s22 = chromaPlain && alphaLike && c[0].h == 2 && c[0].v == 2;
    bool s21 = chromaPlain && alphaLike && c[0].h == 2 && c[0].v == 1;
    bool convert = p->colourConversionNeeded, upsample = p->upsamplingNeeded;
    int format = FORMAT_NONE, kind = 0;
    dispatch->run_mcu_output = nullptr;
    p->outputKind = 0;

    // Smoothed chroma goes through the generic converter: the fixed 2 x 1
    // and 2 x 2 kernels replicate.
    bool smooth = p->fourRowBuffers == 1;
    if (p->nonInterleaved) {
        if (p->dibSubsampling == 2)
            return; // packed pixels are written from interleaved scans only
        p->outputFormat = FORMAT_SINGLE;
        dispatch->run_mcu_output = JpgPutMcuUpsampleGeneric;
        return;
    }
    if (convert) {
        bool ycc3 = n == 3 && (channels == 3 || (channels == 4 && colour == JPG_COLOUR_RGBA)) &&
                    colour != JPG_COLOUR_YCBCR;
        bool ycca4 = n == 4 && channels == 4 && colour == JPG_COLOUR_RGBA && p->streamColour == JPG_COLOUR_YCBCRA;
        if (ycc3 && !upsample) {
            format = FORMAT_YCC_TO_RGB;
            kind = channels == 4 ? 7 : colour == JPG_COLOUR_RGB ? 1 : 2;
        } else if (ycc3 && (s22 || s21) && !smooth) {
            format = FORMAT_YCC_TO_RGB;
            if (channels == 4)
                kind = s22 ? 8 : 9;
            else if (colour == JPG_COLOUR_RGB)
                kind = s22 ? 3 : 5;
            else
                kind = s22 ? 4 : 6;
        } else if (ycc3) {
            format = FORMAT_YCC_TO_RGB_SHIFTED_GREEN;
        } else if (ycca4) {
            format = FORMAT_YCCA_TO_RGBA;
            kind = !upsample ? 10 : smooth ? 0 : s22 ? 11 : s21 ? 12 : 0;
        }
    } else if (colour == JPG_COLOUR_YCBCR && p->dibSubsampling == 2) {
        if (n == 3 && s21) {
            format = FORMAT_PACKED_422;
            kind = 19;
        }
    } else if (n <= 4) {
        format = FORMAT_COPY;
        if (n == 3 && channels == 3 && colour != JPG_COLOUR_BGR)
            kind = !upsample ? 15 : s22 ? 16 : s21 ? 17 : 0;
        else if (n == 3 && channels == 4 && colour == JPG_COLOUR_RGBA && !upsample)
            kind = 13;
        else if (n == 4 && channels == 4 && !upsample)
            kind = 14;
    }
    p->outputFormat = format;
    p->outputKind = kind;
    if (format != FORMAT_NONE)
        dispatch->run_mcu_output = upsample && format == FORMAT_COPY ? JpgPutMcuUpsampleGeneric : JpgPutMcuConverted;
}

int JpgOutputMcu(JPEG_PROPERTIES *props, int column, int row, int scale)
{
    JpgDispatch *dispatch = props->input.dispatch;
    if (!dispatch->run_mcu_output)
        return JPG_ERR_NOT_SUPPORTED;
    int size = scale == 2 ? 4 : scale == 4 ? 2 : scale == 8 ? 1 : 8;
    // With the delays of smoothed output the scan also asks for positions
    // past the last column and row, which only release the MCUs before them.
    bool real = !props->smoothUpsampling || (column < props->smoothAcross && row < props->smoothDown);
    if (real) {
        JpgIdctRoutine transforms[4] = {dispatch->run_idct_8x8, dispatch->run_idct_4x4, dispatch->run_idct_2x2,
                                        dispatch->run_idct_1x1};
        int level = scale == 2 ? 1 : scale == 4 ? 2 : scale == 8 ? 3 : 0;
        // With simple sampling a component of one block per MCU comes out one
        // size larger, at the size of the full-resolution components.
        bool simple = scale > 1 && props->hMax == props->vMax && props->hMax == 2;
        for (int c = 0; c < props->componentCount; c++) {
            const JpgFrameComponent &fc = props->components[c];
            simple = simple && fc.h == fc.v && (fc.h == 1 || fc.h == 2);
        }
        int16_t *block = props->mcuBuffer;
        int first = 0, last = props->componentCount - 1;
        if (props->nonInterleaved && props->scan)
            first = last = props->scan->components[0].frameIndex;
        for (int c = first; c <= last; c++) {
            const JpgFrameComponent &fc = props->components[c];
            int blocks = props->nonInterleaved ? 1 : fc.h * fc.v;
            int componentLevel = simple && blocks == 1 ? level - 1 : level;
            props->componentBlockSize[c] = 8 >> componentLevel;
            for (int b = 0; b < blocks; b++, block += 64) {
                // An MCU without coefficients has its samples in place.
                if (!props->flatMcu)
                    transforms[componentLevel](block);
                if (props->rawBlockHook && props->rawBlockHook->flag != 0)
                    JpgPutBlockInPlane(props, c, props->nonInterleaved ? column : column * fc.h + b % fc.h,
                                       props->nonInterleaved ? row : row * fc.v + b / fc.h, block);
            }
        }
        props->flatMcu = 0;
        if (props->rawBlockHook && props->rawBlockHook->flag != 0)
            return 0;
    }
    props->outputBlockSize = size;
    if (props->smoothUpsampling) {
        int result = JpgPrepareRowBuffers(props, size);
        if (result < 0)
            return result;
        if (real)
            JpgStoreMcuRows(props, column, row);
        column -= props->columnDelay;
        row -= props->rowDelay;
        if (column < 0 || row < 0)
            return 0;
    }
    int result = dispatch->run_mcu_output(props, column, row);
    return result == JPG_ERR_INVALID_PROPERTIES ? 0 : result; // outside the region: skipped
}

void JpgPrepareFastOutput(JPEG_PROPERTIES *props, int scale, JpgFastOutput *fast)
{
    fast->usable = false;
    JpgDispatch *dispatch = props->input.dispatch;
    bool region = props->outputRegion.left || props->outputRegion.top || props->outputRegion.right ||
                  props->outputRegion.bottom;
    if (scale != 1 || props->rawBlockHook || props->nonInterleaved || region ||
        dispatch->run_mcu_output != JpgPutMcuConverted || !dispatch->run_idct_8x8)
        return;
    props->outputBlockSize = 8;
    bool smooth = props->smoothUpsampling && props->outputFormat == FORMAT_YCC_TO_RGB_SHIFTED_GREEN &&
                  props->componentCount == 3;
    if (smooth ? JpgPrepareRowBuffers(props, 8) < 0 : props->smoothUpsampling || !KernelYccMcu(props))
        return;
    fast->blocks = 0;
    for (int c = 0; c < props->componentCount; c++) {
        const JpgFrameComponent &fc = props->components[c];
        props->componentBlockSize[c] = 8;
        for (int b = 0; b < fc.h * fc.v; b++) {
            if (fast->blocks == JPG_MAX_BLOCKS_PER_MCU)
                return;
            fast->quant[fast->blocks++] = props->quantTables[fc.tq].values;
        }
    }
    int mcuWidth = 8 * props->hMax, mcuHeight = 8 * props->vMax;
    int rows = props->dibHeight < 0 ? -props->dibHeight : props->dibHeight;
    fast->wholeAcross = props->dibWidth / mcuWidth;
    fast->wholeDown = rows / mcuHeight;
    fast->mcuBytes = (ptrdiff_t)mcuWidth * props->dibChannels;
    fast->mcuRowBytes = mcuHeight * props->dibLineStep;
    fast->transform = dispatch->run_idct_8x8;
    fast->kernel = smooth ? nullptr : WholeMcuKernel(props);
    fast->smoothLayout = props->dibChannels == 4                 ? JPG_SMOOTH_RGBA
                         : props->dibColour == JPG_COLOUR_BGR ? JPG_SMOOTH_BGR
                                                               : JPG_SMOOTH_RGB;
    fast->usable = smooth || fast->kernel != nullptr;
}

int JpgOutputMcuFast(JPEG_PROPERTIES *props, const JpgFastOutput &fast, int column, int row, int scale)
{
    if (!fast.usable)
        return JpgOutputMcu(props, column, row, scale);
    // With smoothed chroma every MCU of the picture goes into the row
    // buffers, and the one a column (and a row) behind comes out.
    if (!fast.kernel ? column >= props->smoothAcross || row >= props->smoothDown
                     : column >= fast.wholeAcross || row >= fast.wholeDown)
        return JpgOutputMcu(props, column, row, scale);
    if (props->flatMcu) {
        props->flatMcu = 0;
    } else {
        int16_t *block = props->mcuBuffer;
        for (int b = 0; b < fast.blocks; b++, block += 64)
            fast.transform(block);
    }
    if (!fast.kernel) {
        JpgStoreMcuRows(props, column, row);
        column -= props->columnDelay;
        row -= props->rowDelay;
        if (column < 0 || row < 0)
            return 0;
        uint8_t *address = props->dibRow + column * fast.mcuBytes + row * fast.mcuRowBytes;
        if (column < fast.wholeAcross && row < fast.wholeDown &&
            JpgSmoothMcuByRows(props, column, row, fast.smoothLayout, address, props->dibLineStep))
            return 0;
        int result = props->input.dispatch->run_mcu_output(props, column, row);
        return result == JPG_ERR_INVALID_PROPERTIES ? 0 : result;
    }
    const int16_t *luma = props->mcuBuffer, *cb = luma + (fast.blocks - 2) * 64;
    fast.kernel(luma, cb, cb + 64, props->dibRow + column * fast.mcuBytes + row * fast.mcuRowBytes,
                props->dibLineStep);
    return 0;
}

bool JpgRepeatOutputRows(JPEG_PROPERTIES *p, int across, int reference, int first, int end, int scale)
{
    if (!p->input.dispatch->run_mcu_output || p->rawBlockHook || p->regionInForce || reference < 0 ||
        reference >= first)
        return false;
    int single = p->nonInterleaved && p->scan ? p->scan->components[0].frameIndex : -1;
    int size = 8 / scale;
    int width = size * p->hMax, height = size * p->vMax;
    if (single >= 0) {
        width /= p->components[single].h;
        height /= p->components[single].v;
    }
    int bytesPerPixel = p->outputFormat == FORMAT_PACKED_422 ? 2 : p->dibChannels;
    int written[256];
    int count = WrittenBytes(p, single, bytesPerPixel, written);
    // What the MCUs of a row write: the visible part of each, from the
    // bitmap's left edge.
    long long columns = (long long)across * width < p->dibWidth ? (long long)across * width : p->dibWidth;
    long long rows = p->dibHeight < 0 ? -(long long)p->dibHeight : p->dibHeight;
    long long endLine = (long long)end * height < rows ? (long long)end * height : rows;
    if (count == 0 || columns <= 0)
        return true;
    for (long long y = (long long)first * height; y < endLine; y++) {
        uint8_t *to = p->dibRow + y * p->dibLineStep;
        const uint8_t *from = p->dibRow + ((long long)reference * height + y % height) * p->dibLineStep;
        if (count == bytesPerPixel) {
            memcpy(to, from, (size_t)(columns * bytesPerPixel));
            continue;
        }
        for (long long x = 0; x < columns * bytesPerPixel; x += bytesPerPixel)
            for (int k = 0; k < count; k++)
                to[x + written[k]] = from[x + written[k]];
    }
    return true;
}

// A non-interleaved image is converted once all its components are in.
int JpgConvertPlanesInPlace(JPEG_PROPERTIES *p)
{
    if (p->dibColour != JPG_COLOUR_RGB && p->dibColour != JPG_COLOUR_BGR && p->dibColour != JPG_COLOUR_RGBA)
        return 0;
    if (p->dibChannels < 3)
        return 0;
    // Only what the scans wrote: the picture at the read's scale, or the
    // region, and never more than the bitmap holds.
    int scale = JpgReadScale(p->ioMode);
    const JpgRect &region = p->outputRegion;
    bool none = !region.left && !region.top && !region.right && !region.bottom;
    int pictureWidth = none ? (p->frameWidth + scale - 1) / scale : region.right - region.left;
    int pictureHeight = none ? (p->frameHeight + scale - 1) / scale : region.bottom - region.top;
    int rows = p->dibHeight < 0 ? -p->dibHeight : p->dibHeight;
    int width = p->dibWidth;
    if (rows > pictureHeight)
        rows = pictureHeight;
    if (width > pictureWidth)
        width = pictureWidth;
    int order[3];
    ColourOrder(p->dibColour, order);
    bool complement = p->streamColour == JPG_COLOUR_YCBCRA;
    for (int y = rows - 1; y >= 0; y--) {
        uint8_t *pixel = p->dibRow + y * p->dibLineStep;
        for (int x = 0; x < width; x++, pixel += p->dibChannels) {
            int Y = pixel[0], cb = pixel[1], cr = pixel[2];
            uint8_t red = JpgLimit(Y + JpgRedTerm(cr));
            uint8_t green = JpgLimit(Y + JpgShiftedGreenTerm(cb, cr));
            uint8_t blue = JpgLimit(Y + JpgBlueTerm(cb));
            if (complement) {
                red = (uint8_t)~red, green = (uint8_t)~green, blue = (uint8_t)~blue;
            } else if (p->dibChannels == 4 && p->dibColour == JPG_COLOUR_RGBA) {
                pixel[3] = 255;
            }
            pixel[order[0]] = red;
            pixel[1] = green;
            pixel[order[2]] = blue;
        }
    }
    return 0;
}

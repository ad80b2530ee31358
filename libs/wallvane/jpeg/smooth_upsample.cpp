// Smoothed chroma: the triangle filter over subsampled components, fed from
// row buffers that keep the samples of the MCUs around the one being output.
// The output runs one MCU column (and for 2 x 2 sampling one MCU row) behind
// the decoding, so that the right and lower neighbours are known.
#include <stdlib.h>
#include <string.h>

#include "colour_terms.h"
#include "jpeg_decoder.h"
#if defined(__x86_64__)
#include "jpeg_simd.h"
#endif
#include "jpeg_dispatch.h"

namespace {

// One allocation: this header, then the slots. A slot holds one MCU row of
// every component of the scan with a guard MCU on either side; 2 x 2
// sampling keeps three slots (the rows above, at and below the MCU being
// output). A separate scan of one component has MCUs of one block.
struct RowBuffers {
    int across, down, blockSize, slots, components;
    int frameIndex[JPG_MAX_COMPONENTS];
    int h[JPG_MAX_COMPONENTS], v[JPG_MAX_COMPONENTS]; // blocks of an MCU
    int fx[JPG_MAX_COMPONENTS], fy[JPG_MAX_COMPONENTS]; // spread to the output
    bool smooth[JPG_MAX_COMPONENTS]; // interpolated rather than replicated
    int stride[JPG_MAX_COMPONENTS]; // bytes of one sample row
    size_t offset[JPG_MAX_COMPONENTS]; // of the component within a slot
    size_t slotBytes;
    uint8_t *samples;
    // The usual shape, whose whole MCUs the processor's kernel takes:
    // three components, luminance 2 x 1 or 2 x 2 at full size, chroma 1 x 1.
    bool kernelShape;
};

// The components of the scan as the row buffers hold them.
void Describe(const JPEG_PROPERTIES *p, int blockSize, RowBuffers *b)
{
    *b = RowBuffers();
    b->across = p->smoothAcross;
    b->down = p->smoothDown;
    b->blockSize = blockSize;
    b->slots = p->smoothUpsampling == 2 ? 3 : 1;
    bool single = p->nonInterleaved && p->scan;
    b->components = single ? 1 : p->componentCount;
    for (int k = 0; k < b->components; k++) {
        int c = single ? p->scan->components[0].frameIndex : k;
        const JpgFrameComponent &fc = p->components[c];
        b->frameIndex[k] = c;
        b->h[k] = single ? 1 : fc.h;
        b->v[k] = single ? 1 : fc.v;
        b->fx[k] = p->hMax / fc.h;
        b->fy[k] = p->vMax / fc.v;
        b->smooth[k] = fc.h * 2 == p->hMax && (p->smoothUpsampling == 1 || fc.v * 2 == p->vMax);
    }
    int vMax = p->smoothUpsampling == 2 ? 2 : 1;
    b->kernelShape = blockSize == 8 && b->components == 3 && b->h[0] == 2 && b->v[0] == vMax;
    for (int k = 1; k < b->components; k++)
        b->kernelShape = b->kernelShape && b->smooth[k] && b->h[k] == 1 && b->v[k] == 1;
}

bool SameShape(const RowBuffers &a, const RowBuffers &b)
{
    if (a.across != b.across || a.down != b.down || a.blockSize != b.blockSize || a.slots != b.slots ||
        a.components != b.components)
        return false;
    for (int k = 0; k < a.components; k++)
        if (a.frameIndex[k] != b.frameIndex[k] || a.h[k] != b.h[k] || a.v[k] != b.v[k] || a.fx[k] != b.fx[k] ||
            a.fy[k] != b.fy[k] || a.smooth[k] != b.smooth[k])
            return false;
    return true;
}

// Slots are 1 or 3: the constant divisor spares a division per call.
uint8_t *SlotBase(const RowBuffers *b, int row)
{
    int slot = b->slots == 1 ? 0 : row % 3;
    return b->samples + (size_t)slot * b->slotBytes;
}

uint8_t *SlotOf(const RowBuffers *b, int row, int k)
{
    return SlotBase(b, row) + b->offset[k];
}

// Column x of MCU column a, counting the left guard MCU.
inline int FirstColumn(const RowBuffers *b, int k, int a)
{
    return (a + 1) * b->blockSize * b->h[k];
}

inline int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// The 16 smoothed values of one chroma row, one for each output pixel:
// with another row, 3 x this + that, filtered to sixteenths; without,
// filtered to quarters. here[-1] and here[8] are the neighbouring MCUs'
// samples.
inline void SmoothChromaRow(const uint8_t *here, const uint8_t *other, int16_t out[16])
{
    int16_t sum[10], even[8], odd[8];
    int evenRound, oddRound, shift;
    if (other) {
        for (int i = 0; i < 10; i++)
            sum[i] = (int16_t)(3 * here[i - 1] + other[i - 1]);
        evenRound = 8, oddRound = 7, shift = 4;
    } else {
        for (int i = 0; i < 10; i++)
            sum[i] = here[i - 1];
        evenRound = 1, oddRound = 2, shift = 2;
    }
    for (int i = 0; i < 8; i++) {
        int centre = 3 * sum[i + 1];
        even[i] = (int16_t)((centre + sum[i] + evenRound) >> shift);
        odd[i] = (int16_t)((centre + sum[i + 2] + oddRound) >> shift);
    }
    for (int i = 0; i < 8; i++) {
        out[2 * i] = even[i];
        out[2 * i + 1] = odd[i];
    }
}

// Kept apart from the interleaving so that the compiler can run it on
// eight pixels at once: the chroma terms with their whole multiples of 256
// taken out, so that every step fits 16 bits for samples of 0..255.
inline int16_t Limit16(int16_t v)
{
    v = v < 0 ? (int16_t)0 : v;
    return v > 255 ? (int16_t)255 : v;
}

inline void ConvertRow(const uint8_t *luma, const int16_t cb[16], const int16_t cr[16], uint8_t red[16],
                       uint8_t green[16], uint8_t blue[16])
{
    for (int i = 0; i < 16; i++) {
        int16_t y = luma[i], b = cb[i], r = cr[i];
        // (359 r - 45813) >> 8, (34806 - 88 b - 183 r) >> 8, (454 b - 57937) >> 8
        int16_t redTerm = (int16_t)(r - 179 + (int16_t)((int16_t)(103 * r + 11) >> 8));
        int16_t greenTerm = (int16_t)(135 - r + (int16_t)((int16_t)(73 * r - 88 * b + 246) >> 8));
        int16_t blueTerm = (int16_t)(2 * b - 226 + (int16_t)((int16_t)(-58 * b - 81) >> 8));
        red[i] = (uint8_t)Limit16((int16_t)(y + redTerm));
        green[i] = (uint8_t)Limit16((int16_t)(y + greenTerm));
        blue[i] = (uint8_t)Limit16((int16_t)(y + blueTerm));
    }
}

template <int Channels, int RedAt, int BlueAt>
void WriteSmoothRow(const uint8_t *luma, const int16_t cb[16], const int16_t cr[16], uint8_t *dib)
{
    uint8_t red[16], green[16], blue[16];
    ConvertRow(luma, cb, cr, red, green, blue);
    // Whole 4-byte pixels (x86 keeps the low byte first); 3-byte ones
    // overlap, each store's top byte rewritten by the next pixel, and the
    // last goes out as its 3 bytes, so nothing past the row is touched.
    uint32_t pixels[16];
    for (int i = 0; i < 16; i++)
        pixels[i] = (uint32_t)red[i] << (8 * RedAt) | (uint32_t)green[i] << 8 | (uint32_t)blue[i] << (8 * BlueAt) |
                    (Channels == 4 ? 0xFF000000u : 0);
    for (int i = 0; i < 15; i++)
        memcpy(dib + Channels * i, &pixels[i], 4);
    memcpy(dib + Channels * 15, &pixels[15], Channels);
}

// One output row of a smoothed MCU in plain code: the planes' filter and
// the in-place converter's arithmetic in one pass, without the planes.
// Kept out of line: inlined into the MCU's loop, the compiler assembles
// the pixels with four times the instructions.
__attribute__((noinline)) void SmoothRow(const uint8_t *luma, const uint8_t *cb, const uint8_t *cbOther,
                                         const uint8_t *cr, const uint8_t *crOther, int layout, uint8_t *dib)
{
    int16_t cbRow[16], crRow[16];
    SmoothChromaRow(cb, cbOther, cbRow);
    SmoothChromaRow(cr, crOther, crRow);
    if (layout == JPG_SMOOTH_RGBA)
        WriteSmoothRow<4, 0, 2>(luma, cbRow, crRow, dib);
    else if (layout == JPG_SMOOTH_BGR)
        WriteSmoothRow<3, 2, 0>(luma, cbRow, crRow, dib);
    else
        WriteSmoothRow<3, 0, 2>(luma, cbRow, crRow, dib);
}

} // namespace

int JpgPrepareRowBuffers(JPEG_PROPERTIES *p, int blockSize)
{
    RowBuffers shape;
    Describe(p, blockSize, &shape);
    const RowBuffers *held = static_cast<const RowBuffers *>(p->rowBuffers);
    if (held && SameShape(*held, shape))
        return 0;
    free(p->rowBuffers);
    p->rowBuffers = nullptr;
    size_t slotBytes = 0;
    for (int k = 0; k < shape.components; k++) {
        long long stride = (long long)(shape.across + 2) * blockSize * shape.h[k];
        if (stride > (1 << 24))
            return JPG_ERR_MEMORY;
        shape.stride[k] = (int)stride;
        shape.offset[k] = slotBytes;
        slotBytes += (size_t)shape.stride[k] * blockSize * shape.v[k];
    }
    shape.slotBytes = slotBytes;
    size_t header = (sizeof(RowBuffers) + 31) & ~(size_t)31;
    uint8_t *memory = static_cast<uint8_t *>(calloc(1, header + slotBytes * shape.slots));
    if (!memory)
        return JPG_ERR_MEMORY;
    shape.samples = memory + header;
    memcpy(memory, &shape, sizeof shape);
    p->rowBuffers = memory;
    return 0;
}

namespace {

// One whole block of samples, 0..255 already, into the row buffers.
inline void StoreBlock8(const int16_t *block, uint8_t *out, ptrdiff_t stride)
{
#if defined(__SSE2__)
    // One pack for two rows.
    for (int y = 0; y < 8; y += 2, out += 2 * stride) {
        const __m128i *rows = reinterpret_cast<const __m128i *>(block + 8 * y);
        __m128i pair = _mm_packus_epi16(_mm_loadu_si128(rows), _mm_loadu_si128(rows + 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out), pair);
        _mm_storeh_pi(reinterpret_cast<__m64 *>(out + stride), _mm_castsi128_ps(pair));
    }
#else
    for (int y = 0; y < 8; y++, out += stride)
        for (int x = 0; x < 8; x++)
            out[x] = (uint8_t)block[8 * y + x];
#endif
}

// The same for the reduced sizes, whose few samples lie at the top left.
void StoreReducedBlock(const int16_t *block, int size, uint8_t *out, ptrdiff_t stride)
{
    for (int y = 0; y < size; y++, out += stride)
        for (int x = 0; x < size; x++)
            out[x] = (uint8_t)block[8 * y + x];
}

// Fills what lies past the picture's right and lower edges of MCU (a, b),
// and the guard left of it, by repeating the last valid sample, so the
// filter finds a neighbour everywhere.
void FillEdges(const JPEG_PROPERTIES *p, const RowBuffers *buffers, int a, int b)
{
    int size = buffers->blockSize, scale = 8 / size;
    for (int k = 0; k < buffers->components; k++) {
        if (!buffers->smooth[k])
            continue;
        int stride = buffers->stride[k];
        uint8_t *slot = SlotOf(buffers, b, k);
        int x0 = FirstColumn(buffers, k, a);
        int width = size * buffers->h[k], height = size * buffers->v[k];
        int fx = buffers->fx[k], fy = buffers->fy[k];
        if (b == buffers->down - 1 && p->smoothUpsampling == 2) {
            int rows = CeilDiv(p->frameHeight, scale) - b * height * fy;
            int valid = CeilDiv(rows, fy);
            valid = valid < 1 ? 1 : valid > height ? height : valid;
            for (int y = valid; y < height; y++)
                memcpy(slot + (size_t)y * stride + x0, slot + (size_t)(valid - 1) * stride + x0, width);
        }
        int valid = width;
        if (a == buffers->across - 1) {
            int columns = CeilDiv(p->frameWidth, scale) - a * width * fx;
            valid = CeilDiv(columns, fx);
            valid = valid < 1 ? 1 : valid > width ? width : valid;
        }
        if (a != 0 && a != buffers->across - 1)
            continue;
        for (int y = 0; y < height; y++) {
            uint8_t *row = slot + (size_t)y * stride + x0;
            if (a == 0)
                row[-1] = row[0];
            if (a == buffers->across - 1)
                for (int x = valid; x <= width; x++)
                    row[x] = row[valid - 1];
        }
    }
}

} // namespace

// Keeps the transformed MCU (a, b), and at the picture's edges what the
// filter needs beyond them.
void JpgStoreMcuRows(JPEG_PROPERTIES *p, int a, int b)
{
    const RowBuffers *buffers = static_cast<const RowBuffers *>(p->rowBuffers);
    int size = buffers->blockSize;
    const int16_t *block = p->mcuBuffer;
    for (int k = 0; k < buffers->components; k++) {
        int h = buffers->h[k], v = buffers->v[k];
        ptrdiff_t stride = buffers->stride[k];
        uint8_t *corner = SlotOf(buffers, b, k) + FirstColumn(buffers, k, a);
        if (size == 8) {
            for (int by = 0; by < v; by++, corner += 8 * stride)
                for (int bx = 0; bx < h; bx++, block += 64)
                    StoreBlock8(block, corner + 8 * bx, stride);
            continue;
        }
        for (int by = 0; by < v; by++, corner += size * stride)
            for (int bx = 0; bx < h; bx++, block += 64)
                StoreReducedBlock(block, size, corner + size * bx, stride);
    }
    if (a == 0 || a == buffers->across - 1 || b == buffers->down - 1)
        FillEdges(p, buffers, a, b);
}

// The samples of MCU (a, b) at the output size, every component spread by
// its factors (at the scale's block size), into the smoothing planes.
void JpgBuildSmoothPlanes(JPEG_PROPERTIES *p, int a, int b)
{
    const RowBuffers *buffers = static_cast<const RowBuffers *>(p->rowBuffers);
    int size = buffers->blockSize;
    for (int k = 0; k < buffers->components; k++) {
        int h = buffers->h[k], v = buffers->v[k], stride = buffers->stride[k];
        int fx = buffers->fx[k], fy = buffers->fy[k];
        int outWidth = size * h * fx, outHeight = size * v * fy;
        const uint8_t *slot = SlotOf(buffers, b, k) + FirstColumn(buffers, k, a);
        int16_t *plane = p->smoothPlanes[k];
        bool smooth = buffers->smooth[k] && size > 1 && outWidth <= 16 && outHeight <= 16;
        if (smooth && p->smoothUpsampling == 1) {
            for (int y = 0; y < size * v; y++) {
                const uint8_t *s = slot + (size_t)y * stride;
                int16_t *out = plane + 16 * y;
                for (int i = 0; i < size * h; i++) {
                    int centre = 3 * s[i];
                    out[2 * i] = (int16_t)((centre + s[i - 1] + 1) >> 2);
                    out[2 * i + 1] = (int16_t)((centre + s[i + 1] + 2) >> 2);
                }
            }
        } else if (smooth) {
            int last = size * v - 1, width = size * h;
            const uint8_t *above = b == 0 ? slot : SlotOf(buffers, b - 1, k) + FirstColumn(buffers, k, a) +
                                                       (size_t)last * stride;
            const uint8_t *below = b == buffers->down - 1
                                       ? slot + (size_t)last * stride
                                       : SlotOf(buffers, b + 1, k) + FirstColumn(buffers, k, a);
            for (int j = 0; j <= last; j++) {
                const uint8_t *here = slot + (size_t)j * stride;
                for (int half = 0; half < 2; half++) {
                    const uint8_t *other = half == 0 ? (j == 0 ? above : here - stride)
                                                     : (j == last ? below : here + stride);
                    // Column sums 3 x this row + the other row, from the
                    // left neighbour to the right one.
                    int sum[18];
                    for (int i = -1; i <= width; i++)
                        sum[i + 1] = 3 * here[i] + other[i];
                    int16_t *out = plane + 16 * (2 * j + half);
                    for (int i = 0; i < width; i++) {
                        int centre = 3 * sum[i + 1];
                        out[2 * i] = (int16_t)((centre + sum[i] + 8) >> 4);
                        out[2 * i + 1] = (int16_t)((centre + sum[i + 2] + 7) >> 4);
                    }
                }
            }
        } else {
            outWidth = outWidth < 16 ? outWidth : 16;
            outHeight = outHeight < 16 ? outHeight : 16;
            for (int y = 0; y < outHeight; y++) {
                const uint8_t *s = slot + (size_t)(y / fy) * stride;
                int16_t *out = plane + 16 * y;
                for (int x = 0; x < outWidth; x++)
                    out[x] = s[x / fx];
            }
        }
    }
}

// A smoothed MCU in plain code, row by row.
void JpgSmoothMcu(const JpgSmoothSource *s)
{
    ptrdiff_t stride = s->chromaStride;
    for (int y = 0; y < s->rows; y++) {
        int j = s->rows == 16 ? y / 2 : y;
        const uint8_t *other[2] = {nullptr, nullptr}, *here[2];
        for (int c = 0; c < 2; c++) {
            here[c] = s->chroma[c] + j * stride;
            if (s->rows == 16)
                other[c] = y % 2 == 0 ? (j == 0 ? s->above[c] : here[c] - stride)
                                      : (j == 7 ? s->below[c] : here[c] + stride);
        }
        SmoothRow(s->luma + y * s->lumaStride, here[0], other[0], here[1], other[1], s->layout,
                  s->dib + y * s->lineStep);
    }
}

// A whole MCU of the usual smoothed shape goes through the MCU kernel
// straight from the row buffers, the same on every processor type: every
// 64-bit x86 processor has the 128-bit registers its wide form takes. False
// leaves it to the planes.
static bool RowKernelInUse = true;

void JpgUseSmoothRowKernelForTests(bool use)
{
    RowKernelInUse = use;
}

bool JpgSmoothMcuByRows(JPEG_PROPERTIES *p, int a, int b, int layout, uint8_t *address, ptrdiff_t step)
{
#if defined(__x86_64__)
    JpgSmoothMcuKernel kernel = JpgSmoothMcuSse2;
#else
    JpgSmoothMcuKernel kernel = JpgSmoothMcu;
#endif
    const RowBuffers *buffers = static_cast<const RowBuffers *>(p->rowBuffers);
    if (!buffers->kernelShape || !RowKernelInUse)
        return false;
    const uint8_t *here = SlotBase(buffers, b);
    int chromaColumn = FirstColumn(buffers, 1, a);
    ptrdiff_t stride = buffers->stride[1], last = 7 * stride;
    JpgSmoothSource source;
    source.luma = here + buffers->offset[0] + FirstColumn(buffers, 0, a);
    source.lumaStride = buffers->stride[0];
    source.chromaStride = stride;
    for (int c = 0; c < 2; c++)
        source.chroma[c] = source.above[c] = source.below[c] = here + buffers->offset[c + 1] + chromaColumn;
    source.rows = 8;
    if (buffers->slots == 3) {
        // The rows beyond the MCU come from the MCU rows above and below,
        // or repeat the MCU's own edge row at the picture's edge.
        source.rows = 16;
        const uint8_t *above = b == 0 ? nullptr : SlotBase(buffers, b - 1);
        const uint8_t *below = b == buffers->down - 1 ? nullptr : SlotBase(buffers, b + 1);
        for (int c = 0; c < 2; c++) {
            size_t within = buffers->offset[c + 1] + chromaColumn;
            source.above[c] = above ? above + within + last : source.chroma[c];
            source.below[c] = below ? below + within : source.chroma[c] + last;
        }
    }
    source.layout = layout;
    source.dib = address;
    source.lineStep = step;
    kernel(&source);
    return true;
}

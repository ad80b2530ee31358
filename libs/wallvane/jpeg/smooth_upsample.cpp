// Smoothed chroma: the triangle filter over subsampled components, fed from
// row buffers that keep the samples of the MCUs around the one being output.
// The output runs one MCU column (and for 2 x 2 sampling one MCU row) behind
// the decoding, so that the right and lower neighbours are known.
#include <stdlib.h>
#include <string.h>

#include "jpeg_decoder.h"

namespace {

// One allocation: this header, then the slots. A slot holds one MCU row of
// every component with a guard MCU on either side; 2 x 2 sampling keeps
// three slots (the rows above, at and below the MCU being output).
struct RowBuffers {
    int across, down, blockSize, slots, components;
    int h[JPG_MAX_COMPONENTS], v[JPG_MAX_COMPONENTS];
    int stride[JPG_MAX_COMPONENTS]; // bytes of one sample row
    int rows[JPG_MAX_COMPONENTS]; // sample rows of one MCU row
    size_t offset[JPG_MAX_COMPONENTS]; // of the component within a slot
    size_t slotBytes;
    uint8_t *samples;
};

bool Fits(const RowBuffers *b, const JPEG_PROPERTIES *p, int blockSize, int slots)
{
    if (!b || b->across != p->frameMcusAcross || b->down != p->frameMcusDown || b->blockSize != blockSize ||
        b->slots != slots || b->components != p->componentCount)
        return false;
    for (int c = 0; c < p->componentCount; c++)
        if (b->h[c] != p->components[c].h || b->v[c] != p->components[c].v)
            return false;
    return true;
}

// Whether a component is interpolated rather than replicated.
bool Smoothed(const JPEG_PROPERTIES *p, int c)
{
    const JpgFrameComponent &fc = p->components[c];
    if (fc.h * 2 != p->hMax)
        return false;
    return p->smoothUpsampling == 1 || fc.v * 2 == p->vMax;
}

uint8_t *SlotOf(const RowBuffers *b, int row, int c)
{
    return b->samples + (size_t)(row % b->slots) * b->slotBytes + b->offset[c];
}

// Column x of MCU column a, counting the left guard MCU.
inline int FirstColumn(const RowBuffers *b, int c, int a)
{
    return (a + 1) * b->blockSize * b->h[c];
}

inline int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

} // namespace

int JpgPrepareRowBuffers(JPEG_PROPERTIES *p, int blockSize)
{
    int slots = p->smoothUpsampling == 2 ? 3 : 1;
    RowBuffers *held = static_cast<RowBuffers *>(p->rowBuffers);
    if (Fits(held, p, blockSize, slots))
        return 0;
    free(p->rowBuffers);
    p->rowBuffers = nullptr;
    RowBuffers shape = {};
    shape.across = p->frameMcusAcross;
    shape.down = p->frameMcusDown;
    shape.blockSize = blockSize;
    shape.slots = slots;
    shape.components = p->componentCount;
    size_t slotBytes = 0;
    for (int c = 0; c < p->componentCount; c++) {
        shape.h[c] = p->components[c].h;
        shape.v[c] = p->components[c].v;
        long long stride = (long long)(shape.across + 2) * blockSize * shape.h[c];
        if (stride > (1 << 24))
            return JPG_ERR_MEMORY;
        shape.stride[c] = (int)stride;
        shape.rows[c] = blockSize * shape.v[c];
        shape.offset[c] = slotBytes;
        slotBytes += (size_t)shape.stride[c] * shape.rows[c];
    }
    shape.slotBytes = slotBytes;
    size_t header = (sizeof(RowBuffers) + 31) & ~(size_t)31;
    uint8_t *memory = static_cast<uint8_t *>(calloc(1, header + slotBytes * slots));
    if (!memory)
        return JPG_ERR_MEMORY;
    shape.samples = memory + header;
    memcpy(memory, &shape, sizeof shape);
    p->rowBuffers = memory;
    return 0;
}

// Keeps the transformed MCU (a, b) and fills what lies past the picture's
// right and lower edges, and the guard left of it, by repeating the last
// valid sample, so the filter finds a neighbour everywhere.
void JpgStoreMcuRows(JPEG_PROPERTIES *p, int a, int b)
{
    const RowBuffers *buffers = static_cast<const RowBuffers *>(p->rowBuffers);
    int size = buffers->blockSize;
    const int16_t *block = p->mcuBuffer;
    int scale = 8 / size;
    for (int c = 0; c < p->componentCount; c++) {
        int h = buffers->h[c], v = buffers->v[c], stride = buffers->stride[c];
        uint8_t *slot = SlotOf(buffers, b, c);
        int x0 = FirstColumn(buffers, c, a);
        for (int by = 0; by < v; by++)
            for (int bx = 0; bx < h; bx++, block += 64)
                for (int y = 0; y < size; y++) {
                    uint8_t *out = slot + (size_t)(by * size + y) * stride + x0 + bx * size;
                    for (int x = 0; x < size; x++)
                        out[x] = (uint8_t)block[8 * y + x];
                }
        if (!Smoothed(p, c))
            continue;
        int width = size * h, height = size * v;
        if (b == buffers->down - 1 && p->smoothUpsampling == 2) {
            int rows = CeilDiv(p->frameHeight, scale) - b * size * p->vMax;
            int valid = CeilDiv(rows, p->vMax / v);
            valid = valid < 1 ? 1 : valid > height ? height : valid;
            for (int y = valid; y < height; y++)
                memcpy(slot + (size_t)y * stride + x0, slot + (size_t)(valid - 1) * stride + x0, width);
        }
        int valid = width;
        if (a == buffers->across - 1) {
            int columns = CeilDiv(p->frameWidth, scale) - a * size * p->hMax;
            valid = CeilDiv(columns, p->hMax / h);
            valid = valid < 1 ? 1 : valid > width ? width : valid;
        }
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

// The samples of MCU (a, b) at the output size, every component spread to
// 8 Hmax x 8 Vmax (at the scale's block size), into the smoothing planes.
void JpgBuildSmoothPlanes(JPEG_PROPERTIES *p, int a, int b)
{
    const RowBuffers *buffers = static_cast<const RowBuffers *>(p->rowBuffers);
    int size = buffers->blockSize;
    int outWidth = size * p->hMax, outHeight = size * p->vMax;
    for (int c = 0; c < p->componentCount; c++) {
        int h = buffers->h[c], v = buffers->v[c], stride = buffers->stride[c];
        const uint8_t *slot = SlotOf(buffers, b, c) + FirstColumn(buffers, c, a);
        int16_t *plane = p->smoothPlanes[c];
        bool smooth = Smoothed(p, c) && size > 1;
        if (smooth && p->smoothUpsampling == 1) {
            for (int y = 0; y < size; y++) {
                const uint8_t *s = slot + (size_t)y * stride;
                int16_t *out = plane + 16 * y;
                for (int i = 0; i < size; i++) {
                    int centre = 3 * s[i];
                    out[2 * i] = (int16_t)((centre + s[i - 1] + 1) >> 2);
                    out[2 * i + 1] = (int16_t)((centre + s[i + 1] + 2) >> 2);
                }
            }
        } else if (smooth) {
            int last = size - 1;
            const uint8_t *above = b == 0 ? slot : SlotOf(buffers, b - 1, c) + FirstColumn(buffers, c, a) +
                                                       (size_t)last * stride;
            const uint8_t *below = b == buffers->down - 1
                                       ? slot + (size_t)last * stride
                                       : SlotOf(buffers, b + 1, c) + FirstColumn(buffers, c, a);
            for (int j = 0; j < size; j++) {
                const uint8_t *here = slot + (size_t)j * stride;
                for (int half = 0; half < 2; half++) {
                    const uint8_t *other = half == 0 ? (j == 0 ? above : here - stride)
                                                     : (j == last ? below : here + stride);
                    // Column sums 3 x this row + the other row, from the
                    // left neighbour to the right one.
                    int sum[18];
                    for (int i = -1; i <= size; i++)
                        sum[i + 1] = 3 * here[i] + other[i];
                    int16_t *out = plane + 16 * (2 * j + half);
                    for (int i = 0; i < size; i++) {
                        int centre = 3 * sum[i + 1];
                        out[2 * i] = (int16_t)((centre + sum[i] + 8) >> 4);
                        out[2 * i + 1] = (int16_t)((centre + sum[i + 2] + 7) >> 4);
                    }
                }
            }
        } else {
            int fx = p->hMax / h, fy = p->vMax / v;
            for (int y = 0; y < outHeight; y++) {
                const uint8_t *s = slot + (size_t)(y / fy) * stride;
                int16_t *out = plane + 16 * y;
                for (int x = 0; x < outWidth; x++)
                    out[x] = s[x / fx];
            }
        }
    }
}

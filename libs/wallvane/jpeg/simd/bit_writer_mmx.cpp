// The 64-bit bit writer of the packed block coders: pending bits left-aligned
// in one 64-bit word (the output record's accumulator, its count in the
// pending-bits field), emitted four bytes at a time with the T.81 byte
// stuffing of the whole group worked out at once. Every group is exactly four
// output bytes; a data 0xFF that ends a group carries its stuffed zero into
// the next one.
#include <mmintrin.h>
#include <string.h>

#include "jpeg_encoder.h"
#include "jpeg_simd.h"

namespace {

// Room for the groups one append can produce, their stuffing included.
const int FileRoomPerAppend = 22;

} // namespace

void JpgMmxEmitGroup(JpgBitOutput *out, uint64_t *accumulator, int *count)
{
    uint8_t group[4];
    int n = 0, taken = 0;
    bool carry = false;
    while (n < 4) {
        uint8_t b = (uint8_t)(*accumulator >> (56 - 8 * taken));
        taken++;
        group[n++] = b;
        if (b == 0xFF) {
            if (n < 4)
                group[n++] = 0;
            else
                carry = true;
        }
    }
    *accumulator <<= 8 * taken;
    *count -= 8 * taken;
    if (carry) {
        *accumulator >>= 8;
        *count += 8;
    }
    memcpy(out->writePointer, group, 4);
    out->writePointer += 4;
}

namespace {

template <bool File>
int PutBits(uint32_t bits, int length, JpgBitOutput *out)
{
    uint64_t accumulator = out->accumulator;
    int count = out->pendingBits;
    if (length < 1 || length > 32 || count + length > 64)
        return JPG_ERR_OUTPUT_TOO_SMALL; // a state an earlier failure left full
    count += length;
    accumulator |= (uint64_t)bits << (64 - count);
    out->accumulator = accumulator;
    out->pendingBits = count;
    if (count <= 32)
        return 0;
    if (File) {
        if (out->bufferEnd - out->writePointer <= FileRoomPerAppend) {
            int result = JpgWriteOutBuffer(out);
            if (result < 0)
                return result;
        }
    }
    while (count >= 32) {
        if (!File && out->bufferEnd - out->writePointer < 4) {
            out->accumulator = accumulator;
            out->pendingBits = count;
            return JPG_ERR_OUTPUT_TOO_SMALL;
        }
        JpgMmxEmitGroup(out, &accumulator, &count);
    }
    out->accumulator = accumulator;
    out->pendingBits = count;
    return 0;
}

} // namespace

int JpgMmxPutBits(uint32_t bits, int length, JpgBitOutput *out)
{
    return PutBits<false>(bits, length, out);
}

int JpgMmxPutBitsFile(uint32_t bits, int length, JpgBitOutput *out)
{
    return PutBits<true>(bits, length, out);
}

// The last partial byte is filled with 1-bits, as the generic writer fills
// it, so that both writers give the same stream.
int JpgMmxFlushBits(JpgBitOutput *out)
{
    uint64_t accumulator = out->accumulator;
    int count = out->pendingBits;
    if (count % 8) {
        int whole = (count + 7) & ~7;
        accumulator |= ((((uint64_t)1) << (whole - count)) - 1) << (64 - whole);
    }
    while (count > 0) {
        if (out->writePointer >= out->bufferEnd - 1) {
            int result = out->file ? JpgWriteOutBuffer(out) : JPG_ERR_OUTPUT_TOO_SMALL;
            if (out->writePointer >= out->bufferEnd - 1 || result < 0) {
                out->accumulator = accumulator;
                out->pendingBits = count;
                return result < 0 ? result : JPG_ERR_OUTPUT_TOO_SMALL;
            }
        }
        uint8_t b = (uint8_t)(accumulator >> 56);
        *out->writePointer++ = b;
        if (b == 0xFF)
            *out->writePointer++ = 0;
        accumulator <<= 8;
        count -= 8;
    }
    out->accumulator = 0;
    out->pendingBits = 0;
    _mm_empty();
    return 0;
}

void JpgOutputInitMmx(JpgBitOutput *out, uint8_t *buffer, int size)
{
    JpgOutputInit(out, buffer, size);
}

int JpgWriteBytesMmx(const uint8_t *bytes, int count, JpgBitOutput *out)
{
    int result = JpgMmxFlushBits(out);
    if (result < 0)
        return result;
    return JpgWriteBytes(bytes, count, out);
}

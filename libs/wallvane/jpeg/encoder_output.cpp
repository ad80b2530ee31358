// The encoder's output stream: a caller's memory buffer, or a file written
// in whole 4096-byte blocks, and the end of the entropy-coded bits.
#include <string.h>

#include "jpeg_encoder.h"

void JpgOutputInit(JpgBitOutput *out, uint8_t *buffer, int size)
{
    if (out->file) {
        buffer = out->buffer;
        size = JPG_FILE_BUFFER_SIZE;
    }
    if (size < 0)
        size = 0;
    out->bufferStart = out->writePointer = buffer;
    out->bufferEnd = buffer + size;
    out->capacity = size;
    out->flushedBytes = 0;
    out->accumulator = 0;
    out->pendingBits = 0;
    out->eobRun = 0;
}

uint32_t JpgBytesWritten(const JpgBitOutput *out)
{
    return out->flushedBytes + (uint32_t)(out->writePointer - out->bufferStart);
}

int JpgWriteOutBuffer(JpgBitOutput *out)
{
    int count = (int)(out->writePointer - out->bufferStart);
    if (count == 0)
        return 0;
    int done = 0;
    if (!JpgFileWrite(out->file, out->bufferStart, count, &done) || done != count)
        return JPG_ERR_FILE;
    out->flushedBytes += (uint32_t)count;
    out->writePointer = out->bufferStart;
    return 0;
}

int JpgMakeRoom(JpgBitOutput *out)
{
    if (out->writePointer < out->bufferEnd)
        return 0;
    if (!out->file)
        return JPG_ERR_OUTPUT_TOO_SMALL;
    return JpgWriteOutBuffer(out);
}

static int EmitByte(JpgBitOutput *out, uint8_t byte)
{
    int result = JpgMakeRoom(out);
    if (result == 0)
        *out->writePointer++ = byte;
    return result;
}

int JpgFinishScanBits(JpgBitOutput *out)
{
    while (out->pendingBits >= 8) {
        out->pendingBits -= 8;
        uint8_t byte = (uint8_t)(out->accumulator >> out->pendingBits);
        int result = EmitByte(out, byte);
        if (result == 0 && byte == 0xFF)
            result = EmitByte(out, 0);
        if (result < 0)
            return result;
    }
    if (out->pendingBits > 0) {
        // T.81 fills the last byte of a segment with 1-bits.
        int fill = 8 - out->pendingBits;
        uint8_t byte = (uint8_t)((out->accumulator << fill) | ((1u << fill) - 1));
        int result = EmitByte(out, byte);
        if (result == 0 && byte == 0xFF)
            result = EmitByte(out, 0);
        if (result < 0)
            return result;
        out->pendingBits = 0;
    }
    out->accumulator = 0;
    return 0;
}

int JpgWriteBytes(const uint8_t *bytes, int count, JpgBitOutput *out)
{
    int result = JpgFinishScanBits(out);
    if (result < 0 || count <= 0)
        return result;
    if (!out->file) {
        // One byte always stays free behind a segment.
        if (count >= out->bufferEnd - out->writePointer)
            return JPG_ERR_OUTPUT_TOO_SMALL;
        memcpy(out->writePointer, bytes, (size_t)count);
        out->writePointer += count;
        return 0;
    }
    while (count > 0) {
        if ((result = JpgMakeRoom(out)) < 0)
            return result;
        int room = (int)(out->bufferEnd - out->writePointer);
        int n = count < room ? count : room;
        memcpy(out->writePointer, bytes, (size_t)n);
        out->writePointer += n;
        bytes += n;
        count -= n;
    }
    return 0;
}

int JpgFlushOutput(JpgBitOutput *out)
{
    int result = out->dispatch->out_write_bytes(nullptr, 0, out);
    if (result == 0 && out->file)
        result = JpgWriteOutBuffer(out);
    return result;
}

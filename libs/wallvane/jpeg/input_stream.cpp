// The decoder's byte source: a caller's memory block or a file read through
// a 4096-byte buffer, and the marker search over it.
#include <stdlib.h>
#include <string.h>

#include "jpeg_decoder.h"

void JpgResetInput(JpgBitInput *input)
{
    if (input->file) {
        input->start = input->fileBuffer;
        input->position = input->end = input->fileBuffer + JPG_FILE_BUFFER_SIZE;
        input->available = 0;
    } else {
        input->position = input->start;
        input->end = input->start + input->size;
        input->available = input->size;
    }
    input->pendingMarker = 0;
    input->bitBuffer = 0;
    input->bitsHeld = 0;
    input->exhausted = false;
}

// Bytes not yet taken move to the front, so a request that straddles the
// buffer's end sees them followed by the next part of the file.
// A file that ends and a memory block that ends are the same truncation
// and give the same result; only a read that fails is a file error.
int JpgFillInput(JpgBitInput *input)
{
    if (!input->file)
        return JPG_ERR_EOF;
    int keep = input->available > 0 ? input->available : 0;
    if (keep)
        memmove(input->fileBuffer, input->position, keep);
    int done = 0;
    int ok = JpgFileRead(input->file, input->fileBuffer + keep, JPG_FILE_BUFFER_SIZE - keep, &done);
    input->start = input->fileBuffer;
    input->position = input->fileBuffer;
    input->available = keep + (ok ? done : 0);
    input->end = input->fileBuffer + input->available;
    if (!ok)
        return JPG_ERR_FILE;
    return done == 0 ? JPG_ERR_EOF : 0;
}

// Moves past n bytes that are in the buffer.
static void Advance(JpgBitInput *input, int n)
{
    input->position += n;
    input->available -= n;
    input->consumed += n;
}

static int ReadByte(JpgBitInput *input, int *byte)
{
    if (input->available <= 0) {
        int result = JpgFillInput(input);
        if (result < 0)
            return result;
    }
    *byte = *input->position;
    Advance(input, 1);
    return 0;
}

int JpgTakeBytes(JpgBitInput *input, int n, const uint8_t **bytes)
{
    if (n < 0 || n > JPG_FILE_BUFFER_SIZE)
        return JPG_ERR_INTERNAL;
    if (input->available < n) {
        JpgFillInput(input);
        if (input->available < n)
            return JPG_ERR_DATA;
    }
    *bytes = input->position;
    Advance(input, n);
    return 0;
}

int JpgReadSegment(JpgBitInput *input, int n, const uint8_t **bytes, uint8_t **owned)
{
    *owned = nullptr;
    if (n < 0)
        return JPG_ERR_DATA;
    if (input->available >= n) {
        *bytes = input->position;
        Advance(input, n);
        return 0;
    }
    uint8_t *block = static_cast<uint8_t *>(malloc(n ? n : 1));
    if (!block)
        return JPG_ERR_MEMORY;
    int have = input->available > 0 ? input->available : 0;
    memcpy(block, input->position, have);
    Advance(input, have);
    while (have < n) {
        if (JpgFillInput(input) < 0 || input->available <= 0) {
            free(block);
            return JPG_ERR_DATA;
        }
        int piece = n - have < input->available ? n - have : input->available;
        memcpy(block + have, input->position, piece);
        Advance(input, piece);
        have += piece;
    }
    *bytes = block;
    *owned = block;
    return 0;
}

int JpgReadWord(JpgBitInput *input, int *value)
{
    int high, low, result;
    if ((result = ReadByte(input, &high)) < 0 || (result = ReadByte(input, &low)) < 0)
        return result;
    *value = (high << 8) | low;
    return 0;
}

// Leaves the position on the byte after the last 0xFF of a marker prefix;
// stuffed 0xFF 0x00 pairs between segments are passed over.
int JpgSeekMarker(JpgBitInput *input)
{
    int byte = 0;
    for (;;) {
        int result;
        do {
            if ((result = ReadByte(input, &byte)) < 0)
                return result;
        } while (byte != 0xFF);
        for (;;) {
            if (input->available <= 0 && (result = JpgFillInput(input)) < 0)
                return result;
            if (*input->position != 0xFF)
                break;
            Advance(input, 1);
        }
        if (*input->position != 0x00)
            return 0;
        Advance(input, 1);
    }
}

int JpgNextMarker(JpgBitInput *input)
{
    if (input->pendingMarker) {
        int marker = input->pendingMarker;
        input->pendingMarker = 0;
        return marker;
    }
    int byte;
    if (JpgSeekMarker(input) < 0 || ReadByte(input, &byte) < 0)
        return JPG_MARKER_NONE;
    return byte;
}

int JpgSkipBytes(JpgBitInput *input, int count)
{
    while (count > 0) {
        if (input->available <= 0 && JpgFillInput(input) < 0)
            return JPG_ERR_DATA;
        int piece = count < input->available ? count : input->available;
        Advance(input, piece);
        count -= piece;
    }
    return 0;
}

int JpgSkipSegment(JpgBitInput *input)
{
    int length;
    if (JpgReadWord(input, &length) < 0 || length < 2)
        return JPG_ERR_DATA;
    return JpgSkipBytes(input, length - 2);
}

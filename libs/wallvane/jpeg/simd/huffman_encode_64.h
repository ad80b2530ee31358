// The sequential block coder of the packed forms, shared by the MMX, SSE
// and SSE2 coders: the non-zero coefficients come from a bit map in zigzag
// order, so zero runs are skipped by counting bits instead of testing each
// coefficient; codes and their extra bits go out together.
// Included by exactly those three files.
#pragma once
#include <mmintrin.h>
#include <string.h>

#include "flag_scan.h"
#include "jpeg_encoder.h"
#include "jpeg_simd.h"
#include "packed_memory.h"

namespace packed64 {

// The extra bits of a value of category s: the value, or for a negative one
// its ones' complement, in the low s bits.
inline uint32_t ExtraBits(int value, int s)
{
    return (uint32_t)(value < 0 ? value - 1 : value) & ((1u << s) - 1);
}

// Where the whole block fits, the packed coders keep its bits right-aligned
// in a 64-bit word and empty all 64 at once when the next code does not
// fit: half as many emptying steps as by 32, and the free count alone
// decides. The bytes are those of the stuffing writers; up to 64 bits may
// stay pending after the block, which the checked way first empties down
// to the 32 the MMX writer's own routine takes.
struct InlineWideWriter {
    JpgBitOutput *out;
    uint64_t buffer; // the pending bits in the low 64 - free places; above them, bits already shifted out
    int free;
    uint8_t *p;

    explicit InlineWideWriter(JpgBitOutput *o) : out(o), p(o->writePointer)
    {
        int count = o->pendingBits;
        buffer = count ? o->accumulator >> (64 - count) : 0;
        free = 64 - count;
    }

    inline void Emit(uint64_t full)
    {
        uint64_t inverted = ~full;
        if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) == 0) {
            uint64_t bigEndian = __builtin_bswap64(full);
            memcpy(p, &bigEndian, 8);
            p += 8;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8) {
            uint8_t b = (uint8_t)(full >> shift);
            *p++ = b;
            if (b == 0xFF)
                *p++ = 0;
        }
    }

    // A code with its extra bits, 0 to 32 of them whatever the code's
    // length, or a symbol without a code. Room is always there.
    inline int Put(uint32_t bits, int length)
    {
        if (__builtin_expect(length <= free, 1)) {
            buffer = buffer << length | bits;
            free -= length;
            return 0;
        }
        if (length >= (int)JPG_NO_CODE_LENGTH)
            return JPG_ERR_BAD_HUFFMAN;
        int over = length - free;
        Emit(buffer << free | (uint64_t)bits >> over);
        buffer = bits; // its bits above the low over places leave by the next shifts
        free = 64 - over;
        return 0;
    }

    bool Missing() const { return false; }

    void Finish()
    {
        int count = 64 - free;
        out->accumulator = count ? buffer << free : 0;
        out->pendingBits = count;
        out->writePointer = p;
    }

    static bool Takes(const JpgBitOutput *o) { return o->pendingBits >= 0 && o->pendingBits <= 64; }

    // Down to the 32 pending bits the checked routines take, a group at a
    // time with their room checks.
    static int Drain(JpgBitOutput *o)
    {
        while (o->pendingBits > 32) {
            if (o->bufferEnd - o->writePointer < 4) {
                if (!o->file)
                    return JPG_ERR_OUTPUT_TOO_SMALL;
                int result = JpgWriteOutBuffer(o);
                if (result < 0)
                    return result;
            }
            uint64_t a = o->accumulator;
            int c = o->pendingBits;
            JpgMmxEmitGroup(o, &a, &c);
            o->accumulator = a;
            o->pendingBits = c;
        }
        return 0;
    }
};

// Through the writer's own routine, which checks for room at every group.
// A symbol without a code puts its extra bits, as the generic coder does,
// and the block reports it at its end unless the output fails first.
template <int (*PutBits)(uint32_t, int, JpgBitOutput *)>
struct CheckedWriter {
    JpgBitOutput *out;
    bool missing = false;
    explicit CheckedWriter(JpgBitOutput *o) : out(o) {}
    inline int Put(uint32_t bits, int length)
    {
        if (length >= (int)JPG_NO_CODE_LENGTH) {
            missing = true;
            length -= (int)JPG_NO_CODE_LENGTH;
        }
        return length ? PutBits(bits, length, out) : 0;
    }
    bool Missing() const { return missing; }
    void Finish() {}
};

// Always inlined into its caller: taken by reference in a call of its own,
// the writer's accumulator, count and pointer went to memory at every put.
template <uint64_t (*NonZeroMap)(const int16_t *), class Writer>
inline __attribute__((always_inline)) int EncodeBlockWith(Writer &w, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                    const int16_t *block)
{
    int diff = block[0] - *predictor;
    *predictor = block[0];
    int s = JpgBitCategory(diff);
    uint32_t entry = dc->codeAndLength[s];
    int result = w.Put((entry >> 8) << s | ExtraBits(diff, s), (int)(entry & 0xFF) + s);
    if (result < 0)
        return result;
    uint64_t map = NonZeroMap(block) & ~(uint64_t)1;
    const uint32_t *smallBits = ac->runValueBits[0] + JPG_SMALL_AC_VALUES;
    const uint8_t *smallLengths = ac->runValueLength[0] + JPG_SMALL_AC_VALUES;
    unsigned next = 1; // the zigzag position after the last coded one
    while (map) {
        // Unsigned, so that they index without widening.
        unsigned k = (unsigned)LowestFlag(map);
        map &= map - 1;
        unsigned run = k - next;
        next = k + 1;
        if (__builtin_expect(run >= 16, 0)) {
            entry = ac->codeAndLength[0xF0];
            do {
                if ((result = w.Put(entry >> 8, (int)(entry & 0xFF))) < 0)
                    return result;
                run -= 16;
            } while (run >= 16);
        }
        int value = block[JpgNaturalOrder[k]];
        if (__builtin_expect((unsigned)(value + JPG_SMALL_AC_VALUES) < 2 * JPG_SMALL_AC_VALUES, 1)) {
            ptrdiff_t at = (ptrdiff_t)(run * 2 * JPG_SMALL_AC_VALUES) + value;
            if ((result = w.Put(smallBits[at], smallLengths[at])) < 0)
                return result;
            continue;
        }
        // For a negative value, value - 1 is the ones' complement of its
        // magnitude, and its ones above the s extra bits cancel the flipped
        // code's: code and extra bits in four steps, without a mask.
        uint32_t sign = (uint32_t)(value >> 31);
        uint32_t complemented = (uint32_t)value + sign;
        s = 32 - __builtin_clz(complemented ^ sign);
        // -32768 has no symbol; run << 4 | 16 would name another one.
        entry = s < 16 ? ac->codeAndLength[run << 4 | s] : JPG_NO_CODE_LENGTH;
        if ((result = w.Put(((entry >> 8) ^ sign) << s ^ complemented, (int)(entry & 0xFF) + s)) < 0)
            return result;
    }
    if (next < 64) {
        entry = ac->codeAndLength[0x00];
        if ((result = w.Put(entry >> 8, (int)(entry & 0xFF))) < 0)
            return result;
    }
    return w.Missing() ? JPG_ERR_BAD_HUFFMAN : 0;
}

// More than one block's bytes with every byte stuffed, after the 64 bits
// an earlier block may have left pending.
const int MostBlockBytes = 512;

// Where a whole block certainly fits the buffer its bits go through the
// inline writer Fast (the writer's own bytes, in place); otherwise every
// put goes through PutMemory or PutFile.
template <uint64_t (*NonZeroMap)(const int16_t *), int (*PutMemory)(uint32_t, int, JpgBitOutput *),
          int (*PutFile)(uint32_t, int, JpgBitOutput *), class Fast>
int EncodeBlock(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                const int16_t *block)
{
    if (out->bufferEnd - out->writePointer >= MostBlockBytes && Fast::Takes(out)) {
        Fast w(out);
        int result = EncodeBlockWith<NonZeroMap>(w, dc, ac, predictor, block);
        w.Finish();
        return result;
    }
    int drained = Fast::Drain(out);
    if (drained < 0)
        return drained;
    if (out->file) {
        CheckedWriter<PutFile> w(out);
        return EncodeBlockWith<NonZeroMap>(w, dc, ac, predictor, block);
    }
    CheckedWriter<PutMemory> w(out);
    return EncodeBlockWith<NonZeroMap>(w, dc, ac, predictor, block);
}

} // namespace packed64

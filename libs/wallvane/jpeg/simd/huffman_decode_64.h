// The body of the block decoders with a 64-bit bit accumulator, shared by
// the copy for MMX processors of family 5 (built without conditional
// moves) and the copy for the later ones. Everything here has internal
// linkage, so that each copy keeps its own code.
//
// The accumulator holds the bits not yet taken at its top, the oldest at
// bit 63; below the last are zeros or the data's next bits (TopUp). A
// refill loads whole bytes until more than 56 bits are held. At a marker,
// and at the end of the data, loading stops without an error; once fewer
// bits are held than a step may need, the block goes the generic decoder's
// careful way (NearEnd), so that what follows the data is decoded alike on
// every processor type. Data that end inside a marker (on an 0xFF) are
// damaged, as the generic decoder has it.
#pragma once
#include <mmintrin.h>
#include <string.h>

#include "jpeg_decoder.h"
#include "jpeg_simd.h"
#include "packed_memory.h"

namespace {

#if defined(__x86_64__)
// The accumulator lives in a 64-bit general register.
typedef uint64_t Word;

inline Word WordOf(uint64_t value)
{
    return value;
}

inline uint64_t ValueOf(Word w)
{
    return w;
}

inline Word ShiftUp(Word w, int n)
{
    return w << n;
}

inline Word ShiftDown(Word w, int n)
{
    return w >> n;
}

inline unsigned Low32(Word w)
{
    return (unsigned)w;
}

inline Word Or(Word a, Word b)
{
    return a | b;
}

inline Word ByteAt(int byte, int shift)
{
    return (uint64_t)byte << shift;
}

// The first n of 8 bytes as the top bytes of a word (n 1..8).
inline Word LeadingBytes(const uint8_t *bytes, int n)
{
    uint64_t word;
    memcpy(&word, bytes, 8);
    return __builtin_bswap64(word) & (~0ull << (64 - 8 * n));
}

inline Word EightBytes(const uint8_t *bytes)
{
    uint64_t word;
    memcpy(&word, bytes, 8);
    return __builtin_bswap64(word);
}
#else
// In 32-bit code a 64-bit value in general registers takes a pair of them
// and several instructions for each shift: the accumulator is a
// multimedia register.
typedef __m64 Word;

inline Word WordOf(uint64_t value)
{
    return packed64::LoadQ(&value);
}

inline uint64_t ValueOf(Word w)
{
    uint64_t value;
    packed64::StoreQ(&value, w);
    return value;
}

inline Word ShiftUp(Word w, int n)
{
    return _mm_sll_si64(w, _mm_cvtsi32_si64(n));
}

inline Word ShiftDown(Word w, int n)
{
    return _mm_srl_si64(w, _mm_cvtsi32_si64(n));
}

inline unsigned Low32(Word w)
{
    return (unsigned)_mm_cvtsi64_si32(w);
}

inline Word Or(Word a, Word b)
{
    return _mm_or_si64(a, b);
}

inline Word ByteAt(int byte, int shift)
{
    return ShiftUp(_mm_cvtsi32_si64(byte), shift);
}

inline Word LeadingBytes(const uint8_t *bytes, int n)
{
    uint32_t first, second;
    memcpy(&first, bytes, 4);
    memcpy(&second, bytes + 4, 4);
    Word word = _mm_unpacklo_pi32(_mm_cvtsi32_si64((int)__builtin_bswap32(second)),
                                  _mm_cvtsi32_si64((int)__builtin_bswap32(first)));
    return _mm_and_si64(word, ShiftUp(_mm_set1_pi32(-1), 64 - 8 * n));
}

inline Word EightBytes(const uint8_t *bytes)
{
    uint32_t first, second;
    memcpy(&first, bytes, 4);
    memcpy(&second, bytes + 4, 4);
    return _mm_unpacklo_pi32(_mm_cvtsi32_si64((int)__builtin_bswap32(second)),
                             _mm_cvtsi32_si64((int)__builtin_bswap32(first)));
}
#endif

struct PackedBits {
    Word bits;
    int count;
    bool damaged; // the data end inside a marker
    // The read position, kept here between the loadings of whole bytes by
    // TopUp, and how many bytes past the next 8 it may take (below 0: none,
    // or a marker is pending).
    const uint8_t *at;
    int room;
};

// The read position and what TopUp may take, from the input record.
inline void LoadPosition(const JpgBitInput *input, PackedBits &b)
{
    b.at = input->position;
    b.room = input->pendingMarker ? -1 : input->available - 8;
}

// The bytes TopUp took, into the input record.
inline void StorePosition(JpgBitInput *input, const PackedBits &b)
{
    int taken = (int)(b.at - input->position);
    input->position = b.at;
    input->available -= taken;
    input->consumed += taken;
}

// The top n bits (1..32).
inline unsigned Peek(const PackedBits &b, int n)
{
    return Low32(ShiftDown(b.bits, 64 - n));
}

inline PackedBits TakeOver(const JpgBitInput *input)
{
    PackedBits b;
    b.damaged = false;
    b.count = input->bitsHeld;
    b.bits = WordOf(b.count > 0 ? input->bitBuffer << (64 - b.count) : 0);
    LoadPosition(input, b);
    return b;
}

// The input record keeps its bits right-aligned, as the generic routines
// read them.
inline void HandBack(JpgBitInput *input, const PackedBits &b)
{
    StorePosition(input, b);
    if (b.count < 0 && !input->pendingMarker)
        input->exhausted = true;
    input->bitsHeld = b.count > 0 ? b.count : 0;
    input->bitBuffer = b.count > 0 ? ValueOf(ShiftDown(b.bits, 64 - b.count)) : 0;
}

inline void Take(JpgBitInput *input, int n)
{
    input->position += n;
    input->available -= n;
    input->consumed += n;
}

// The next byte of the source, or -1 at its end (a file is refilled; a
// failed or empty read ends it too).
inline int NextByte(JpgBitInput *input)
{
    if (input->available <= 0 && (!input->file || JpgRefillInputMmx(input) < 0 || input->available <= 0))
        return -1;
    int byte = *input->position;
    Take(input, 1);
    return byte;
}

// The bytes that fit the accumulator at once, when none of them is 0xFF;
// the caller has made sure 8 bytes are in the buffer.
inline bool TakeSeveral(JpgBitInput *input, PackedBits &b)
{
    int n = (64 - b.count) >> 3;
    uint64_t word;
    memcpy(&word, input->position, 8);
    uint64_t inverted = ~(word & (~0ull >> (64 - 8 * n)));
    if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0)
        return false;
    b.bits = Or(b.bits, ShiftDown(LeadingBytes(input->position, n), b.count));
    b.count += 8 * n;
    Take(input, n);
    return true;
}

// Byte by byte where an 0xFF byte, a marker or the end of the buffer is near.
__attribute__((noinline)) PackedBits RefillByBytes(JpgBitInput *input, PackedBits b)
{
    while (b.count >= 0 && b.count <= 56 && !input->pendingMarker) {
        if (input->available >= 8 && TakeSeveral(input, b))
            continue;
        int byte = NextByte(input);
        if (byte < 0)
            return b;
        if (byte == 0xFF) {
            int next;
            do
                next = NextByte(input);
            while (next == 0xFF);
            if (next < 0) {
                b.damaged = true;
                return b;
            }
            if (next != 0) {
                input->pendingMarker = (uint8_t)next;
                return b;
            }
        }
        b.bits = Or(b.bits, ByteAt(byte, 56 - b.count));
        b.count += 8;
    }
    return b;
}

// Loads whole bytes until more than 56 bits are held. The state goes in
// and out by value, so that the decoders keep it in registers.
inline PackedBits Refill(JpgBitInput *input, PackedBits b)
{
    StorePosition(input, b);
    if (!(b.count >= 0 && input->available >= 8 && !input->pendingMarker && TakeSeveral(input, b)))
        b = RefillByBytes(input, b);
    LoadPosition(input, b);
    return b;
}

// Whether one of the 8 bytes of a word is 0xFF.
inline bool HoldsFF(uint64_t word)
{
    return ((~word - 0x0101010101010101ull) & word & 0x8080808080808080ull) != 0;
}

// Makes sure a code of 16 bits and 15 extra bits are held. Where the next
// 8 bytes are plain data it tops the accumulator up to 56 bits or more
// without a test of the count, whose outcome follows the data and would
// be mispredicted every few coefficients. All 8 bytes go in: those past
// the whole bytes taken lie below the count, and as none of them is 0xFF
// they are the data's next bits, which any later loading ORs in again.
inline PackedBits TopUp(JpgBitInput *input, PackedBits b)
{
    if ((unsigned)b.count < 64 && b.room >= 0) {
        uint64_t word;
        memcpy(&word, b.at, 8);
        if (!HoldsFF(word)) {
            int n = (63 - b.count) >> 3;
            b.bits = Or(b.bits, ShiftDown(EightBytes(b.at), b.count));
            b.count += 8 * n;
            b.at += n;
            b.room -= n;
            return b;
        }
    }
    if (b.count < 32)
        b = Refill(input, b);
    return b;
}

inline void Drop(PackedBits &b, int n)
{
    b.bits = ShiftUp(b.bits, n);
    b.count -= n;
}

// One Huffman symbol: a code of up to 8 bits by one look-up, a longer one
// walked up through the largest code of each length; one longer than 16
// bits reads as symbol 0. The caller has made sure 17 bits are held, or
// that no more will come.
inline int Symbol(PackedBits &b, const JpgHuffTable *table)
{
    uint32_t entry = table->lookahead[Peek(b, 8)];
    if (entry) {
        Drop(b, (int)(entry >> 16));
        return (int)(entry & 0xFF);
    }
    int length = 9;
    int code = (int)Peek(b, 9);
    while (length <= 16 && code > table->maxCode[length]) {
        length++;
        code = (int)Peek(b, length);
    }
    Drop(b, length);
    if (length > 16)
        return 0;
    return table->symbols[(table->valPtr[length] + code - table->minCode[length]) & 0xFF];
}

// The s extra bits of a coefficient (s 1..15) as its signed value: one
// whose top bit is 0 is negative.
template <bool Branchless>
inline int Receive(PackedBits &b, int s)
{
    int v = (int)Peek(b, s);
    Drop(b, s);
    if (Branchless)
        return v - (((1 << s) - 1) & ((v - (1 << (s - 1))) >> 31));
    if (v < (1 << (s - 1)))
        v -= (1 << s) - 1;
    return v;
}

// Sixteen stores: left as a loop, the compiler makes a string instruction
// of it, which costs several times as much for a block.
inline void ClearBlock(int16_t *block)
{
    __m64 zero = _mm_setzero_si64();
#pragma GCC unroll 16
    for (int i = 0; i < 64; i += 4)
        packed64::StoreQ(block + i, zero);
}

template <bool Branchless>
inline int DecodeDc(PackedBits &b, const JpgHuffTable *dc, int16_t *predictor)
{
    int s = Symbol(b, dc) & 15;
    int diff;
    if (Branchless) {
        // Category 0, as runs of flat blocks have it, comes too irregularly
        // to predict: read as 0 bits, it gives 0 without a test.
        diff = (int)(Peek(b, 16) >> (16 - s));
        Drop(b, s);
        diff -= ((1 << s) - 1) & ((diff - ((1 << s) >> 1)) >> 31);
    } else {
        diff = s ? Receive<false>(b, s) : 0;
    }
    *predictor = (int16_t)(uint16_t)(unsigned)(*predictor + diff);
    return *predictor;
}

// Where a marker or the end of the data leaves fewer bits than a code and
// its extra bits may need, the block goes on the generic decoder's careful
// way, so that it takes the same bits and stores the same coefficients on
// every processor type: no symbol comes from the zeros that stand in for
// the bits past the data. The bits go back to the input record for it and
// are taken over again after it.
// The end of a file, or a read that fails, is no error of these decoders:
// it ends the data, which the scan decoder reports.
inline int EndOfData(JpgBitInput *input, int result)
{
    if (result != JPG_ERR_EOF && result != JPG_ERR_FILE)
        return result;
    input->exhausted = true;
    return 0;
}

inline void CarefulAgain(JpgBitInput *input, PackedBits &b)
{
    bool damaged = b.damaged;
    b = TakeOver(input);
    b.damaged = damaged;
}

inline int NearEnd(JpgBitInput *input, PackedBits &b, const JpgHuffTable *ac, int16_t *block, int k)
{
    HandBack(input, b);
    int result = EndOfData(input, JpgDecodeAcNearEnd(input, ac, block, k));
    CarefulAgain(input, b);
    return result;
}

// Most coefficients come from one look-up of their code and extra bits
// together; the others are walked code by code. With Branchless (the later
// processors) their signs are extended without a branch.
template <bool Branchless>
inline int DecodeBlockBits(JpgBitInput *input, PackedBits &b, const JpgHuffTable *dc, const JpgHuffTable *ac,
                           int16_t *predictor, int16_t *block)
{
    if (b.count < 32)
        b = Refill(input, b);
    if (b.count < 32) {
        HandBack(input, b);
        int result = JpgDecodeBlock(input, dc, ac, predictor, block);
        CarefulAgain(input, b);
        return EndOfData(input, result);
    }
    ClearBlock(block);
    block[0] = (int16_t)DecodeDc<Branchless>(b, dc, predictor);
    for (int k = 1; k < 64;) {
        b = TopUp(input, b);
        if (b.count < 32)
            return NearEnd(input, b, ac, block, k);
        int32_t fast = ac->fastAc[Peek(b, JPG_FAST_AC_BITS)];
        if (fast) {
            Drop(b, JpgFastAcUsed(fast));
            block[JpgNaturalOrder[k + JpgFastAcRun(fast)]] = (int16_t)JpgFastAcValue(fast);
            k += JpgFastAcAdvance(fast);
            continue;
        }
        int rs = Symbol(b, ac);
        int r = rs >> 4, s = rs & 15;
        if (s == 0) {
            if (r != 15)
                break;
            k += 16;
            continue;
        }
        k += r;
        block[JpgNaturalOrder[k]] = (int16_t)Receive<Branchless>(b, s);
        k++;
    }
    return 0;
}

template <bool Branchless>
int DecodeBlockPacked(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      int16_t *block)
{
    PackedBits b = TakeOver(input);
    int result = DecodeBlockBits<Branchless>(input, b, dc, ac, predictor, block);
    HandBack(input, b);
    return result < 0 ? result : b.damaged ? JPG_ERR_DATA : 0;
}

// Only the DC value is kept; the AC symbols and their bits are passed over.
inline int DecodeDcOnlyPacked(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                       int16_t *dcOut)
{
    PackedBits b = TakeOver(input);
    if (b.count < 32)
        b = Refill(input, b);
    if (b.count < 32) {
        HandBack(input, b);
        int result = EndOfData(input, JpgDecodeBlockDcOnly(input, dc, ac, predictor, dcOut));
        return result < 0 ? result : b.damaged ? JPG_ERR_DATA : 0;
    }
    *dcOut = (int16_t)DecodeDc<false>(b, dc, predictor);
    int result = 0;
    for (int k = 1; k < 64;) {
        if (b.count < 32)
            b = Refill(input, b);
        if (b.count < 32) {
            result = NearEnd(input, b, ac, nullptr, k);
            break;
        }
        int rs = Symbol(b, ac);
        int r = rs >> 4, s = rs & 15;
        if (s == 0) {
            if (r != 15)
                break;
            k += 16;
            continue;
        }
        Drop(b, s);
        k += r + 1;
    }
    HandBack(input, b);
    return result < 0 ? result : b.damaged ? JPG_ERR_DATA : 0;
}

} // namespace

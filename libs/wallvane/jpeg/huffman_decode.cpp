// Bit reader over entropy-coded data, Huffman symbol decoding and the block
// procedures of sequential and progressive scans.
#include <string.h>

#include "flag_scan.h"
#include "jpeg_decoder.h"

const int JpgNaturalOrder[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    // A run that overshoots the block lands on the last coefficient.
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

static const int ExtendOffset[16] = {
    0, -1, -3, -7, -15, -31, -63, -127, -255, -511, -1023, -2047, -4095, -8191, -16383, -32767};

// Loads whole bytes while there is room; the data of a scan ends at a
// marker, so reading ahead never passes into the next segment.
int JpgFillBitBuffer(JpgBitInput *input, int bitsNeeded)
{
    // Several bytes at once while none of them is 0xFF.
    if (!input->pendingMarker && input->available >= 8 && input->bitsHeld <= 48) {
        uint64_t word;
        memcpy(&word, input->position, 8);
        int n = (63 - input->bitsHeld) >> 3;
        // A byte of the first n is 0xFF when its complement is zero; the
        // bytes past them are made to count as not 0xFF.
        uint64_t inverted = ~(word & (~0ull >> (64 - 8 * n)));
        if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) == 0) {
            uint64_t bigEndian = __builtin_bswap64(word);
            input->bitBuffer = (input->bitBuffer << (8 * n)) | (bigEndian >> (64 - 8 * n));
            input->bitsHeld += 8 * n;
            input->position += n;
            input->available -= n;
            input->consumed += n;
            return 0;
        }
    }
    while (input->bitsHeld <= 48) {
        if (input->pendingMarker)
            return input->bitsHeld < bitsNeeded ? JPG_STATUS_MARKER_REACHED : 0;
        if (input->available <= 0) {
            if (!input->file)
                return 0;
            // The end of the file matters only when the bits are needed.
            int result = JpgFillInput(input);
            if (result < 0)
                return input->bitsHeld >= bitsNeeded ? 0 : result;
        }
        int byte = *input->position++;
        input->available--;
        input->consumed++;
        if (byte == 0xFF) {
            // The stream's byte reader would do, but a call here keeps the
            // compiler from inlining this refill into the block decoder.
            int next;
            do {
                if (input->available <= 0) {
                    // Data that ends inside a marker is damaged, from a
                    // file as from memory.
                    int result = JpgFillInput(input);
                    if (result < 0)
                        return result == JPG_ERR_EOF ? JPG_ERR_DATA : result;
                }
                next = *input->position++;
                input->available--;
                input->consumed++;
            } while (next == 0xFF);
            if (next != 0) {
                input->pendingMarker = (uint8_t)next;
                return input->bitsHeld < bitsNeeded ? JPG_STATUS_MARKER_REACHED : 0;
            }
        }
        input->bitBuffer = (input->bitBuffer << 8) | (uint64_t)byte;
        input->bitsHeld += 8;
    }
    return 0;
}

unsigned JpgPeekBits(JpgBitInput *input, int n)
{
    if (input->bitsHeld >= n)
        return (unsigned)(input->bitBuffer >> (input->bitsHeld - n)) & ((1u << n) - 1);
    return (unsigned)(input->bitBuffer << (n - input->bitsHeld)) & ((1u << n) - 1);
}

// Bits missing at the end of a memory source read as 0; the scan decoder
// learns of it through the exhausted flag.
unsigned JpgGetBits(JpgBitInput *input, int n)
{
    unsigned value = JpgPeekBits(input, n);
    if (input->bitsHeld >= n) {
        input->bitsHeld -= n;
    } else {
        input->bitsHeld = 0;
        input->exhausted = true;
    }
    return value;
}

static inline int EnsureBits(JpgBitInput *input, int n)
{
    if (input->bitsHeld >= n)
        return 0;
    return JpgFillBitBuffer(input, n);
}

// Codes longer than eight bits, or any code when fewer than eight bits are
// left before a marker or the end of the data.
static int DecodeSlowly(JpgBitInput *input, int *symbol, const JpgHuffTable *table, int length)
{
    int result = EnsureBits(input, length);
    if (result)
        return result;
    int code = (int)JpgGetBits(input, length);
    while (length <= 16 && code > table->maxCode[length]) {
        if (input->bitsHeld <= 0 && (result = JpgFillBitBuffer(input, 1)) != 0)
            return result;
        code = (code << 1) | (int)JpgGetBits(input, 1);
        length++;
    }
    if (length > 16) {
        *symbol = 0; // a code longer than any table holds
        return 0;
    }
    *symbol = table->symbols[(table->valPtr[length] + code - table->minCode[length]) & 0xFF];
    return 0;
}

// A symbol from the bits in hand, once the refill has been tried.
static inline int DecodeHeldSymbol(JpgBitInput *input, int *symbol, const JpgHuffTable *table)
{
    if (input->bitsHeld < 8)
        return DecodeSlowly(input, symbol, table, 1);
    uint32_t entry = table->lookahead[(input->bitBuffer >> (input->bitsHeld - 8)) & 0xFF];
    if (entry) {
        input->bitsHeld -= (int)(entry >> 16);
        *symbol = (int)(entry & 0xFF);
        return 0;
    }
    return DecodeSlowly(input, symbol, table, 9);
}

static inline int DecodeSymbol(JpgBitInput *input, int *symbol, const JpgHuffTable *table)
{
    // Room for the longest code and its extra bits, so that receiving the
    // value rarely refills again.
    if (input->bitsHeld < 32) {
        int result = JpgFillBitBuffer(input, 0);
        if (result < 0)
            return result;
    }
    return DecodeHeldSymbol(input, symbol, table);
}

int JpgHuffDecode(JpgBitInput *input, int *symbol, const JpgHuffTable *table)
{
    return DecodeSymbol(input, symbol, table);
}

static inline int ReceiveExtend(JpgBitInput *input, int s, int *value)
{
    int result = EnsureBits(input, s);
    if (result)
        return result;
    int v = (int)JpgGetBits(input, s);
    v += ExtendOffset[s] & ((v - (1 << (s - 1))) >> 31);
    *value = v;
    return 0;
}

// A marker in the middle of a block ends it quietly; the scan decoder finds
// the marker waiting in the input.
static inline int Quiet(int result)
{
    return result == JPG_STATUS_MARKER_REACHED ? 0 : result;
}

static inline int16_t Wrap16(int value)
{
    return (int16_t)(uint16_t)(unsigned)value;
}

static int DecodeDcDifference(JpgBitInput *input, const JpgHuffTable *dc, int16_t *predictor)
{
    int s, diff = 0, result;
    if ((result = DecodeSymbol(input, &s, dc)) != 0)
        return result;
    s &= 15;
    if (s && (result = ReceiveExtend(input, s, &diff)) != 0)
        return result;
    *predictor = Wrap16(*predictor + diff);
    return 0;
}

// The coefficients from zigzag position k on, checking the bits before
// every step: near a marker or the end of the data. Without a block they
// are passed over.
int JpgDecodeAcNearEnd(JpgBitInput *input, const JpgHuffTable *ac, int16_t *block, int k)
{
    while (k < 64) {
        int rs, value, result;
        if ((result = DecodeSymbol(input, &rs, ac)) != 0)
            return Quiet(result);
        int r = rs >> 4, s = rs & 15;
        if (s == 0) {
            if (r != 15)
                break;
            k += 16;
            continue;
        }
        k += r;
        if ((result = ReceiveExtend(input, s, &value)) != 0)
            return Quiet(result);
        int at = JpgNaturalOrder[k];
        if (block)
            block[at] = (int16_t)value;
        k++;
    }
    return 0;
}

int JpgDecodeBlock(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                   int16_t *predictor, int16_t *block)
{
    JpgClearBlock(block);
    int result = DecodeDcDifference(input, dc, predictor);
    if (result)
        return Quiet(result);
    block[0] = *predictor;
    // With 32 bits in hand a code of up to 16 bits and its up to 15 extra
    // bits need no further checks; the bits live in locals meanwhile.
    uint64_t buffer = input->bitBuffer;
    int bits = input->bitsHeld;
    int k = 1;
    while (k < 64) {
        if (bits < 32) {
            input->bitsHeld = bits;
            if ((result = JpgFillBitBuffer(input, 0)) < 0)
                return result;
            buffer = input->bitBuffer;
            bits = input->bitsHeld;
            if (bits < 32)
                return JpgDecodeAcNearEnd(input, ac, block, k);
        }
        int32_t fast = ac->fastAc[(buffer >> (bits - JPG_FAST_AC_BITS)) & ((1 << JPG_FAST_AC_BITS) - 1)];
        if (fast) {
            bits -= JpgFastAcUsed(fast);
            int at = JpgNaturalOrder[k + JpgFastAcRun(fast)];
            block[at] = (int16_t)JpgFastAcValue(fast);
            k += JpgFastAcAdvance(fast);
            continue;
        }
        uint32_t entry = ac->lookahead[(buffer >> (bits - 8)) & 0xFF];
        int rs;
        if (entry) {
            bits -= (int)(entry >> 16);
            rs = (int)(entry & 0xFF);
        } else {
            // A longer code, walked up from 9 bits; past 16 bits it reads as
            // end of block, as the careful walk has it.
            int length = 9;
            int code = (int)((buffer >> (bits - 9)) & 0x1FF);
            while (length <= 16 && code > ac->maxCode[length]) {
                length++;
                code = (int)((buffer >> (bits - length)) & ((1u << length) - 1));
            }
            bits -= length;
            if (length > 16)
                break;
            rs = ac->symbols[(ac->valPtr[length] + code - ac->minCode[length]) & 0xFF];
        }
        int r = (rs >> 4) & 15, s = rs & 15;
        if (s == 0) {
            if (r != 15)
                break;
            k += 16;
            continue;
        }
        k += r;
        bits -= s;
        int value = (int)((buffer >> bits) & ((1u << s) - 1));
        // Without a branch, which the data would mispredict half the time:
        // a value below half its range is negative.
        value += ExtendOffset[s] & ((value - (1 << (s - 1))) >> 31);
        int at = JpgNaturalOrder[k];
        block[at] = (int16_t)value;
        k++;
    }
    input->bitsHeld = bits;
    return 0;
}

int JpgDecodeBlockDcOnly(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                         int16_t *predictor, int16_t *dcOut)
{
    int result = DecodeDcDifference(input, dc, predictor);
    if (result)
        return Quiet(result);
    *dcOut = *predictor;
    return JpgDecodeAcNearEnd(input, ac, nullptr, 1);
}

int JpgDecodeDcFirst(JpgBitInput *input, const JpgHuffTable *dc, int16_t *coefficient,
                     int16_t *predictor, int al)
{
    int result = DecodeDcDifference(input, dc, predictor);
    if (result)
        return Quiet(result);
    *coefficient = Wrap16((int)((unsigned)(int)*predictor << al));
    return 0;
}

int JpgDecodeDcRefine(JpgBitInput *input, int16_t *coefficient, int al)
{
    int result = EnsureBits(input, 1);
    if (result)
        return Quiet(result);
    if (JpgGetBits(input, 1))
        *coefficient = Wrap16(*coefficient | (1 << al));
    return 0;
}

static int ReadEobRun(JpgBitInput *input, int r)
{
    input->eobRun = 1 << r;
    if (r) {
        int result = EnsureBits(input, r);
        if (result)
            return result;
        input->eobRun += (int)JpgGetBits(input, r);
    }
    return 0;
}

namespace {

// The bit count in a register while a progressive block is decoded. Taking
// bits leaves the accumulator as it is, so only the count goes back to the
// input, before a refill or a step that takes the careful way.
struct HeldBits {
    JpgBitInput *input;
    uint64_t buffer;
    int bits;
    explicit HeldBits(JpgBitInput *in) : input(in) { Load(); }
    void Load()
    {
        buffer = input->bitBuffer;
        bits = input->bitsHeld;
    }
    void Store() { input->bitsHeld = bits; }
};

} // namespace

// The refill ahead of every symbol, as the symbol decoder makes it.
static inline int Refill(HeldBits &held)
{
    if (held.bits >= 32)
        return 0;
    held.Store();
    int result = JpgFillBitBuffer(held.input, 0);
    held.Load();
    return result < 0 ? result : 0;
}

// A symbol after the refill. With 17 bits in hand any code, and the 17
// bits of one too long for the table, is taken from the register.
static inline int HeldSymbol(HeldBits &held, const JpgHuffTable *table, int *symbol)
{
    if (held.bits < 17) {
        held.Store();
        int result = DecodeHeldSymbol(held.input, symbol, table);
        held.Load();
        return result;
    }
    uint32_t entry = table->lookahead[(held.buffer >> (held.bits - 8)) & 0xFF];
    if (entry) {
        held.bits -= (int)(entry >> 16);
        *symbol = (int)(entry & 0xFF);
        return 0;
    }
    int length = 9;
    int code = (int)((held.buffer >> (held.bits - 9)) & 0x1FF);
    while (length <= 16 && code > table->maxCode[length]) {
        length++;
        code = (int)((held.buffer >> (held.bits - length)) & ((1u << length) - 1));
    }
    held.bits -= length;
    *symbol = length > 16 ? 0 : table->symbols[(table->valPtr[length] + code - table->minCode[length]) & 0xFF];
    return 0;
}

static inline int HeldValue(HeldBits &held, int s, int *value)
{
    if (held.bits < s) {
        held.Store();
        int result = ReceiveExtend(held.input, s, value);
        held.Load();
        return result;
    }
    held.bits -= s;
    int v = (int)((held.buffer >> held.bits) & ((1u << s) - 1));
    *value = v + (ExtendOffset[s] & ((v - (1 << (s - 1))) >> 31));
    return 0;
}

static inline int HeldBit(HeldBits &held, int *bit)
{
    if (held.bits <= 0) {
        held.Store();
        int result = EnsureBits(held.input, 1);
        if (result == 0)
            *bit = (int)JpgGetBits(held.input, 1);
        held.Load();
        return result;
    }
    held.bits--;
    *bit = (int)(held.buffer >> held.bits) & 1;
    return 0;
}

static inline int HeldEobRun(HeldBits &held, int r)
{
    held.Store();
    int result = ReadEobRun(held.input, r);
    held.Load();
    return result;
}

int JpgDecodeAcFirst(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se,
                     int al)
{
    if (input->eobRun > 0) {
        input->eobRun--;
        return 0;
    }
    HeldBits held(input);
    int result = 0;
    for (int k = ss; k <= se; k++) {
        if ((result = Refill(held)) != 0)
            break;
        // A code and its extra bits in one look-up where both fit, which
        // is the same as taking them one after the other with no refill.
        if (held.bits >= JPG_FAST_AC_BITS) {
            int32_t fast = ac->fastAc[(held.buffer >> (held.bits - JPG_FAST_AC_BITS)) & ((1 << JPG_FAST_AC_BITS) - 1)];
            if (fast && JpgFastAcAdvance(fast) <= 16) {
                held.bits -= JpgFastAcUsed(fast);
                // A run of 16 zeros stores nothing: the band is not cleared
                // before the scan.
                if (JpgFastAcValue(fast))
                    block[JpgNaturalOrder[k + JpgFastAcRun(fast)]] =
                        Wrap16((int)((unsigned)JpgFastAcValue(fast) << al));
                k += JpgFastAcAdvance(fast) - 1;
                continue;
            }
        }
        int rs, value;
        if ((result = HeldSymbol(held, ac, &rs)) != 0)
            break;
        int r = rs >> 4, s = rs & 15;
        if (s) {
            k += r;
            if ((result = HeldValue(held, s, &value)) != 0)
                break;
            block[JpgNaturalOrder[k]] = Wrap16((int)((unsigned)value << al));
        } else if (r == 15) {
            k += 15;
        } else {
            if ((result = HeldEobRun(held, r)) == 0)
                input->eobRun--;
            break;
        }
    }
    held.Store();
    return Quiet(result);
}

// A correction bit refines a coefficient already known to be non-zero.
static inline int Correct(HeldBits &held, int16_t *coefficient, int p1)
{
    int bit, result = HeldBit(held, &bit);
    if (result)
        return result;
    // Without a branch: the bits are 0 or 1 alike.
    int value = *coefficient;
    int away = ((value >> 31) | 1) * p1;
    *coefficient = Wrap16(value + (away & -(bit & ((value & p1) == 0))));
    return 0;
}

// The symbols of a refinement from position k on, until the band ends or an
// EOB run starts.
static inline int RefineSymbols(HeldBits &held, int16_t *block, const JpgHuffTable *ac, int &k, int se, int p1)
{
    for (; k <= se; k++) {
        int rs, result;
        if ((result = Refill(held)) != 0)
            return result;
        // The AC first scans' look-up serves here too: a code of size 1
        // with its bit is a new coefficient of +1 or -1 and its run, and a
        // run of 16 zeros comes with no value.
        int32_t fast = held.bits >= JPG_FAST_AC_BITS
                           ? ac->fastAc[(held.buffer >> (held.bits - JPG_FAST_AC_BITS)) & ((1 << JPG_FAST_AC_BITS) - 1)]
                           : 0;
        int r, newValue = JpgFastAcValue(fast);
        if (fast && (newValue == 1 || newValue == -1 || JpgFastAcAdvance(fast) == 16)) {
            held.bits -= JpgFastAcUsed(fast);
            r = newValue ? JpgFastAcRun(fast) : 15;
            newValue *= p1;
        } else {
            if ((result = HeldSymbol(held, ac, &rs)) != 0)
                return result;
            r = rs >> 4;
            newValue = 0;
            if (rs & 15) {
                int bit;
                if ((result = HeldBit(held, &bit)) != 0)
                    return result;
                newValue = bit ? p1 : -p1;
            } else if (r != 15) {
                return HeldEobRun(held, r);
            }
        }
        do {
            int16_t *coefficient = &block[JpgNaturalOrder[k]];
            if (*coefficient != 0) {
                if ((result = Correct(held, coefficient, p1)) != 0)
                    return result;
            } else if (--r < 0) {
                break;
            }
            k++;
        } while (k <= se);
        if (newValue)
            block[JpgNaturalOrder[k]] = (int16_t)newValue;
    }
    return 0;
}

// Zigzag position of each coefficient of a block in natural order.
static constexpr uint8_t ZigzagPosition[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// For each zigzag position k, the natural-order flags of the positions from
// k on; entry 64 is empty.
struct NaturalTails {
    uint64_t from[65];
};

static constexpr NaturalTails MakeNaturalTails()
{
    NaturalTails tails{};
    for (int k = 0; k < 64; k++)
        for (int at = 0; at < 64; at++)
            if (ZigzagPosition[at] >= k)
                tails.from[k] |= 1ull << at;
    return tails;
}

static constexpr NaturalTails Tails = MakeNaturalTails();

// Bit k set for each non-zero coefficient at zigzag position k of ss..se.
// In an EOB run only these take bits, and most blocks there hold a few:
// finding them row by row beats walking every position.
static uint64_t NonzeroMap(const int16_t *block, int ss, int se)
{
    uint64_t natural = NaturalNonzeroFlags(block);
    natural &= Tails.from[ss] & ~Tails.from[se + 1];
    uint64_t map = 0;
    while (natural) {
        map |= 1ull << ZigzagPosition[LowestFlag(natural)];
        natural &= natural - 1;
    }
    return map;
}

int JpgDecodeAcRefine(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se,
                      int al)
{
    const int p1 = 1 << al;
    HeldBits held(input);
    int k = ss, result = 0;
    if (input->eobRun == 0)
        result = RefineSymbols(held, block, ac, k, se, p1);
    if (result == 0 && input->eobRun > 0) {
        // The positions from k on were not walked and keep their values.
        if (k <= se) {
            uint64_t map = NonzeroMap(block, k, se);
            while (map && result == 0) {
                result = Correct(held, &block[JpgNaturalOrder[LowestFlag(map)]], p1);
                map &= map - 1;
            }
        }
        if (result == 0)
            input->eobRun--;
    }
    held.Store();
    return Quiet(result);
}

// Huffman coding of quantised blocks: the sequential block coder, the
// progressive coders with their counting twins, and optimal code lengths.
#include "flag_scan.h"
#include "jpeg_encoder.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline bool HasFFByte(uint32_t w)
{
    uint32_t inverted = ~w;
    return ((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0;
}

// Bits on their way into the output. A checked sink tests for room before
// every byte; an unchecked one is used only where a whole block fits.
template <bool Checked>
struct BitSink {
    JpgBitOutput *out;
    uint64_t accumulator;
    int bits;
    uint8_t *p;
    int error;

    explicit BitSink(JpgBitOutput *o)
        : out(o), accumulator(o->accumulator), bits(o->pendingBits), p(o->writePointer), error(0)
    {
    }

    inline void Byte(uint8_t b)
    {
        if (Checked && p >= out->bufferEnd) {
            if (error)
                return;
            out->writePointer = p;
            error = JpgMakeRoom(out);
            p = out->writePointer;
            if (error)
                return;
        }
        *p++ = b;
    }

    inline void StuffedByte(uint8_t b)
    {
        Byte(b);
        if (b == 0xFF)
            Byte(0);
    }

    // n up to 27: a code and its extra bits together.
    inline void Put(uint32_t value, int n)
    {
        accumulator = (accumulator << n) | value;
        bits += n;
        if (bits >= 32) {
            bits -= 32;
            uint32_t word = (uint32_t)(accumulator >> bits);
            if (!Checked && !HasFFByte(word)) {
                p[0] = (uint8_t)(word >> 24);
                p[1] = (uint8_t)(word >> 16);
                p[2] = (uint8_t)(word >> 8);
                p[3] = (uint8_t)word;
                p += 4;
            } else {
                StuffedByte((uint8_t)(word >> 24));
                StuffedByte((uint8_t)(word >> 16));
                StuffedByte((uint8_t)(word >> 8));
                StuffedByte((uint8_t)word);
            }
        }
    }

    // Leaves fewer than 8 bits pending, as every caller of the stream expects.
    int Finish()
    {
        while (bits >= 8) {
            bits -= 8;
            StuffedByte((uint8_t)(accumulator >> bits));
        }
        out->accumulator = accumulator & ((1u << bits) - 1);
        out->pendingBits = bits;
        out->writePointer = p;
        return error;
    }
};

// Symbols are counted instead of written by the statistics passes.
struct CountSink {
    uint32_t *counts;
    inline void Symbol(const JpgHuffTable *, int symbol, uint32_t, int) { counts[symbol]++; }
    inline void Bits(uint32_t, int) {}
    inline void Uncoded(uint32_t, int) {}
};

template <bool Checked>
struct EmitSink {
    BitSink<Checked> sink;
    bool missingCode = false;
    explicit EmitSink(JpgBitOutput *out) : sink(out) {}
    // The symbol's code followed by extra bits in one put.
    inline void Symbol(const JpgHuffTable *table, int symbol, uint32_t extra, int extraBits)
    {
        int length = (int)table->codeLength[symbol];
        if (length == 0)
            missingCode = true;
        sink.Put(((uint32_t)table->code[symbol] << extraBits) | extra, length + extraBits);
    }
    inline void Bits(uint32_t value, int n) { sink.Put(value, n); }
    // Extra bits without a code, as for a symbol the table lacks.
    inline void Uncoded(uint32_t extra, int extraBits)
    {
        missingCode = true;
        sink.Put(extra, extraBits);
    }
    int Finish()
    {
        int result = sink.Finish();
        return result == 0 && missingCode ? JPG_ERR_BAD_HUFFMAN : result;
    }
};

inline uint32_t ExtraBits(int value, int category)
{
    // Negative values are sent as value - 1 in their low bits.
    return (uint32_t)(value < 0 ? value - 1 : value) & ((1u << category) - 1);
}

// Bit k set where the coefficient at zigzag position k is not zero.
inline uint64_t NonzeroCoefficients(const int16_t *block)
{
    return JpgZigzagMask(NaturalNonzeroFlags(block));
}

template <class Sink>
inline void CodeBlock(Sink &sink, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block)
{
    int diff = block[0] - *predictor;
    *predictor = block[0];
    int s = JpgBitCategory(diff);
    sink.Symbol(dc, s, ExtraBits(diff, s), s);
    uint64_t nonzero = NonzeroCoefficients(block) & ~(uint64_t)1;
    int last = 0;
    while (nonzero) {
        int k = LowestFlag(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        last = k;
        while (run > 15) {
            sink.Symbol(ac, 0xF0, 0, 0);
            run -= 16;
        }
        int v = block[JpgNaturalOrder[k]];
        s = JpgBitCategory(v);
        if (s > 15) {
            // -32768 from a caller's coefficients: no symbol holds its
            // size, and run << 4 | 16 would name another one.
            sink.Uncoded(ExtraBits(v, s), s);
            continue;
        }
        sink.Symbol(ac, run << 4 | s, ExtraBits(v, s), s);
    }
    if (last < 63)
        sink.Symbol(ac, 0x00, 0, 0);
}

// The biggest block: 64 codes of 16 bits with 11 extra bits, every byte stuffed.
enum { MOST_BLOCK_BYTES = 512 };

// Bit k set where the coefficient at zigzag position k has a magnitude of
// at least 1 << al, for k in ss..se: the progressive coders walk these
// instead of every position of the band. The second map, where asked for,
// is that of 1 << (al + 1).
uint64_t SignificantCoefficients(const int16_t *block, int ss, int se, int al, uint64_t *aboveOne = nullptr)
{
    if (aboveOne)
        *aboveOne = 0;
    if (ss < 0 || ss > 63 || se < ss)
        return 0;
    se = se > 63 ? 63 : se;
    uint64_t natural = 0, naturalAbove = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i count = _mm_cvtsi32_si128(al), countAbove = _mm_cvtsi32_si128(al + 1);
    for (int r = 0; r < 8; r += 2) {
        __m128i rows[2], rowsAbove[2];
        for (int h = 0; h < 2; h++) {
            __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 8 * (r + h)));
            // |c| as an unsigned 16-bit value, -32768 included.
            __m128i sign = _mm_srai_epi16(c, 15);
            __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);
            rows[h] = _mm_cmpeq_epi16(_mm_srl_epi16(magnitude, count), zero);
            rowsAbove[h] = _mm_cmpeq_epi16(_mm_srl_epi16(magnitude, countAbove), zero);
        }
        unsigned insignificant = (unsigned)_mm_movemask_epi8(_mm_packs_epi16(rows[0], rows[1]));
        natural |= (uint64_t)(~insignificant & 0xFFFF) << (8 * r);
        if (aboveOne) {
            insignificant = (unsigned)_mm_movemask_epi8(_mm_packs_epi16(rowsAbove[0], rowsAbove[1]));
            naturalAbove |= (uint64_t)(~insignificant & 0xFFFF) << (8 * r);
        }
    }
#else
    for (int i = 0; i < 64; i++) {
        int c = block[i];
        int magnitude = c < 0 ? -c : c;
        if ((magnitude >> al) != 0)
            natural |= (uint64_t)1 << i;
        if ((magnitude >> (al + 1)) != 0)
            naturalAbove |= (uint64_t)1 << i;
    }
#endif
    uint64_t band = (~0ull >> (63 - se)) & (~0ull << ss);
    if (aboveOne)
        *aboveOne = JpgZigzagMask(naturalAbove) & band;
    return JpgZigzagMask(natural) & band;
}

inline int Magnitude(const int16_t *block, int k, int al)
{
    int c = block[JpgNaturalOrder[k]];
    return (c < 0 ? -c : c) >> al;
}

// The pending end-of-band run, with the correction bits it carries.
template <class Sink>
void PutEobRun(Sink &sink, JpgBitOutput *out, const JpgHuffTable *ac, const uint8_t *correctionBits,
               int *bufferedBits)
{
    if (out->eobRun == 0)
        return;
    int n = JpgBitCategory(out->eobRun) - 1;
    sink.Symbol(ac, n << 4, (uint32_t)out->eobRun & ((1u << n) - 1), n);
    out->eobRun = 0;
    if (bufferedBits) {
        for (int i = 0; i < *bufferedBits; i++)
            sink.Bits(correctionBits[i], 1);
        *bufferedBits = 0;
    }
}

template <class Sink>
void AcFirst(Sink &sink, JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se, int al)
{
    uint64_t significant = SignificantCoefficients(block, ss, se, al);
    int last = ss - 1;
    while (significant) {
        int k = LowestFlag(significant);
        significant &= significant - 1;
        int run = k - last - 1;
        last = k;
        int t = Magnitude(block, k, al);
        PutEobRun(sink, out, ac, nullptr, nullptr);
        while (run > 15) {
            sink.Symbol(ac, 0xF0, 0, 0);
            run -= 16;
        }
        int s = JpgBitCategory(t);
        uint32_t extra = (uint32_t)(block[JpgNaturalOrder[k]] < 0 ? ~t : t) & ((1u << s) - 1);
        if (s > 15)
            sink.Uncoded(extra, s); // as in the sequential coder
        else
            sink.Symbol(ac, run << 4 | s, extra, s);
    }
    if (last < se && ++out->eobRun == 0x7FFF)
        PutEobRun(sink, out, ac, nullptr, nullptr);
}

template <class Sink>
void AcRefine(Sink &sink, JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se,
              int al, uint8_t *correctionBits, int *bufferedBits)
{
    // Magnitudes of 1 after the shift are new this scan; larger ones only
    // send their next bit.
    uint64_t aboveOne;
    uint64_t significant = SignificantCoefficients(block, ss, se, al, &aboveOne);
    uint64_t newOnes = significant & ~aboveOne;
    int lastOne = newOnes ? HighestFlag(newOnes) : 0;
    // This block's own correction bits follow those of the pending run.
    int blockStart = *bufferedBits, blockBits = 0;
    int run = 0, last = ss - 1;
    while (significant) {
        int k = LowestFlag(significant);
        significant &= significant - 1;
        run += k - last - 1;
        last = k;
        int t = Magnitude(block, k, al);
        while (run > 15 && k <= lastOne) {
            PutEobRun(sink, out, ac, correctionBits, bufferedBits);
            sink.Symbol(ac, 0xF0, 0, 0);
            run -= 16;
            for (int i = 0; i < blockBits; i++)
                sink.Bits(correctionBits[blockStart + i], 1);
            blockStart = 0;
            blockBits = 0;
        }
        if (t > 1) {
            correctionBits[blockStart + blockBits++] = (uint8_t)(t & 1);
            continue;
        }
        PutEobRun(sink, out, ac, correctionBits, bufferedBits);
        sink.Symbol(ac, run << 4 | 1, block[JpgNaturalOrder[k]] < 0 ? 0 : 1, 1);
        for (int i = 0; i < blockBits; i++)
            sink.Bits(correctionBits[blockStart + i], 1);
        blockStart = 0;
        blockBits = 0;
        run = 0;
    }
    run += se - last;
    if (run > 0 || blockBits > 0) {
        // The block's bits already follow the run's in the buffer.
        out->eobRun++;
        *bufferedBits += blockBits;
        if (out->eobRun == 0x7FFF || *bufferedBits > JPG_MAX_CORRECTION_BITS - 63)
            PutEobRun(sink, out, ac, correctionBits, bufferedBits);
    }
}

} // namespace

JpgZigzagRows::JpgZigzagRows()
{
    int zigzagOf[64];
    for (int k = 0; k < 64; k++)
        zigzagOf[JpgNaturalOrder[k]] = k;
    for (int r = 0; r < 8; r++)
        for (int m = 0; m < 256; m++) {
            uint64_t bits = 0;
            for (int c = 0; c < 8; c++)
                if (m >> c & 1)
                    bits |= (uint64_t)1 << zigzagOf[8 * r + c];
            row[r][m] = bits;
        }
}

const JpgZigzagRows JpgZigzagFlags;

int JpgEncodeBlock(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                   const int16_t *block)
{
    if (out->bufferEnd - out->writePointer >= MOST_BLOCK_BYTES) {
        EmitSink<false> sink(out);
        CodeBlock(sink, dc, ac, predictor, block);
        return sink.Finish();
    }
    EmitSink<true> sink(out);
    CodeBlock(sink, dc, ac, predictor, block);
    return sink.Finish();
}

int JpgEncodeDcProgressive(JpgBitOutput *out, const JpgHuffTable *dc, int16_t *predictor, const int16_t *block,
                           int refinement, int al)
{
    EmitSink<true> sink(out);
    if (refinement) {
        sink.Bits((uint32_t)(block[0] >> al) & 1, 1);
    } else {
        int value = block[0] >> al;
        int diff = value - *predictor;
        *predictor = (int16_t)value;
        int s = JpgBitCategory(diff);
        sink.Symbol(dc, s, ExtraBits(diff, s), s);
    }
    return sink.Finish();
}

void JpgCountDcFirst(uint32_t *counts, int16_t *predictor, const int16_t *block, int refinement, int al)
{
    if (refinement)
        return;
    int value = block[0] >> al;
    counts[JpgBitCategory(value - *predictor)]++;
    *predictor = (int16_t)value;
}

int JpgEncodeAcFirst(JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se, int al)
{
    EmitSink<true> sink(out);
    AcFirst(sink, out, ac, block, ss, se, al);
    return sink.Finish();
}

void JpgCountAcFirst(JpgBitOutput *out, const int16_t *block, int ss, int se, int al, uint32_t *counts)
{
    CountSink sink = {counts};
    AcFirst(sink, out, nullptr, block, ss, se, al);
}

int JpgEncodeAcRefine(JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se, int al,
                      uint8_t *correctionBits, int *bufferedBits)
{
    EmitSink<true> sink(out);
    AcRefine(sink, out, ac, block, ss, se, al, correctionBits, bufferedBits);
    return sink.Finish();
}

void JpgCountAcRefine(JpgBitOutput *out, const int16_t *block, int ss, int se, int al, uint8_t *correctionBits,
                      int *bufferedBits, uint32_t *counts)
{
    CountSink sink = {counts};
    AcRefine(sink, out, nullptr, block, ss, se, al, correctionBits, bufferedBits);
}

int JpgEmitEobRun(JpgBitOutput *out, const JpgHuffTable *ac, const uint8_t *correctionBits, int *bufferedBits)
{
    EmitSink<true> sink(out);
    PutEobRun(sink, out, ac, correctionBits, bufferedBits);
    return sink.Finish();
}

void JpgCountEobRun(JpgBitOutput *out, uint32_t *counts, int *bufferedBits)
{
    CountSink sink = {counts};
    PutEobRun(sink, out, nullptr, nullptr, nullptr);
    if (bufferedBits)
        *bufferedBits = 0;
}

int JpgGenOptimalTable(const uint32_t counts[257], uint8_t bits[16], uint8_t values[256])
{
    enum { MOST_CODE_LENGTH = 32 };
    long long freq[257];
    int codeSize[257], others[257];
    for (int i = 0; i < 257; i++) {
        freq[i] = counts[i];
        codeSize[i] = 0;
        others[i] = -1;
    }
    // A reserved symbol keeps every real code from being all 1-bits.
    freq[256] = 1;
    for (;;) {
        int c1 = -1, c2 = -1;
        long long v = 1000000000LL;
        for (int i = 0; i <= 256; i++)
            if (freq[i] && freq[i] <= v) {
                v = freq[i];
                c1 = i;
            }
        v = 1000000000LL;
        for (int i = 0; i <= 256; i++)
            if (freq[i] && freq[i] <= v && i != c1) {
                v = freq[i];
                c2 = i;
            }
        if (c2 < 0)
            break;
        freq[c1] += freq[c2];
        freq[c2] = 0;
        for (codeSize[c1]++; others[c1] >= 0; codeSize[c1]++)
            c1 = others[c1];
        others[c1] = c2;
        for (codeSize[c2]++; others[c2] >= 0; codeSize[c2]++)
            c2 = others[c2];
    }
    int lengths[MOST_CODE_LENGTH + 1] = {};
    for (int i = 0; i <= 256; i++)
        if (codeSize[i] && codeSize[i] <= MOST_CODE_LENGTH)
            lengths[codeSize[i]]++;
    // Codes longer than 16 bits move up the tree (Figure K.3).
    for (int i = MOST_CODE_LENGTH; i > 16; i--) {
        while (lengths[i] > 0) {
            int j = i - 2;
            while (lengths[j] == 0)
                j--;
            lengths[i] -= 2;
            lengths[i - 1]++;
            lengths[j + 1] += 2;
            lengths[j]--;
        }
    }
    int longest = 16;
    while (longest > 0 && lengths[longest] == 0)
        longest--;
    if (longest > 0)
        lengths[longest]--;
    for (int i = 0; i < 16; i++)
        bits[i] = (uint8_t)lengths[i + 1];
    int n = 0;
    for (int size = 1; size <= MOST_CODE_LENGTH; size++)
        for (int symbol = 0; symbol < 256; symbol++)
            if (codeSize[symbol] == size && n < 256)
                values[n++] = (uint8_t)symbol;
    return n;
}

// The bit reader and the block procedures on hand-made bit strings, and the
// progressive AC procedures against a plain twin on random data.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "jpeg_decoder.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_test_files.h"

namespace {

// A memory input over the given bytes.
struct BitSource {
    Bytes bytes;
    JpgBitInput input = {};
    explicit BitSource(Bytes data) : bytes(std::move(data))
    {
        input.start = bytes.data();
        input.size = (int)bytes.size();
        JpgResetInput(&input);
    }
};

// Packs a string of '0'/'1' into bytes, padded with ones, stuffing 0xFF.
Bytes Pack(const std::string &bitString)
{
    Bytes out;
    int value = 0, count = 0;
    auto put = [&](int bit) {
        value = (value << 1) | bit;
        if (++count == 8) {
            out.push_back((uint8_t)value);
            if (value == 0xFF)
                out.push_back(0);
            value = count = 0;
        }
    };
    for (char c : bitString)
        if (c == '0' || c == '1')
            put(c - '0');
    while (count)
        put(1);
    return out;
}

// Tables where every symbol of interest has an eight-bit code: the symbol
// value itself written as eight bits after a "1" prefix is not needed; the
// codes are simply 00000000 .. in HUFFVAL order.
struct Tables {
    JpgHuffTable dc, ac;
    Tables(std::initializer_list<uint8_t> dcSymbols, std::initializer_list<uint8_t> acSymbols)
    {
        uint8_t bits[16] = {};
        Bytes values(dcSymbols);
        bits[7] = (uint8_t)values.size();
        EXPECT_EQ(0, JpgBuildDecodeTable(bits, values.data(), 0, 0, &dc));
        values.assign(acSymbols);
        bits[7] = (uint8_t)values.size();
        EXPECT_EQ(0, JpgBuildDecodeTable(bits, values.data(), 1, 0, &ac));
    }
};

std::string Code(int index)
{
    std::string s;
    for (int b = 7; b >= 0; b--)
        s += (index >> b) & 1 ? '1' : '0';
    return s;
}

TEST(JpegEntropy, FillBytesBeforeAMarkerAreSkippedAndCounted)
{
    BitSource source({0x12, 0xFF, 0xFF, 0xFF, 0xD0, 0x34});
    EXPECT_EQ(0, JpgFillBitBuffer(&source.input, 8));
    EXPECT_EQ(8, source.input.bitsHeld);
    EXPECT_EQ(0xD0, source.input.pendingMarker);
    EXPECT_EQ(5u, source.input.consumed);
    EXPECT_EQ(JPG_STATUS_MARKER_REACHED, JpgFillBitBuffer(&source.input, 9));
    EXPECT_EQ(0x12u, JpgGetBits(&source.input, 8));
    EXPECT_EQ(JPG_RST0, JpgNextMarker(&source.input));
}

TEST(JpegEntropy, StuffedZeroGivesOneDataByte)
{
    BitSource source({0xFF, 0x00, 0xAB});
    EXPECT_EQ(0, JpgFillBitBuffer(&source.input, 16));
    EXPECT_EQ(16, source.input.bitsHeld);
    EXPECT_EQ(0xFFABu, JpgGetBits(&source.input, 16));
    EXPECT_FALSE(source.input.exhausted);
    JpgGetBits(&source.input, 1);
    EXPECT_TRUE(source.input.exhausted) << "bits past the end of memory read as zero";
}

TEST(JpegEntropy, LastByteFFOfMemoryIsADataError)
{
    BitSource source({0x12, 0xFF});
    EXPECT_EQ(JPG_ERR_DATA, JpgFillBitBuffer(&source.input, 8));
}

TEST(JpegEntropy, SequentialBlockPlacesRunsAndValues)
{
    Tables t({0, 3}, {0x00, 0xF0, 0xF1, 0x02, 0x21});
    // DC category 3 "101" = 5; AC: 0x02 "11" = 3 at zigzag 1; 0x21 "0" = -1 at zigzag 4;
    // ZRL passes zigzag 5..20; 0xF1 passes 21..35 and puts 1 at 36; EOB.
    std::string bits = Code(1) + "101" + Code(3) + "11" + Code(4) + "0" + Code(1) + Code(2) + "1" + Code(0);
    BitSource source(Pack(bits));
    int16_t block[64], predictor = 10;
    ASSERT_EQ(0, JpgDecodeBlock(&source.input, &t.dc, &t.ac, &predictor, block));
    EXPECT_EQ(15, predictor);
    EXPECT_EQ(15, block[0]);
    EXPECT_EQ(3, block[JpgNaturalOrder[1]]);
    EXPECT_EQ(-1, block[JpgNaturalOrder[4]]);
    EXPECT_EQ(1, block[JpgNaturalOrder[36]]);
    int nonZero = 0;
    for (int i = 0; i < 64; i++)
        nonZero += block[i] != 0;
    EXPECT_EQ(4, nonZero);
}

TEST(JpegEntropy, DcCategoryZeroStoresThePredictor)
{
    Tables t({0}, {0x00});
    BitSource source(Pack(Code(0) + Code(0)));
    int16_t block[64], predictor = -7;
    ASSERT_EQ(0, JpgDecodeBlock(&source.input, &t.dc, &t.ac, &predictor, block));
    EXPECT_EQ(-7, block[0]);
    EXPECT_EQ(-7, predictor);
}

TEST(JpegEntropy, DcOnlyDropsTheAcValues)
{
    Tables t({0, 2}, {0x00, 0x05});
    BitSource source(Pack(Code(1) + "10" + Code(1) + "10101" + Code(0) + Code(0) + Code(0)));
    int16_t dc = 0, predictor = 0;
    ASSERT_EQ(0, JpgDecodeBlockDcOnly(&source.input, &t.dc, &t.ac, &predictor, &dc));
    EXPECT_EQ(2, dc);
    int16_t block[64];
    ASSERT_EQ(0, JpgDecodeBlock(&source.input, &t.dc, &t.ac, &predictor, block));
    EXPECT_EQ(2, block[0]) << "the next block starts where the skipped one ended";
}

TEST(JpegEntropy, MarkerInsideABlockEndsItQuietly)
{
    Tables t({0, 4}, {0x00, 0x04});
    Bytes data = Pack(Code(1) + "1111" + Code(1));
    data.resize(1 + 1); // keep the DC bits and part of the AC value
    data.push_back(0xFF);
    data.push_back(0xD9);
    BitSource source(data);
    int16_t block[64], predictor = 0;
    EXPECT_EQ(0, JpgDecodeBlock(&source.input, &t.dc, &t.ac, &predictor, block));
    EXPECT_EQ(15, block[0]);
    EXPECT_EQ(0xD9, source.input.pendingMarker);
}

TEST(JpegEntropy, ProgressiveEndOfBandRunSkipsTheFollowingBlocks)
{
    Tables t({0}, {0x01, 0x20});
    // Block 1: value 1 at k = 1 ("1"), then EOB run r = 2 with bits "01": a run of 5.
    BitSource source(Pack(Code(0) + "1" + Code(1) + "01" + Code(0) + "0"));
    int16_t blocks[5][64] = {};
    ASSERT_EQ(0, JpgDecodeAcFirst(&source.input, blocks[0], &t.ac, 1, 63, 1));
    EXPECT_EQ(2, blocks[0][JpgNaturalOrder[1]]) << "shifted by Al";
    EXPECT_EQ(4, source.input.eobRun);
    size_t consumedBefore = source.input.consumed;
    int heldBefore = source.input.bitsHeld;
    for (int b = 1; b < 5; b++)
        ASSERT_EQ(0, JpgDecodeAcFirst(&source.input, blocks[b], &t.ac, 1, 63, 1));
    EXPECT_EQ(0, source.input.eobRun);
    EXPECT_EQ(consumedBefore, source.input.consumed);
    EXPECT_EQ(heldBefore, source.input.bitsHeld);
    int16_t next[64] = {};
    ASSERT_EQ(0, JpgDecodeAcFirst(&source.input, next, &t.ac, 1, 63, 0));
    EXPECT_EQ(-1, next[JpgNaturalOrder[1]]);
}

TEST(JpegEntropy, RefinementAppliesCorrectionsAlsoInsideAnEndOfBandRun)
{
    Tables t({0}, {0x00, 0x01, 0x10});
    // Block A: coefficients at k=1 (4) and k=3 (-4) known. Symbol 0x01: one new
    // coefficient with sign bit 1, after no zeros: k=1 is non-zero (correction
    // bit 1), k=2 zero -> new +2 there. Then EOB (0x00, run 1): k=3 gets
    // correction 1.
    std::string bits = Code(1) + "1" + "1" + Code(0) + "1";
    // Block B in no run: EOB run of 1 again; its non-zero k=2 gets correction 0.
    bits += Code(0) + "0";
    BitSource source(Pack(bits));
    int16_t a[64] = {}, b[64] = {};
    a[JpgNaturalOrder[1]] = 4;
    a[JpgNaturalOrder[3]] = -4;
    b[JpgNaturalOrder[2]] = 4;
    ASSERT_EQ(0, JpgDecodeAcRefine(&source.input, a, &t.ac, 1, 63, 1));
    EXPECT_EQ(6, a[JpgNaturalOrder[1]]);
    EXPECT_EQ(2, a[JpgNaturalOrder[2]]);
    EXPECT_EQ(-6, a[JpgNaturalOrder[3]]);
    EXPECT_EQ(0, source.input.eobRun);
    ASSERT_EQ(0, JpgDecodeAcRefine(&source.input, b, &t.ac, 1, 63, 1));
    EXPECT_EQ(4, b[JpgNaturalOrder[2]]);
}

TEST(JpegEntropy, DcFirstAndRefinementBuildTheValueBitByBit)
{
    Tables t({0, 2}, {0x00});
    BitSource source(Pack(Code(1) + "11" + "1" + "0"));
    int16_t coefficient = 0, predictor = 0;
    ASSERT_EQ(0, JpgDecodeDcFirst(&source.input, &t.dc, &coefficient, &predictor, 2));
    EXPECT_EQ(12, coefficient);
    ASSERT_EQ(0, JpgDecodeDcRefine(&source.input, &coefficient, 1));
    EXPECT_EQ(14, coefficient);
    ASSERT_EQ(0, JpgDecodeDcRefine(&source.input, &coefficient, 0));
    EXPECT_EQ(14, coefficient);
}

TEST(JpegEntropy, LongCodesWalkThePerLengthLimits)
{
    // 16 codes of length 5 .. one of 12 bits: symbols in order.
    uint8_t bits[16] = {0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 1};
    uint8_t values[17];
    for (int i = 0; i < 17; i++)
        values[i] = (uint8_t)(i + 1);
    JpgHuffTable table;
    ASSERT_EQ(0, JpgBuildDecodeTable(bits, values, 1, 0, &table));
    // The twelve-bit code follows 16 five-bit codes: 10000 shifted to 12 bits.
    BitSource source(Pack("100000000000" "00011"));
    int symbol = -1;
    ASSERT_EQ(0, JpgHuffDecode(&source.input, &symbol, &table));
    EXPECT_EQ(17, symbol);
    ASSERT_EQ(0, JpgHuffDecode(&source.input, &symbol, &table));
    EXPECT_EQ(4, symbol);
    BitSource bad(Pack("11111111111111111"));
    ASSERT_EQ(0, JpgHuffDecode(&bad.input, &symbol, &table));
    EXPECT_EQ(0, symbol) << "a code longer than sixteen bits reads as symbol 0";
}

// The progressive AC procedures as T.81 walks them, one position and one
// bit at a time, on the public bit reader: the twin of the codec's.
namespace plain {

int Ensure(JpgBitInput *input, int n)
{
    return input->bitsHeld >= n ? 0 : JpgFillBitBuffer(input, n);
}

int Quiet(int result)
{
    return result == JPG_STATUS_MARKER_REACHED ? 0 : result;
}

int16_t Wrap(int value)
{
    return (int16_t)(uint16_t)(unsigned)value;
}

int ReadEobRun(JpgBitInput *input, int r)
{
    input->eobRun = 1 << r;
    int result = r ? Ensure(input, r) : 0;
    if (r && result == 0)
        input->eobRun += (int)JpgGetBits(input, r);
    return result;
}

int AcFirst(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se, int al)
{
    if (input->eobRun > 0) {
        input->eobRun--;
        return 0;
    }
    for (int k = ss; k <= se; k++) {
        int rs, result;
        if ((result = JpgHuffDecode(input, &rs, ac)) != 0)
            return Quiet(result);
        int r = rs >> 4, s = rs & 15;
        if (s) {
            k += r;
            if ((result = Ensure(input, s)) != 0)
                return Quiet(result);
            int value = (int)JpgGetBits(input, s);
            if (value < 1 << (s - 1))
                value -= (1 << s) - 1;
            block[JpgNaturalOrder[k]] = Wrap((int)((unsigned)value << al));
        } else if (r == 15) {
            k += 15;
        } else {
            if ((result = ReadEobRun(input, r)) != 0)
                return Quiet(result);
            input->eobRun--;
            break;
        }
    }
    return 0;
}

int Correct(JpgBitInput *input, int16_t *coefficient, int p1)
{
    int result = Ensure(input, 1);
    if (result == 0 && JpgGetBits(input, 1) && (*coefficient & p1) == 0)
        *coefficient = Wrap(*coefficient >= 0 ? *coefficient + p1 : *coefficient - p1);
    return result;
}

int AcRefine(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se, int al)
{
    const int p1 = 1 << al;
    int k = ss, result;
    if (input->eobRun == 0) {
        for (; k <= se; k++) {
            int rs;
            if ((result = JpgHuffDecode(input, &rs, ac)) != 0)
                return Quiet(result);
            int r = rs >> 4, s = rs & 15, newValue = 0;
            if (s) {
                if ((result = Ensure(input, 1)) != 0)
                    return Quiet(result);
                newValue = JpgGetBits(input, 1) ? p1 : -p1;
            } else if (r != 15) {
                if ((result = ReadEobRun(input, r)) != 0)
                    return Quiet(result);
                break;
            }
            for (; k <= se; k++) {
                int16_t *coefficient = &block[JpgNaturalOrder[k]];
                if (*coefficient != 0) {
                    if ((result = Correct(input, coefficient, p1)) != 0)
                        return Quiet(result);
                } else if (--r < 0) {
                    break;
                }
            }
            if (newValue)
                block[JpgNaturalOrder[k]] = (int16_t)newValue;
        }
    }
    if (input->eobRun > 0) {
        for (; k <= se; k++)
            if (block[JpgNaturalOrder[k]] != 0 && (result = Correct(input, &block[JpgNaturalOrder[k]], p1)) != 0)
                return Quiet(result);
        input->eobRun--;
    }
    return 0;
}

} // namespace plain

// Random entropy-coded data: every byte value, stuffed 0xFF, and an end
// that is a marker, the end of memory or a 0xFF cut off.
Bytes RandomScanData(std::mt19937 &random)
{
    Bytes data;
    int length = 1 + (int)(random() % 300);
    // Runs of zero bytes decode as long zero runs and EOB runs; runs of
    // 0xFF as the longest codes.
    int bias = (int)(random() % 3);
    for (int i = 0; i < length; i++) {
        int byte = bias == 0 || random() % 4 ? (int)(random() % 256) : bias == 1 ? 0 : 0xFF;
        data.push_back((uint8_t)byte);
        if (byte == 0xFF)
            data.push_back(0);
    }
    int end = (int)(random() % 4);
    if (end == 1)
        data.insert(data.end(), {0xFF, (uint8_t)(0xD0 + random() % 8)});
    else if (end == 2)
        data.insert(data.end(), {0xFF, 0xFF, 0xD9});
    else if (end == 3)
        data.push_back(0xFF);
    return data;
}

// A block as a refinement meets it: earlier scans left multiples of
// 2 << al, sparse or dense; a hostile stream may have left anything.
void RandomRefinementBlock(std::mt19937 &random, int al, int16_t *block)
{
    int kind = (int)(random() % 4);
    for (int i = 0; i < 64; i++) {
        bool set = kind == 0 ? random() % 16 == 0 : kind == 1 ? random() % 2 == 0 : kind == 2;
        int value = 0;
        if (set && kind < 3)
            value = (int)(1 + random() % 40) * (2 << al) * (random() % 2 ? 1 : -1);
        else if (set || (kind == 3 && random() % 3 == 0))
            value = (int)(random() % 65536) - 32768;
        block[i] = plain::Wrap(value);
    }
}

bool SameState(const JpgBitInput &a, const JpgBitInput &b)
{
    uint64_t held = a.bitsHeld >= 64 ? ~0ull : (1ull << a.bitsHeld) - 1;
    return a.bitsHeld == b.bitsHeld && ((a.bitBuffer ^ b.bitBuffer) & held) == 0 && a.consumed == b.consumed &&
           a.eobRun == b.eobRun && a.pendingMarker == b.pendingMarker && a.exhausted == b.exhausted;
}

TEST(JpegEntropy, ProgressiveAcProceduresMatchTheirPlainTwinsOnAnyData)
{
    // Bands, shifts, EOB runs, markers and truncation at every point of a
    // block, on tables with codes of all lengths: the same coefficients,
    // the same bits taken and the same results, block after block.
    std::mt19937 random(4611);
    for (int trial = 0; trial < 1500; trial++) {
        uint32_t dcCounts[257] = {1, 1}, acCounts[257] = {};
        for (int r = 0; r < 16; r++) {
            acCounts[r << 4] = 1 + random() % (r == 0 ? 4000 : 300);
            for (int size = 1; size <= 10; size++)
                acCounts[r << 4 | size] = random() % 3 ? 1 + random() % (r < 3 ? 3000 : 40) : 0;
        }
        RandomHuffmanTables tables;
        ASSERT_TRUE(HuffmanTablesFromCounts(dcCounts, acCounts, &tables));
        bool refine = trial % 2 != 0;
        int ss = 1 + (int)(random() % 63);
        int se = trial % 3 == 0 ? 63 : ss + (int)(random() % (64 - ss));
        int al = (int)(random() % 14);
        BitSource ours(RandomScanData(random)), twin(ours.bytes);
        for (int b = 0; b < 48; b++) {
            int16_t block[64], expected[64];
            if (refine)
                RandomRefinementBlock(random, al, block);
            else
                for (int i = 0; i < 64; i++)
                    block[i] = (int16_t)(random() % 3 == 0 ? random() : 0);
            memcpy(expected, block, sizeof block);
            int result = refine ? JpgDecodeAcRefine(&ours.input, block, &tables.ac, ss, se, al)
                                : JpgDecodeAcFirst(&ours.input, block, &tables.ac, ss, se, al);
            int expectedResult = refine ? plain::AcRefine(&twin.input, expected, &tables.ac, ss, se, al)
                                        : plain::AcFirst(&twin.input, expected, &tables.ac, ss, se, al);
            ASSERT_EQ(expectedResult, result) << "trial " << trial << " block " << b;
            ASSERT_EQ(0, memcmp(expected, block, sizeof block)) << "trial " << trial << " block " << b;
            ASSERT_TRUE(SameState(twin.input, ours.input)) << "trial " << trial << " block " << b;
        }
    }
}

} // namespace

// The packed block coders and their 64-bit bit writer against the generic
// coder: the same entropy-coded bytes for the same blocks.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

#include "jpeg_dispatch.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_encoder.h"
#include "jpeg_simd.h"

namespace {

struct Output {
    std::vector<uint8_t> bytes;
    JpgBitOutput out;
    explicit Output(int size) : bytes(size + 16, 0xAB)
    {
        memset(&out, 0, sizeof out);
        JpgOutputInit(&out, bytes.data(), size);
    }
    std::vector<uint8_t> Written() const
    {
        return std::vector<uint8_t>(bytes.data(), (const uint8_t *)out.writePointer);
    }
};

std::vector<uint8_t> Of(std::initializer_list<int> values)
{
    std::vector<uint8_t> v;
    for (int x : values)
        v.push_back((uint8_t)x);
    return v;
}

TEST(JpegSimdBitWriter, GroupsOfFourBytesCarryTheStuffedZeroOfAnEndingFF)
{
    Output a(64);
    EXPECT_EQ(0, JpgMmxPutBits(0xFFFF, 16, &a.out));
    EXPECT_EQ(0, JpgMmxPutBits(0xFFFF, 16, &a.out));
    EXPECT_TRUE(a.Written().empty()) << "exactly 32 pending bits stay pending";
    EXPECT_EQ(0, JpgMmxPutBits(0xFFFF, 16, &a.out));
    EXPECT_EQ(Of({0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0}), a.Written());
    EXPECT_EQ(16, a.out.pendingBits);

    Output b(64);
    EXPECT_EQ(0, JpgMmxPutBits(0x12FF3456, 32, &b.out));
    EXPECT_EQ(0, JpgMmxPutBits(1, 1, &b.out));
    EXPECT_EQ(Of({0x12, 0xFF, 0, 0x34}), b.Written());
    EXPECT_EQ(9, b.out.pendingBits);

    Output c(64);
    EXPECT_EQ(0, JpgMmxPutBits(0x123456FF, 32, &c.out));
    EXPECT_EQ(0, JpgMmxPutBits(0, 1, &c.out));
    EXPECT_EQ(Of({0x12, 0x34, 0x56, 0xFF}), c.Written());
    EXPECT_EQ(0, JpgWriteBytesMmx(nullptr, 0, &c.out));
    // The carried zero first, then the last bit filled with 1-bits.
    EXPECT_EQ(Of({0x12, 0x34, 0x56, 0xFF, 0x00, 0x7F}), c.Written());
}

TEST(JpegSimdBitWriter, FlushFillsTheLastByteWithOnesBeforeMarkerBytes)
{
    Output a(64);
    EXPECT_EQ(0, JpgMmxPutBits(0xA, 4, &a.out));
    const uint8_t marker[2] = {0xFF, 0xD0};
    EXPECT_EQ(0, JpgWriteBytesMmx(marker, 2, &a.out));
    EXPECT_EQ(Of({0xAF, 0xFF, 0xD0}), a.Written());
    EXPECT_EQ(0, a.out.pendingBits);
}

TEST(JpegSimdBitWriter, FullMemoryGivesOutputTooSmallAndWritesNothingPastIt)
{
    for (auto put : {JpgMmxPutBits, JpgPutBitsSse}) {
        Output a(3);
        int result = 0;
        for (int i = 0; i < 6 && result == 0; i++)
            result = put(0x5555, 16, &a.out);
        EXPECT_EQ(JPG_ERR_OUTPUT_TOO_SMALL, result);
        for (size_t i = 0; i < a.bytes.size(); i++)
            ASSERT_EQ(0xAB, a.bytes[i]) << "byte " << i;
    }
}

// The blocks as the generic coder writes them, pending bits flushed.
std::vector<uint8_t> GenericStream(const std::vector<std::vector<int16_t>> &blocks, const JpgHuffTable &dc,
                                   const JpgHuffTable &ac)
{
    Output generic(1 << 20);
    int16_t predictor = 0;
    for (const std::vector<int16_t> &b : blocks)
        EXPECT_EQ(0, JpgEncodeBlock(&generic.out, &dc, &ac, &predictor, b.data()));
    EXPECT_EQ(0, JpgWriteBytes(nullptr, 0, &generic.out));
    return generic.Written();
}

TEST(JpegSimdBlockCoder, PackedCodersWriteTheGenericCodersBytesInAnyBuffer)
{
    // The packed coders write in place while a whole block surely fits and
    // through the checked writer near the end of the buffer: with room for
    // the stream and little more, the last blocks take the checked way.
    std::mt19937 random(134);
    RandomHuffmanTables tables;
    ASSERT_TRUE(MakeRandomHuffmanTables(random, &tables));
    const JpgHuffTable &dc = tables.dcEncode, &ac = tables.acEncode;
    std::vector<std::vector<int16_t>> blocks = BaselineCoefficientBlocks(random, 400);
    std::vector<uint8_t> stream = GenericStream(blocks, dc, ac);
    const uint8_t stuffed[2] = {0xFF, 0x00};
    ASSERT_NE(stream.end(), std::search(stream.begin(), stream.end(), stuffed, stuffed + 2)) << "stuffing is met";
    for (size_t spare : {(size_t)1 << 20, (size_t)2, (size_t)9, (size_t)100, (size_t)511, (size_t)600})
        for (auto coder : {JpgEncodeBlockMmx, JpgEncodeBlockSse, JpgEncodeBlockSse2}) {
            Output packed((int)(stream.size() + spare));
            int16_t predictor = 0;
            for (const std::vector<int16_t> &b : blocks)
                ASSERT_EQ(0, coder(&packed.out, &dc, &ac, &predictor, b.data())) << "spare " << spare;
            ASSERT_EQ(0, JpgWriteBytesMmx(nullptr, 0, &packed.out)) << "spare " << spare;
            JpgClearMmxState();
            EXPECT_EQ(stream, packed.Written()) << "spare " << spare;
        }
}

TEST(JpegSimdBlockCoder, PackedCodersWriteSmallAndLargeValuesAfterEveryRun)
{
    // Most coded values are small and take another way to their code than
    // the rest: each value about the border between the two, and the
    // largest in both signs, after every run from none to past sixteen
    // zeros, under several tables.
    const int values[] = {-1023, -33, -32, -31, -2, -1, 1, 2, 31, 32, 33, 1023};
    std::vector<std::vector<int16_t>> blocks;
    for (int run = 0; run <= 20; run++)
        for (int value : values) {
            std::vector<int16_t> b(64, 0);
            b[0] = (int16_t)value;
            b[JpgNaturalOrder[1 + run]] = (int16_t)value;
            b[JpgNaturalOrder[63]] = (int16_t)-value;
            blocks.push_back(b);
        }
    std::mt19937 random(5009);
    for (int seed = 0; seed < 4; seed++) {
        RandomHuffmanTables tables;
        ASSERT_TRUE(MakeRandomHuffmanTables(random, &tables));
        const JpgHuffTable &dc = tables.dcEncode, &ac = tables.acEncode;
        std::vector<uint8_t> stream = GenericStream(blocks, dc, ac);
        for (auto coder : {JpgEncodeBlockMmx, JpgEncodeBlockSse, JpgEncodeBlockSse2}) {
            Output packed((int)stream.size() + 4096);
            int16_t predictor = 0;
            for (size_t i = 0; i < blocks.size(); i++)
                ASSERT_EQ(0, coder(&packed.out, &dc, &ac, &predictor, blocks[i].data())) << "block " << i;
            ASSERT_EQ(0, JpgWriteBytesMmx(nullptr, 0, &packed.out));
            JpgClearMmxState();
            EXPECT_EQ(stream, packed.Written()) << "tables " << seed;
        }
    }
}

TEST(JpegSimdBlockCoder, BlockCodedInPlaceHandsItsPendingBitsToTheCheckedWriter)
{
    // A block coded in place may leave more bits pending than the checked
    // writer takes at once: with room for exactly one block in place, the
    // second block of each pair goes the checked way with whatever the
    // first one left.
    std::mt19937 random(4631);
    RandomHuffmanTables tables;
    ASSERT_TRUE(MakeRandomHuffmanTables(random, &tables));
    const JpgHuffTable &dc = tables.dcEncode, &ac = tables.acEncode;
    // Every fourth block is sparse, so that a pair fits the small buffer.
    std::vector<std::vector<int16_t>> blocks = BaselineCoefficientBlocks(random, 1600);
    for (auto coder : {JpgEncodeBlockMmx, JpgEncodeBlockSse, JpgEncodeBlockSse2}) {
        bool overThirtyTwo = false;
        for (size_t i = 0; i + 4 < blocks.size(); i += 4) {
            std::vector<std::vector<int16_t>> pair = {blocks[i], blocks[i + 4]};
            std::vector<uint8_t> stream = GenericStream(pair, dc, ac);
            Output packed(512);
            int16_t predictor = 0;
            ASSERT_EQ(0, coder(&packed.out, &dc, &ac, &predictor, pair[0].data()));
            overThirtyTwo |= packed.out.pendingBits > 32;
            ASSERT_EQ(0, coder(&packed.out, &dc, &ac, &predictor, pair[1].data())) << "pair " << i;
            ASSERT_EQ(0, JpgWriteBytesMmx(nullptr, 0, &packed.out));
            JpgClearMmxState();
            ASSERT_EQ(stream, packed.Written()) << "pair " << i;
        }
        if (coder == JpgEncodeBlockMmx) {
            EXPECT_TRUE(overThirtyTwo) << "a first block left more than 32 bits pending";
        }
    }
}

// One block through the coder a processor type's table gives it, into a
// buffer of the given size.
int CodeBlockOnType(void (*fill)(JpgDispatch *), const JpgHuffTable &dc, const JpgHuffTable &ac,
                    const int16_t *block, int size)
{
    JpgDispatch dispatch;
    memset(&dispatch, 0, sizeof dispatch);
    fill(&dispatch);
    JpgEncodeBlockRoutine coder = dispatch.huff_encode_block;
    Output output(size);
    int16_t predictor = 0;
    int result = coder(&output.out, &dc, &ac, &predictor, block);
    dispatch.mmx_state_clear();
    return result;
}

TEST(JpegSimdBlockCoder, EveryTypeRefusesABlockItsTablesCannotCode)
{
    // Its extra bits without a code would be a stream no decoder reads
    // back. Each case codes one block, with room to code it in place and
    // near the end of a small buffer.
    struct Type {
        int number;
        void (*fill)(JpgDispatch *);
    };
    const Type types[] = {{0, JpgFillDispatchGeneric},
                          {3, JpgFillDispatchMmx},
                          {4, JpgFillDispatchMmxFamily6},
                          {5, JpgFillDispatchSse},
                          {6, JpgFillDispatchSse2}};
    std::mt19937 random(2718);

    // Caller tables may lack a symbol a picture needs. Every DC size to 11
    // and every AC run and size to 10, but the one left out.
    auto build = [&random](bool dcTable, int leftOut, JpgHuffTable *table) {
        uint32_t counts[257] = {};
        for (int symbol = 0; symbol < 256; symbol++)
            if (dcTable ? symbol < 12 : symbol == 0 || symbol == 0xF0 || ((symbol & 15) >= 1 && (symbol & 15) <= 10))
                counts[symbol] = symbol == leftOut ? 0 : 1 + random() % 1000;
        uint8_t bits[16], values[256];
        return JpgGenOptimalTable(counts, bits, values) > 0 && JpgBuildEncodeTable(bits, values, table) == 0;
    };
    struct Case {
        const char *name;
        bool dcTable;
        int symbol;
        int zigzag, value; // the one AC coefficient, none at zigzag 0
        int dc;
    };
    const Case cases[] = {
        {"AC run 2 size 3", false, 0x23, 3, -5, 7},
        {"AC run 15 size 10", false, 0xFA, 16, 1023, 7},
        {"DC size 5", true, 5, 1, 1, 20},
        {"DC size 0", true, 0, 1, 1, 0},
        {"end of block", false, 0x00, 1, 1, 7},
        {"sixteen zeros", false, 0xF0, 40, 2, 7},
    };
    for (const Case &c : cases)
        for (const Type &type : types)
            for (int size : {4096, 64})
                for (bool complete : {true, false}) {
                    SCOPED_TRACE(testing::Message() << c.name << ", type " << type.number << ", buffer "
                                                    << size << (complete ? ", complete" : ""));
                    JpgHuffTable dc, ac;
                    ASSERT_TRUE(build(true, complete || !c.dcTable ? -1 : c.symbol, &dc));
                    ASSERT_TRUE(build(false, complete || c.dcTable ? -1 : c.symbol, &ac));
                    int16_t block[64] = {};
                    block[0] = (int16_t)c.dc;
                    block[JpgNaturalOrder[c.zigzag]] = (int16_t)c.value;
                    EXPECT_EQ(complete ? 0 : JPG_ERR_BAD_HUFFMAN, CodeBlockOnType(type.fill, dc, ac, block, size));
                }

    // -32768 among a caller's coefficients has size 16, which no symbol
    // holds; after 14 or 15 zeros its run and size would read as a run of
    // sixteen zeros, a stream that decodes to other values.
    RandomHuffmanTables tables;
    ASSERT_TRUE(MakeRandomHuffmanTables(random, &tables));
    for (int run : {0, 14, 15})
        for (int size : {4096, 64}) {
            int16_t block[64] = {};
            block[JpgNaturalOrder[1 + run]] = -32768;
            for (const Type &type : types)
                EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, CodeBlockOnType(type.fill, tables.dcEncode, tables.acEncode, block, size))
                    << "-32768 after run " << run << ", type " << type.number << ", buffer " << size;
            Output progressive(size);
            EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, JpgEncodeAcFirst(&progressive.out, &tables.acEncode, block, 1, 63, 0))
                << "first AC scan, run " << run;
        }
}

TEST(JpegSimdBlockCoder, NonZeroMapMarksZigzagPositions)
{
    for (auto map : {JpgNonZeroMapMmx, JpgNonZeroMapSse2}) {
        int16_t block[64] = {};
        EXPECT_EQ(0u, map(block));
        // Natural position 8 (row 1, column 0) is zigzag position 2; 63 is 63.
        block[8] = -1;
        block[63] = 5;
        EXPECT_EQ((uint64_t)1 << 2 | (uint64_t)1 << 63, map(block));
        JpgClearMmxState();
    }
}

TEST(JpegSimdBlockCoder, NonZeroMapHoldsEveryValueAtEveryPosition)
{
    // Narrowing a coefficient to a byte must keep it non-zero (a truncating
    // step drops 256 or -512), and each column's bit must land on its own
    // zigzag position.
    const int16_t values[] = {1, -1, 127, -128, 128, -129, 255, 256, -256, 512, -512, 768, -768, 1023, -1024};
    for (auto map : {JpgNonZeroMapMmx, JpgNonZeroMapSse2})
        for (int16_t value : values)
            for (int zigzag = 1; zigzag < 64; zigzag++) {
                int16_t block[64] = {};
                block[0] = value;
                block[JpgNaturalOrder[zigzag]] = value;
                EXPECT_EQ((uint64_t)1 << zigzag | 1, map(block)) << value << " at " << zigzag;
                JpgClearMmxState();
            }
}

} // namespace

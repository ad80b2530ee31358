// The packed block coders and their 64-bit bit writer against the generic
// coder: the same entropy-coded bytes for the same blocks.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

#include "jpeg_encoder.h"
#include "simd/jpeg_simd.h"

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

// Tables with codes of many lengths, from random symbol counts, so that
// long all-ones codes and 0xFF bytes come up often.
void MakeTables(std::mt19937 &random, JpgHuffTable *dc, JpgHuffTable *ac)
{
    uint32_t dcCounts[257] = {}, acCounts[257] = {};
    for (int s = 0; s < 12; s++)
        dcCounts[s] = 1 + random() % 1000;
    acCounts[0x00] = 1 + random() % 5000;
    acCounts[0xF0] = 1 + random() % 100;
    for (int run = 0; run < 16; run++)
        for (int size = 1; size <= 10; size++)
            acCounts[run << 4 | size] = 1 + random() % (run < 3 ? 3000 : 40);
    uint8_t bits[16], values[256];
    ASSERT_GT(JpgGenOptimalTable(dcCounts, bits, values), 0);
    ASSERT_EQ(0, JpgBuildEncodeTable(bits, values, dc));
    ASSERT_GT(JpgGenOptimalTable(acCounts, bits, values), 0);
    ASSERT_EQ(0, JpgBuildEncodeTable(bits, values, ac));
}

// Sparse blocks with long zero runs, blocks full to the last coefficient,
// and the extreme values a baseline quantiser lets through.
std::vector<std::vector<int16_t>> CoefficientBlocks(std::mt19937 &random)
{
    std::vector<std::vector<int16_t>> blocks;
    for (int n = 0; n < 400; n++) {
        std::vector<int16_t> b(64, 0);
        int kind = n % 4;
        b[0] = (int16_t)((int)(random() % 2047) - 1023);
        for (int i = 1; i < 64; i++) {
            bool set = kind == 0 ? random() % 20 == 0 : kind == 1 ? random() % 2 == 0 : kind == 2;
            if (set)
                b[i] = (int16_t)((int)(random() % 2047) - 1023);
        }
        if (kind == 3)
            b[63] = (int16_t)(n & 1 ? 1023 : -1023);
        blocks.push_back(b);
    }
    return blocks;
}

TEST(JpegSimdBlockCoder, PackedCodersWriteTheGenericCodersBytes)
{
    std::mt19937 random(134);
    JpgHuffTable dc, ac;
    MakeTables(random, &dc, &ac);
    std::vector<std::vector<int16_t>> blocks = CoefficientBlocks(random);
    const int size = 1 << 20;
    Output generic(size);
    int16_t predictor = 0;
    for (const std::vector<int16_t> &b : blocks)
        ASSERT_EQ(0, JpgEncodeBlock(&generic.out, &dc, &ac, &predictor, b.data()));
    ASSERT_EQ(0, JpgWriteBytes(nullptr, 0, &generic.out));
    std::vector<uint8_t> stream = generic.Written();
    const uint8_t stuffed[2] = {0xFF, 0x00};
    ASSERT_NE(stream.end(), std::search(stream.begin(), stream.end(), stuffed, stuffed + 2)) << "stuffing is met";
    for (auto coder : {JpgEncodeBlockMmx, JpgEncodeBlockSse}) {
        Output packed(size);
        predictor = 0;
        for (const std::vector<int16_t> &b : blocks)
            ASSERT_EQ(0, coder(&packed.out, &dc, &ac, &predictor, b.data()));
        ASSERT_EQ(0, JpgWriteBytesMmx(nullptr, 0, &packed.out));
        JpgClearMmxState();
        EXPECT_EQ(generic.Written(), packed.Written());
    }
}

TEST(JpegSimdBlockCoder, NonZeroMapMarksZigzagPositions)
{
    int16_t block[64] = {};
    EXPECT_EQ(0u, JpgNonZeroMapMmx(block));
    // Natural position 8 (row 1, column 0) is zigzag position 2; 63 is 63.
    block[8] = -1;
    block[63] = 5;
    EXPECT_EQ((uint64_t)1 << 2 | (uint64_t)1 << 63, JpgNonZeroMapMmx(block));
    JpgClearMmxState();
}

} // namespace

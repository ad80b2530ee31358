// Huffman tables from BITS/HUFFVAL, quality scaling and quantisation tables.
#include <gtest/gtest.h>

#include <cmath>

#include "jpeg_decoder.h"

namespace {

TEST(JpegTables, ShortCodesFillTheLookahead)
{
    // Codes: 0 (length 1, symbol 7), 10 (length 2, symbol 3), 110 (length 3, symbol 9).
    uint8_t bits[16] = {1, 1, 1};
    uint8_t values[3] = {7, 3, 9};
    JpgHuffTable table;
    ASSERT_EQ(0, JpgBuildDecodeTable(bits, values, JPG_CLASS_AC, 2, &table));
    EXPECT_EQ(1, table.tableClass);
    EXPECT_EQ(2, table.identifier);
    for (int i = 0; i < 128; i++)
        ASSERT_EQ((1u << 16) | 7, table.lookahead[i]) << i;
    for (int i = 128; i < 192; i++)
        ASSERT_EQ((2u << 16) | 3, table.lookahead[i]) << i;
    for (int i = 192; i < 224; i++)
        ASSERT_EQ((3u << 16) | 9, table.lookahead[i]) << i;
    for (int i = 224; i < 256; i++)
        ASSERT_EQ(0u, table.lookahead[i]) << i;
    EXPECT_EQ(0, table.maxCode[1]);
    EXPECT_EQ(2, table.maxCode[2]);
    EXPECT_EQ(6, table.maxCode[3]);
    EXPECT_EQ(-1, table.maxCode[4]);
    EXPECT_EQ(-1, table.maxCode[17]);
}

TEST(JpegTables, NoCodesGiveAnEmptyTable)
{
    uint8_t bits[16] = {};
    JpgHuffTable table;
    ASSERT_EQ(0, JpgBuildDecodeTable(bits, nullptr, JPG_CLASS_DC, 0, &table));
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(0u, table.lookahead[i]);
    for (int length = 1; length <= 17; length++)
        EXPECT_EQ(-1, table.maxCode[length]);
}

TEST(JpegTables, TablesThatNoEncoderCanMakeAreRefused)
{
    uint8_t values[256] = {};
    uint8_t tooMany[16] = {};
    tooMany[15] = 255;
    tooMany[14] = 2;
    uint8_t overflowing[16] = {3}; // three codes of one bit
    uint8_t allOnes[16] = {2}; // "0" and "1": no room left for longer codes
    JpgHuffTable table;
    EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, JpgBuildDecodeTable(tooMany, values, 0, 0, &table));
    EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, JpgBuildDecodeTable(overflowing, values, 0, 0, &table));
    EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, JpgBuildDecodeTable(allOnes, values, 0, 0, &table));
    EXPECT_EQ(JPG_ERR_BAD_HUFFMAN, JpgBuildEncodeTable(tooMany, values, &table));
    uint8_t full[16] = {0, 0, 0, 0, 0, 0, 0, 255}; // 255 codes of eight bits fit
    EXPECT_EQ(0, JpgBuildDecodeTable(full, values, 0, 0, &table));
}

TEST(JpegTables, EncodeTableGivesEachSymbolItsCode)
{
    uint8_t bits[16] = {0, 2, 1};
    uint8_t values[3] = {0x11, 0x00, 0xF0};
    JpgHuffTable table;
    ASSERT_EQ(0, JpgBuildEncodeTable(bits, values, &table));
    EXPECT_EQ(2u, table.codeLength[0x11]);
    EXPECT_EQ(0, table.code[0x11]);
    EXPECT_EQ(2u, table.codeLength[0x00]);
    EXPECT_EQ(1, table.code[0x00]);
    EXPECT_EQ(3u, table.codeLength[0xF0]);
    EXPECT_EQ(4, table.code[0xF0]);
    EXPECT_EQ(0u, table.codeLength[0x01]);
}

TEST(JpegTables, QualityScalesTheBaseTable)
{
    uint8_t out[64];
    JpgScaleQuantTable(50, JpgStdLuminanceQuant, out);
    EXPECT_EQ(0, memcmp(out, JpgStdLuminanceQuant, 64));
    for (int quality : {100, 101, 1000}) {
        JpgScaleQuantTable(quality, JpgStdLuminanceQuant, out);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(1, out[i]) << quality;
    }
    JpgScaleQuantTable(1, JpgStdLuminanceQuant, out);
    EXPECT_EQ(255, out[0]); // 16 x 50 clamped
    JpgScaleQuantTable(0, JpgStdChrominanceQuant, out);
    EXPECT_EQ(255, out[0]);
    JpgScaleQuantTable(75, JpgStdLuminanceQuant, out);
    EXPECT_EQ(8, out[0]); // (50 x 16 + 50) / 100
    EXPECT_EQ(50, out[63]);
}

TEST(JpegTables, QuantTablesArePreparedInNaturalOrder)
{
    int16_t table[80];
    for (int k = 0; k < 64; k++)
        table[k] = (int16_t)(k + 1);
    for (int k = 64; k < 80; k++)
        table[k] = 99;
    JpgPrepareQuantTableInteger(table);
    for (int k = 0; k < 64; k++)
        ASSERT_EQ(k + 1, table[JpgNaturalOrder[k]]);
    for (int k = 64; k < 80; k++)
        ASSERT_EQ(0, table[k]);

    for (int k = 0; k < 64; k++)
        table[k] = 10;
    JpgPrepareQuantTableAan(table);
    EXPECT_EQ(2560, table[0]) << "position (0,0) holds 256 q";
    // The fast transform's scale of position (1,1): (sqrt 2 cos(pi/16))^2 / 8,
    // with 2048 as its 1.
    const double cos1 = std::cos(3.14159265358979323846 / 16);
    EXPECT_EQ((int16_t)(uint16_t)(int)(200 * (2 * cos1 * cos1 / 8) * 2048 + 0.5), [&] {
        int16_t t[80] = {};
        t[4] = 200; // zigzag 4 is natural (1,1)
        JpgPrepareQuantTableAan(t);
        return t[9];
    }()) << "a scaled value past 32767 keeps its low 16 bits";
}

TEST(JpegTables, NaturalOrderEndsInGuardEntries)
{
    EXPECT_EQ(8, JpgNaturalOrder[2]);
    EXPECT_EQ(63, JpgNaturalOrder[63]);
    for (int k = 64; k < 80; k++)
        EXPECT_EQ(63, JpgNaturalOrder[k]);
}

} // namespace

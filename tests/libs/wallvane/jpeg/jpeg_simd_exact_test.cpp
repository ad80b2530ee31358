// Packed routines that must give exactly what other packed routines give:
// forms that do in one pass or in wider registers what the MMX forms do in
// steps, so that every processor type codes and decodes the same bytes.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "jpeg_decoder.h"
#include "jpeg_encoder.h"
#include "jpeg_simd.h"

namespace {

// Level-shifted sample blocks: photograph-like noise, the extremes, and
// stripes and checkerboards whose transforms pass the quantiser's limit of
// 8191.
std::vector<std::vector<int16_t>> ForwardSampleBlocks()
{
    std::mt19937 random(46);
    std::vector<std::vector<int16_t>> blocks;
    for (int n = 0; n < 300; n++) {
        std::vector<int16_t> b(64);
        int base = (int)(random() % 256), noise = 1 + (int)(random() % (n % 3 ? 40 : 256));
        for (int i = 0; i < 64; i++) {
            int v = base + (int)(random() % noise) - noise / 2;
            b[i] = (int16_t)((v < 0 ? 0 : v > 255 ? 255 : v) - 128);
        }
        blocks.push_back(b);
    }
    for (int pattern = 0; pattern < 4; pattern++)
        for (int sign : {1, -1}) {
            std::vector<int16_t> b(64);
            for (int i = 0; i < 64; i++) {
                int row = i >> 3, column = i & 7;
                bool high = pattern == 0   ? ((row + column) & 1)
                            : pattern == 1 ? (column & 1)
                            : pattern == 2 ? (column < 4)
                                           : true;
                b[i] = (int16_t)(high == (sign > 0) ? 127 : -128);
            }
            blocks.push_back(b);
        }
    return blocks;
}

// Reciprocal tables of the fast method from low to top quality (quantiser 1
// gives the largest reciprocals).
std::vector<std::vector<int16_t>> AanReciprocalTables()
{
    std::vector<std::vector<int16_t>> tables;
    for (int quality : {25, 75, 92, 100})
        for (const uint8_t *standard : {JpgStdLuminanceQuant, JpgStdChrominanceQuant}) {
            uint8_t scaled[64];
            JpgScaleQuantTable(quality, standard, scaled);
            std::vector<int16_t> t(64 + 8, 0);
            for (int k = 0; k < 64; k++)
                t[k] = scaled[k];
            JpgMakeQuantReciprocalsAan(t.data());
            tables.push_back(t);
        }
    return tables;
}

// Reciprocal tables of the integer method: the standard tables from the
// coarsest quality to quantiser 1 everywhere (reciprocal 32768, which is
// negative as a 16-bit value), and tables of random quantisers, whose
// reciprocals are often odd.
std::vector<std::vector<int16_t>> IntegerReciprocalTables()
{
    std::vector<std::vector<int16_t>> tables;
    std::mt19937 random(48);
    for (int quality : {1, 25, 75, 92, 100, -1, -2})
        for (const uint8_t *standard : {JpgStdLuminanceQuant, JpgStdChrominanceQuant}) {
            uint8_t scaled[64];
            if (quality > 0)
                JpgScaleQuantTable(quality, standard, scaled);
            std::vector<int16_t> t(64 + 8, 0);
            for (int k = 0; k < 64; k++)
                t[k] = quality > 0 ? scaled[k] : (int16_t)(1 + random() % 255);
            JpgMakeQuantReciprocalsInteger(t.data());
            tables.push_back(t);
        }
    return tables;
}

// Every block under every table through the pair (transform, then
// quantiser) and through the one-pass routine; neither the block nor the
// table need be 16-byte aligned.
void ExpectOnePassGivesThePair(const std::vector<std::vector<int16_t>> &blocks,
                               const std::vector<std::vector<int16_t>> &tables, void (*transform)(int16_t *),
                               void (*quantize)(int16_t *, const int16_t *),
                               void (*onePass)(int16_t *, const int16_t *))
{
    int n = 0;
    for (const std::vector<int16_t> &samples : blocks)
        for (const std::vector<int16_t> &reciprocals : tables) {
            alignas(16) int16_t expected[64], space[64 + 8], tableSpace[64 + 8];
            int16_t *block = space + (n & 3), *table = tableSpace + ((n >> 2) & 1);
            n++;
            memcpy(table, reciprocals.data(), 64 * sizeof(int16_t));
            memcpy(expected, samples.data(), sizeof expected);
            memcpy(block, samples.data(), sizeof expected);
            transform(expected);
            quantize(expected, table);
            onePass(block, table);
            JpgClearMmxState();
            for (int i = 0; i < 64; i++)
                ASSERT_EQ(expected[i], block[i]) << "block " << n << " at " << i;
        }
}

} // namespace

// The fused form must give the pair's coefficients for any 16-bit input,
// since a caller's planes of samples reach the transform unchecked: besides
// pictures' samples, blocks of random values over the whole range, which
// saturate the transform's sums.
TEST(JpegSimdExact, IntegerForwardTransformAndQuantizerInOnePassGiveThePairsCoefficients)
{
    std::vector<std::vector<int16_t>> blocks = ForwardSampleBlocks(), tables = IntegerReciprocalTables();
    std::mt19937 random(49);
    for (int n = 0; n < 40; n++) {
        std::vector<int16_t> b(64);
        for (int i = 0; i < 64; i++)
            b[i] = (int16_t)(n < 20 ? random() % 65536 - 32768 : (i & 1 ? 32767 : -32768));
        blocks.push_back(b);
    }
    ExpectOnePassGivesThePair(blocks, tables, JpgFdctIntegerSse2, JpgQuantizeIntegerSse2, JpgFdctQuantizeIntegerSse2);
}

TEST(JpegSimdExact, FastForwardTransformAndQuantizerInOnePassGiveTheMmxCoefficients)
{
    ExpectOnePassGivesThePair(ForwardSampleBlocks(), AanReciprocalTables(), JpgFdctAanMmx, JpgQuantizeAanMmx,
                              JpgFdctQuantizeAanSse2);
}

// The MMX fast quantiser over the whole 16-bit range: each coefficient held
// to -8192..8191 first, then the generic rounding, then held to what a
// baseline table codes (-1024 for the DC coefficient, -1023 for the rest,
// up to 1023).
TEST(JpegSimdExact, FastQuantizerLimitsEveryCoefficientBeforeScaling)
{
    std::mt19937 random(47);
    const int edges[] = {-32768, -32767, -16385, -16384, -9000, -8193, -8192, -8191, -1, 0, 1,
                         8190,   8191,   8192,   9000,   16383, 16384, 32766,  32767};
    const int edgeCount = sizeof edges / sizeof edges[0];
    for (const std::vector<int16_t> &reciprocals : AanReciprocalTables())
        for (int n = 0; n < 40; n++) {
            int16_t expected[64], block[64];
            for (int i = 0; i < 64; i++) {
                int c = n < 2 ? edges[(i + 7 * n) % edgeCount] : (int)(random() % 65536) - 32768;
                block[i] = (int16_t)c;
                expected[i] = (int16_t)(c < -8192 ? -8192 : c > 8191 ? 8191 : c);
            }
            JpgQuantizeAan(expected, reciprocals.data());
            for (int i = 0; i < 64; i++) {
                int low = i == 0 ? -1024 : -1023;
                expected[i] = (int16_t)(expected[i] < low ? low : expected[i] > 1023 ? 1023 : expected[i]);
            }
            JpgQuantizeAanMmx(block, reciprocals.data());
            JpgClearMmxState();
            for (int i = 0; i < 64; i++)
                ASSERT_EQ(expected[i], block[i]) << "block " << n << " at " << i;
        }
}

namespace {

// A quantised block of one kind: the DC alone (up to the 16-bit extremes),
// the first row alone, coefficients in the upper rows, or anywhere.
std::vector<int16_t> CoefficientBlock(std::mt19937 &random, int kind)
{
    std::vector<int16_t> c(64, 0);
    const int16_t extremes[] = {-32768, -2048, -1, 0, 1, 1023, 32767};
    c[0] = random() % 4 == 0 ? extremes[random() % 7] : (int16_t)((int)(random() % 256) - 128);
    int used = kind == 0 ? 1 : kind == 1 ? 8 : kind == 2 ? 32 : 64;
    int range = random() % 5 == 0 ? 65536 : 64;
    for (int i = 1; i < used; i++)
        if (random() % 3 == 0)
            c[i] = (int16_t)((int)(random() % range) - range / 2);
    return c;
}

} // namespace

// Every mix of block kinds over the three components (each chroma block
// with or without AC apart), aligned and not, with quantisers small and
// large enough to saturate: the one-pass 1 x 1 routines write the bytes of
// the dequantising transform followed by the 1 x 1 kernel, and nothing else.
TEST(JpegSimdExact, OnePassCoefficientsToColoursWriteTheTransformAndKernelBytes)
{
    typedef void (*OnePass)(int16_t *, const int16_t *const *, uint8_t *, ptrdiff_t);
    typedef void (*Kernel)(const int16_t *, const int16_t *, const int16_t *, uint8_t *, ptrdiff_t);
    const OnePass onePass[] = {JpgDequantIdctYccToRgb1x1Sse2, JpgDequantIdctYccToBgr1x1Sse2};
    const Kernel kernel[] = {JpgYccToRgb1x1Sse2, JpgYccToBgr1x1Sse2};
    std::mt19937 random(1101);
    const ptrdiff_t step = 8 * 3 + 5;
    for (int bgr = 0; bgr < 2; bgr++)
        for (int n = 0; n < 64 * 12; n++) {
            alignas(16) int16_t tableSpace[3][64 + 8];
            const int16_t *tables[3];
            for (int c = 0; c < 3; c++) {
                int16_t *table = tableSpace[c] + (n / 64) % 2;
                for (int i = 0; i < 64; i++)
                    table[i] = (int16_t)(n % 7 == 0 ? 1 + random() % 32767 : 1 + random() % 100);
                tables[c] = table;
            }
            alignas(16) int16_t expectedSpace[3 * 64 + 8], gotSpace[3 * 64 + 8];
            int offset = n % 2;
            int16_t *expected = expectedSpace + offset, *got = gotSpace + offset;
            for (int c = 0; c < 3; c++) {
                std::vector<int16_t> block = CoefficientBlock(random, (n >> (2 * c)) & 3);
                memcpy(expected + 64 * c, block.data(), 64 * sizeof(int16_t));
            }
            memcpy(got, expected, 3 * 64 * sizeof(int16_t));
            std::vector<uint8_t> expectedDib(step * 8, 0xA5), gotDib(step * 8, 0xA5);
            for (int c = 0; c < 3; c++)
                JpgDequantIdctIntegerSse2(expected + 64 * c, tables[c]);
            kernel[bgr](expected, expected + 64, expected + 128, expectedDib.data(), step);
            onePass[bgr](got, tables, gotDib.data(), step);
            ASSERT_EQ(expectedDib, gotDib) << (bgr ? "BGR" : "RGB") << ", case " << n;
        }
}

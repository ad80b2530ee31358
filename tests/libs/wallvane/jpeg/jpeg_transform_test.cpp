// Inverse transforms, dequantisation and MCU clipping on chosen values.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "jpeg_decoder.h"

namespace {

TEST(JpegTransform, DcOnlyBlockGivesEqualSamplesWithEitherMethod)
{
    for (int d : {-60, -3, 0, 5, 40}) {
        const int q = 16;
        int expected = (int)floor(d * q / 8.0 + 0.5) + 128;
        expected = expected < 0 ? 0 : expected > 255 ? 255 : expected;

        int16_t zigzag[80] = {}, table[80];
        for (int k = 0; k < 64; k++)
            zigzag[k] = q;
        memcpy(table, zigzag, sizeof table);
        JpgPrepareQuantTableInteger(table);
        int16_t block[64] = {(int16_t)d};
        JpgDequantizeInteger(block, table);
        JpgIdctInteger(block);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(expected, block[i]) << "integer, d " << d;

        memcpy(table, zigzag, sizeof table);
        JpgPrepareQuantTableAan(table);
        EXPECT_EQ(256 * q, table[0]);
        int16_t fast[64] = {(int16_t)d};
        JpgDequantizeAan(fast, table);
        JpgIdctAan(fast);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(expected, fast[i]) << "AAN, d " << d;
    }
}

TEST(JpegTransform, OneSampleTransformsLimitAtTheirEdges)
{
    auto aan = [](int v) { int16_t b[64] = {(int16_t)v}; JpgIdctAan1x1(b); return (int)b[0]; };
    auto integer = [](int v) { int16_t b[64] = {(int16_t)v}; JpgIdctInteger1x1(b); return (int)b[0]; };
    EXPECT_EQ(0, aan(-2041));
    EXPECT_EQ(1, aan(-2040));
    EXPECT_EQ(254, aan(2023));
    EXPECT_EQ(255, aan(2024));
    EXPECT_EQ(255, aan(32767));
    EXPECT_EQ(0, integer(-1021));
    EXPECT_EQ(1, integer(-1020));
    EXPECT_EQ(254, integer(1011));
    EXPECT_EQ(255, integer(1012));
}

TEST(JpegTransform, ReducedTransformsIgnoreTheFrequenciesTheyDrop)
{
    int16_t base[64];
    for (int i = 0; i < 64; i++)
        base[i] = (int16_t)((i * 37) % 200 - 100);
    int16_t a[64], b[64];
    memcpy(a, base, sizeof a);
    memcpy(b, base, sizeof b);
    for (int r = 0; r < 8; r++)
        b[8 * r + 4] += 77;
    for (int c = 0; c < 8; c++)
        b[32 + c] -= 55;
    JpgIdctInteger4x4(a);
    JpgIdctInteger4x4(b);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            ASSERT_EQ(a[8 * r + c], b[8 * r + c]);

    memcpy(a, base, sizeof a);
    memcpy(b, base, sizeof b);
    for (int k : {2, 4, 6})
        for (int i = 0; i < 8; i++) {
            b[8 * i + k] += 31;
            b[8 * k + i] -= 19;
        }
    JpgIdctInteger2x2(a);
    JpgIdctInteger2x2(b);
    EXPECT_TRUE(a[0] == b[0] && a[1] == b[1] && a[8] == b[8] && a[9] == b[9]);
}

// The integer transform as written down: both passes in full, in 64 bits,
// with no short cuts.
void PlainIntegerIdct(int16_t *block)
{
    auto transform = [](const long long *x, long long *y) {
        long long h = x[1] * 32138 + x[7] * 6393, f = x[1] * 6393 - x[7] * 32138;
        long long l = x[3] * 27246 + x[5] * 18205, g = x[5] * 27246 - x[3] * 18205;
        long long q0 = ((h + l + 2048) >> 12) * 5793, q3 = ((f + g + 2048) >> 12) * 5793;
        long long q1 = (h - l) + (f - g), q2 = (h - l) - (f - g);
        long long a0 = (x[0] + x[4]) * 32768, a1 = (x[0] - x[4]) * 32768;
        long long w = x[2] * 42813 + x[6] * 17734, b = x[2] * 17734 - x[6] * 42813;
        long long e0 = a0 + w, e3 = a0 - w, e1 = a1 + b, e2 = a1 - b;
        y[0] = e0 + q0, y[7] = e0 - q0, y[1] = e1 + q1, y[6] = e1 - q1;
        y[2] = e2 + q2, y[5] = e2 - q2, y[3] = e3 + q3, y[4] = e3 - q3;
    };
    long long work[64], x[8], y[8];
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 8; c++)
            x[c] = block[8 * r + c];
        transform(x, y);
        for (int c = 0; c < 8; c++)
            work[8 * r + c] = (y[c] + 2048) >> 12;
    }
    for (int c = 0; c < 8; c++) {
        for (int r = 0; r < 8; r++)
            x[r] = work[8 * r + c];
        transform(x, y);
        for (int r = 0; r < 8; r++) {
            long long v = ((y[r] + 1048576) >> 21) + 128;
            block[8 * r + c] = (int16_t)(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

TEST(JpegTransform, IntegerTransformGivesThePlainFormulaWhateverItsShortCuts)
{
    // Sparse and dense blocks, small and large terms: the zero-row and
    // zero-column paths, the reduced column passes and the 32-bit column
    // pass, on both sides of the magnitudes where it hands over to 64 bits.
    unsigned state = 99;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 20000; round++) {
        int16_t block[64] = {}, expected[64];
        int rows = 1 + (int)(next() % 8), columns = 1 + (int)(next() % 8);
        static const int magnitudes[] = {4, 60, 500, 1100, 1500, 4000, 32767};
        int magnitude = magnitudes[next() % 7];
        int density = 1 + (int)(next() % 4);
        for (int r = 0; r < rows; r++)
            for (int c = 0; c < columns; c++)
                if (next() % density == 0)
                    block[8 * r + c] = (int16_t)((int)(next() % (2 * magnitude + 1)) - magnitude);
        if (next() % 3 == 0)
            block[0] = (int16_t)((int)(next() % 2049) - 1024);
        memcpy(expected, block, sizeof block);
        PlainIntegerIdct(expected);
        JpgIdctInteger(block);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(expected[i], block[i]) << "round " << round << " sample " << i;
    }
}

TEST(JpegTransform, HostileCoefficientsSaturateInsteadOfWrapping)
{
    int16_t table[80];
    for (int i = 0; i < 80; i++)
        table[i] = 255;
    int16_t block[64];
    for (int i = 0; i < 64; i++)
        block[i] = i % 2 ? 32767 : -32768;
    JpgDequantizeInteger(block, table);
    EXPECT_EQ(32767, block[1]);
    EXPECT_EQ(-32768, block[0]);
    JpgIdctInteger(block);
    for (int i = 0; i < 64; i++)
        ASSERT_TRUE(block[i] >= 0 && block[i] <= 255);
    for (int i = 0; i < 64; i++)
        block[i] = i % 3 ? 32767 : -32768;
    JpgIdctAan(block);
    for (int i = 0; i < 64; i++)
        ASSERT_TRUE(block[i] >= 0 && block[i] <= 255);
}

TEST(JpegTransform, McuClippingAgainstBitmapAndRegion)
{
    static uint8_t memory[2048];
    uint8_t *dib = memory + 1024, *address;
    JpgRect none = {0, 0, 0, 0}, visible;
    ASSERT_EQ(0, JpgClipMcuToRoi(&none, 16, 16, 1, 0, 3, 60, dib, 20, 10, &address, &visible));
    EXPECT_EQ(dib + 48, address);
    EXPECT_TRUE(visible.left == 0 && visible.top == 0 && visible.right == 4 && visible.bottom == 10);

    JpgRect region = {10, 10, 30, 30};
    ASSERT_EQ(0, JpgClipMcuToRoi(&region, 16, 16, 0, 0, 3, 60, dib, 20, 20, &address, &visible));
    EXPECT_EQ(dib - 30 - 600, address);
    EXPECT_TRUE(visible.left == 10 && visible.top == 10 && visible.right == 16 && visible.bottom == 16);

    JpgRect fromSixteen = {16, 0, 40, 8};
    ASSERT_EQ(0, JpgClipMcuToRoi(&fromSixteen, 8, 8, 1, 0, 3, 72, dib, 24, 8, &address, &visible));
    EXPECT_LE(visible.right, visible.left) << "touching the edge: inside, but nothing visible";
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES,
              JpgClipMcuToRoi(&fromSixteen, 8, 8, 5, 0, 3, 72, dib, 24, 8, &address, &visible));
}

} // namespace

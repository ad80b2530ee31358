// Each per-processor routine against its generic twin, on random and
// edge inputs: exact where the packed form keeps the generic arithmetic,
// within the stated small bounds where it rounds in its own way.
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <vector>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "jpeg_dispatch.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_encoder.h"
#include "jpeg_test_files.h"
#include "jpeg_forced_cpu.h"
#include "jpeg_simd.h"

namespace {

typedef void (*BlockRoutine)(int16_t *);
typedef void (*TableRoutine)(int16_t *, const int16_t *);

struct Named {
    const char *name;
    BlockRoutine routine;
};

// Every MMX routine leaves the registers in use; the tests clear them as
// the codec's end-of-operation hook does.
template <class F>
void Packed(F f)
{
    f();
    JpgClearMmxState();
}

// Sample blocks as photographs have them (a gradient with noise), the
// extremes, and a checkerboard that drives every frequency to its limit.
std::vector<std::vector<int16_t>> SampleBlocks()
{
    std::mt19937 random(30);
    std::vector<std::vector<int16_t>> blocks;
    for (int n = 0; n < 400; n++) {
        std::vector<int16_t> b(64);
        int base = (int)(random() % 256), slope = (int)(random() % 40) - 20, noise = 1 + (int)(random() % 60);
        for (int i = 0; i < 64; i++) {
            int v = base + slope * ((i & 7) + (i >> 3)) / 4 + (int)(random() % noise) - noise / 2;
            b[i] = (int16_t)((v < 0 ? 0 : v > 255 ? 255 : v) - 128);
        }
        blocks.push_back(b);
    }
    for (int v : {-128, 127, 0}) {
        blocks.push_back(std::vector<int16_t>(64, (int16_t)v));
    }
    std::vector<int16_t> board(64);
    for (int i = 0; i < 64; i++)
        board[i] = (((i & 7) + (i >> 3)) & 1) ? 127 : -128;
    blocks.push_back(board);
    return blocks;
}

int MaxDifference(const int16_t *a, const int16_t *b)
{
    int worst = 0;
    for (int i = 0; i < 64; i++)
        worst = std::max(worst, abs(a[i] - b[i]));
    return worst;
}

TEST(JpegSimd, ForwardIntegerTransformsStayWithinTwoOfTheGenericOne)
{
    const Named forms[] = {{"MMX", JpgFdctIntegerMmx}, {"SSE", JpgFdctIntegerSse}, {"SSE2", JpgFdctIntegerSse2}};
    for (const Named &form : forms) {
        int n = 0;
        for (const std::vector<int16_t> &samples : SampleBlocks()) {
            alignas(16) int16_t expected[64], packed[64 + 8];
            memcpy(expected, samples.data(), sizeof expected);
            JpgFdctInteger(expected);
            // Every other run works on a block that is not 16-byte aligned.
            int16_t *block = packed + (n++ & 1);
            memcpy(block, samples.data(), sizeof expected);
            Packed([&] { form.routine(block); });
            ASSERT_LE(MaxDifference(expected, block), 2) << form.name << ", block " << n;
        }
    }
}

TEST(JpegSimd, PackedForwardTransformsGiveOneResult)
{
    // The packed types must write one stream, so their forward transforms
    // agree to the last bit wherever the sums saturate or round; blocks of
    // random samples over the whole range drive every frequency and
    // every row table. A caller's planes of samples reach the transform
    // unchecked, so blocks of any 16-bit values, which saturate the sums of
    // both passes, must agree as well. The 128-bit bodies that 64-bit
    // processors run for the MMX forms are held to the MMX steps too.
    std::vector<std::vector<int16_t>> blocks = SampleBlocks();
    std::mt19937 random(4632);
    for (int n = 0; n < 2400; n++) {
        std::vector<int16_t> b(64);
        for (int16_t &v : b)
            v = (int16_t)(n < 2000 ? (int)(random() % 256) - 128 : (int)(random() % 65536) - 32768);
        blocks.push_back(b);
    }
    struct Pair {
        Named reference, form;
    };
    const Pair pairs[] = {{{"integer MMX", JpgFdctIntegerMmx}, {"integer SSE", JpgFdctIntegerSse}},
                          {{"integer MMX", JpgFdctIntegerMmx}, {"integer SSE2", JpgFdctIntegerSse2}},
                          {{"AAN MMX", JpgFdctAanMmx}, {"AAN SSE2", JpgFdctAanSse2}}};
    int n = 0;
    for (const std::vector<int16_t> &samples : blocks)
        for (const Pair &pair : pairs) {
            alignas(16) int16_t expected[64], packed[64 + 8];
            memcpy(expected, samples.data(), sizeof expected);
            Packed([&] { pair.reference.routine(expected); });
            int16_t *block = packed + (n++ & 1);
            memcpy(block, samples.data(), sizeof expected);
            Packed([&] { pair.form.routine(block); });
            ASSERT_EQ(0, memcmp(expected, block, sizeof expected)) << pair.form.name << ", block " << n / 3;
        }
}

TEST(JpegSimd, InverseIntegerTransformsStayWithinTwoOfTheGenericOne)
{
    const Named forms[] = {{"MMX", JpgIdctIntegerMmx}, {"SSE", JpgIdctIntegerSse}, {"SSE2", JpgIdctIntegerSse2}};
    std::vector<std::vector<int16_t>> inputs;
    // Coefficients of real blocks through a quantiser of 1, 6 and 40, so
    // both fine and coarse steps are met.
    for (const std::vector<int16_t> &samples : SampleBlocks())
        for (int q : {1, 6, 40}) {
            std::vector<int16_t> c(samples);
            JpgFdctInteger(c.data());
            for (int16_t &v : c)
                v = (int16_t)((v >= 0 ? (v + q / 2) / q : -((-v + q / 2) / q)) * q);
            inputs.push_back(c);
        }
    for (int dc : {-1024 * 8, -1000, -3, 0, 7, 1000, 1023 * 8}) {
        std::vector<int16_t> c(64, 0);
        c[0] = (int16_t)dc;
        inputs.push_back(c);
    }
    for (const Named &form : forms)
        for (size_t n = 0; n < inputs.size(); n++) {
            alignas(16) int16_t expected[64], packed[64 + 8];
            memcpy(expected, inputs[n].data(), sizeof expected);
            JpgIdctInteger(expected);
            int16_t *block = packed + (n & 1);
            memcpy(block, inputs[n].data(), sizeof expected);
            Packed([&] { form.routine(block); });
            ASSERT_LE(MaxDifference(expected, block), 2) << form.name << ", input " << n;
            for (int i = 0; i < 64; i++)
                ASSERT_TRUE(block[i] >= 0 && block[i] <= 255) << form.name;
        }
}

// Coefficients in the first rows only, as most blocks of a photograph
// hold them (the SSE2 transform leaves the zero rows out), and full blocks;
// values of real blocks and extremes that saturate the packed steps.
std::vector<std::vector<int16_t>> SparseCoefficientBlocks()
{
    std::mt19937 random(88);
    std::vector<std::vector<int16_t>> blocks;
    for (int rows : {0, 1, 2, 3, 4, 5, 8})
        for (int n = 0; n < 60; n++) {
            std::vector<int16_t> c(64, 0);
            int range = n % 4 == 0 ? 65536 : n % 4 == 1 ? 2048 : 120;
            int used = rows == 0 ? 1 : rows * 8;
            for (int i = 0; i < used; i++)
                if (i == 0 || random() % 3 == 0)
                    c[i] = (int16_t)((int)(random() % range) - range / 2);
            blocks.push_back(c);
        }
    for (int dc : {-32768, -8192, -1, 0, 1, 8191, 32767}) {
        std::vector<int16_t> c(64, 0);
        c[0] = (int16_t)dc;
        blocks.push_back(c);
        c[1] = 1;
        blocks.push_back(c);
    }
    // Rows anywhere, some with their second half zero.
    for (int n = 0; n < 600; n++) {
        std::vector<int16_t> c(64, 0);
        int rows = (int)(random() % 256), range = n % 7 == 0 ? 65536 : 2048;
        for (int i = 0; i < 64; i++)
            if ((rows & (1 << (i / 8))) && !(n % 2 && i % 8 >= 4) && random() % 3 == 0)
                c[i] = (int16_t)((int)(random() % range) - range / 2);
        blocks.push_back(c);
    }
    return blocks;
}

// Each packed form takes shortcuts of its own past zero rows (the 64-bit
// ones also past the zero second half of a row and to a first row alone,
// the SSE2 one with its dequantising entry), and all must give the same
// samples.
TEST(JpegSimd, PackedInverseTransformsGiveTheSameSamplesWithTheirShortcuts)
{
    std::mt19937 random(89);
    std::vector<std::vector<int16_t>> blocks = SparseCoefficientBlocks();
    for (size_t n = 0; n < blocks.size(); n++) {
        alignas(16) int16_t expected[64], space[64 + 8];
        int16_t *block = space + (n & 1);
        memcpy(expected, blocks[n].data(), sizeof expected);
        Packed([&] { JpgIdctIntegerMmx(expected); });
        memcpy(block, blocks[n].data(), sizeof expected);
        Packed([&] { JpgIdctIntegerSse2(block); });
        ASSERT_EQ(0, memcmp(expected, block, sizeof expected)) << "block " << n;
        memcpy(block, blocks[n].data(), sizeof expected);
        Packed([&] { JpgIdctIntegerSse(block); });
        ASSERT_EQ(0, memcmp(expected, block, sizeof expected)) << "SSE, block " << n;

    }
}

// The fast transforms keep about eight bits of their constants and truncate
// their products: unquantised coefficients stray from the generic ones, but
// what a quality-75 quantiser keeps of them, and the samples of the inverse
// transform, stay close.
TEST(JpegSimd, FastTransformsStayCloseToTheGenericOnes)
{
    uint8_t scaled[64];
    JpgScaleQuantTable(75, JpgStdLuminanceQuant, scaled);
    int16_t reciprocals[80] = {}, dequantisers[80] = {};
    for (int k = 0; k < 64; k++)
        reciprocals[k] = dequantisers[k] = scaled[k];
    JpgMakeQuantReciprocalsAan(reciprocals);
    JpgPrepareQuantTableAan(dequantisers);
    int n = 0;
    for (const std::vector<int16_t> &samples : SampleBlocks()) {
        int16_t generic[64], packedSpace[64 + 4];
        int16_t *packed = packedSpace + (n++ & 1);
        memcpy(generic, samples.data(), sizeof generic);
        memcpy(packed, samples.data(), sizeof generic);
        JpgFdctAan(generic);
        Packed([&] { JpgFdctAanMmx(packed); });
        JpgQuantizeAan(generic, reciprocals);
        JpgQuantizeAan(packed, reciprocals);
        ASSERT_LE(MaxDifference(generic, packed), 1) << "quantised coefficients, block " << n;

        memcpy(packed, generic, sizeof generic);
        JpgDequantizeAan(generic, dequantisers);
        JpgDequantizeAan(packed, dequantisers);
        JpgIdctAan(generic);
        Packed([&] { JpgIdctAanMmx(packed); });
        ASSERT_LE(MaxDifference(generic, packed), 2) << "samples, block " << n;
        for (int i = 0; i < 64; i++)
            ASSERT_TRUE(packed[i] >= 0 && packed[i] <= 255);
    }
}

TEST(JpegSimd, FastForwardTransformOfAFlatBlockIsExact)
{
    for (int d : {-128, -1, 0, 1, 127}) {
        int16_t block[64];
        for (int16_t &v : block)
            v = (int16_t)d;
        Packed([&] { JpgFdctAanMmx(block); });
        EXPECT_EQ(64 * d, block[0]);
        for (int i = 1; i < 64; i++)
            ASSERT_EQ(0, block[i]) << "d " << d << " at " << i;
    }
}

// A DC value alone: the packed transform drops the last four bits, where
// the generic one rounds them.
TEST(JpegSimd, FastInverseTransformTruncatesADcAlone)
{
    for (int v = -2100; v <= 2100; v++) {
        int16_t generic[64] = {}, packed[64] = {};
        generic[0] = packed[0] = (int16_t)v;
        JpgIdctAan(generic);
        Packed([&] { JpgIdctAanMmx(packed); });
        int floored = (int)floor(v / 16.0) + 128;
        int expected = floored < 0 ? 0 : floored > 255 ? 255 : floored;
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(expected, packed[i]) << "DC " << v << " at " << i;
        int rounded = (int)floor(v / 16.0 + 0.5) + 128;
        ASSERT_EQ(rounded < 0 ? 0 : rounded > 255 ? 255 : rounded, generic[0]) << "DC " << v;
    }
}

struct NamedTable {
    const char *name;
    TableRoutine routine;
};

// The reciprocal tables of two quality settings and of quantiser 1.
std::vector<std::vector<int16_t>> ReciprocalTables()
{
    std::vector<std::vector<int16_t>> tables;
    for (int quality : {50, 92}) {
        uint8_t scaled[64];
        JpgScaleQuantTable(quality, JpgStdLuminanceQuant, scaled);
        std::vector<int16_t> t(80, 0);
        for (int k = 0; k < 64; k++)
            t[k] = scaled[k];
        JpgMakeQuantReciprocalsInteger(t.data());
        tables.push_back(t);
    }
    std::vector<int16_t> ones(80, 1);
    JpgMakeQuantReciprocalsInteger(ones.data());
    tables.push_back(ones);
    return tables;
}

// The packed integer quantisers drop the lowest bit of the reciprocal, so
// they equal the generic routine given even reciprocals, while |c| < 4096.
TEST(JpegSimd, IntegerQuantizersEqualTheGenericOneWithTheReciprocalMadeEven)
{
    const NamedTable forms[] = {
        {"MMX", JpgQuantizeIntegerMmx}, {"SSE", JpgQuantizeIntegerSse}, {"SSE2", JpgQuantizeIntegerSse2}};
    std::mt19937 random(6);
    for (const NamedTable &form : forms)
        for (const std::vector<int16_t> &table : ReciprocalTables())
            for (int n = 0; n < 200; n++) {
                alignas(16) int16_t expected[64], packed[64 + 8], even[64];
                int16_t *block = packed + (n & 1);
                for (int i = 0; i < 64; i++) {
                    expected[i] = block[i] = (int16_t)((int)(random() % 8191) - 4095);
                    even[i] = (int16_t)(table[i] & ~1);
                }
                if (n == 0)
                    expected[0] = block[0] = -4095;
                JpgQuantizeInteger(expected, even);
                Packed([&] { form.routine(block, table.data()); });
                for (int i = 0; i < 64; i++)
                    ASSERT_EQ(expected[i], block[i]) << form.name << " at " << i << ", reciprocal " << table[i];
            }
}

TEST(JpegSimd, QuantizersHoldResultsToWhatBaselineTablesCode)
{
    const NamedTable forms[] = {{"MMX", JpgQuantizeIntegerMmx},
                                {"SSE", JpgQuantizeIntegerSse},
                                {"SSE2", JpgQuantizeIntegerSse2},
                                {"AAN MMX", JpgQuantizeAanMmx}};
    for (const NamedTable &form : forms) {
        // Quantiser 1 (reciprocal 32768 for the integer forms, 16384 << 1 in
        // the signed AAN form is out of range, so 16384 there: half the value).
        bool aan = form.routine == JpgQuantizeAanMmx;
        std::vector<int16_t> table(80, (int16_t)(aan ? 16384 : -32768));
        int16_t block[64];
        for (int i = 0; i < 64; i++)
            block[i] = (int16_t)(i & 1 ? -4000 : 4000);
        Packed([&] { form.routine(block, table.data()); });
        EXPECT_EQ(1023, block[0]) << form.name;
        for (int i = 1; i < 64; i++)
            ASSERT_EQ(i & 1 ? -1023 : 1023, block[i]) << form.name << " at " << i;
        block[0] = -4000;
        Packed([&] { form.routine(block, table.data()); });
        EXPECT_EQ(-1024, block[0]) << form.name << ": the DC coefficient reaches -1024";
    }
}

TEST(JpegSimd, AanQuantizerLimitsCoefficientsBeforeScaling)
{
    std::vector<int16_t> table(80, 0);
    for (int k = 0; k < 64; k++)
        table[k] = (int16_t)(1 + k);
    JpgMakeQuantReciprocalsAan(table.data());
    std::mt19937 random(3);
    for (int n = 0; n < 300; n++) {
        int16_t expected[64], block[64];
        for (int i = 0; i < 64; i++)
            expected[i] = block[i] = (int16_t)((int)(random() % 16383) - 8191);
        JpgQuantizeAan(expected, table.data());
        Packed([&] { JpgQuantizeAanMmx(block, table.data()); });
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(expected[i], block[i]) << "inside the limits the results agree, at " << i;
    }
    int16_t limited[64], big[64];
    for (int i = 0; i < 64; i++) {
        limited[i] = 8191;
        big[i] = 9000;
    }
    Packed([&] {
        JpgQuantizeAanMmx(limited, table.data());
        JpgQuantizeAanMmx(big, table.data());
    });
    EXPECT_EQ(0, memcmp(limited, big, sizeof big));
}

TEST(JpegSimd, DequantizersGiveExactlyTheGenericProducts)
{
    const NamedTable forms[] = {{"MMX", JpgDequantizeIntegerMmx}, {"SSE2", JpgDequantizeIntegerSse2}};
    std::mt19937 random(62);
    for (const NamedTable &form : forms)
        for (int n = 0; n < 300; n++) {
            alignas(16) int16_t expected[64], packed[64 + 8], tableSpace[80 + 8];
            int16_t *block = packed + (n & 1), *table = tableSpace + ((n >> 1) & 1);
            for (int i = 0; i < 64; i++) {
                // Every third run uses hostile values whose products leave 16 bits.
                int range = n % 3 ? 2048 : 65536;
                expected[i] = block[i] = (int16_t)((int)(random() % range) - range / 2);
                table[i] = (int16_t)(1 + random() % (n % 3 ? 255 : 32767));
            }
            JpgDequantizeInteger(expected, table);
            Packed([&] { form.routine(block, table); });
            for (int i = 0; i < 64; i++)
                ASSERT_EQ(expected[i], block[i]) << form.name << " at " << i;
        }
}

// Decoder colour kernels: one MCU of samples into a bitmap whose rows are
// longer than the MCU, so that a kernel writing past its pixels shows.
typedef void (*ColourOut)(const int16_t *, const int16_t *, const int16_t *, uint8_t *, ptrdiff_t);

struct OutForm {
    const char *name;
    ColourOut generic, packed;
    int width, height, bytes;
    bool fourth; // a fourth component follows the chroma, sampled as the luminance
    bool exact; // no arithmetic: the packed kernel writes the generic one's bytes
};

// Kernels of one or four components in the three-component form: the
// fourth component is read where the MCU layout puts it.
template <JpgGrayOutKernel Kernel>
void AsThree(const int16_t *luma, const int16_t *, const int16_t *, uint8_t *dib, ptrdiff_t step)
{
    Kernel(luma, dib, step);
}

template <JpgFourChannelOutKernel Kernel, int LumaSamples>
void AsThree(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step)
{
    Kernel(luma, cb, cr, luma + LumaSamples + 128, dib, step);
}

const OutForm OutForms[] = {
    {"RGB 1x1 MMX", JpgYccToRgb1x1, JpgYccToRgb1x1Mmx, 8, 8, 3},
    {"BGR 1x1 MMX", JpgYccToBgr1x1, JpgYccToBgr1x1Mmx, 8, 8, 3},
    {"RGBA 1x1 MMX", JpgYccToRgba1x1, JpgYccToRgba1x1Mmx, 8, 8, 4},
    {"RGB 2x1 MMX", JpgYccToRgb2x1, JpgYccToRgb2x1Mmx, 16, 8, 3},
    {"BGR 2x1 MMX", JpgYccToBgr2x1, JpgYccToBgr2x1Mmx, 16, 8, 3},
    {"RGB 2x1 SSE", JpgYccToRgb2x1, JpgYccToRgb2x1Sse, 16, 8, 3},
    {"BGR 2x1 SSE", JpgYccToBgr2x1, JpgYccToBgr2x1Sse, 16, 8, 3},
    {"RGBA 2x1 MMX", JpgYccToRgba2x1, JpgYccToRgba2x1Mmx, 16, 8, 4},
    {"RGB 2x2 MMX", JpgYccToRgb2x2, JpgYccToRgb2x2ByHalvesMmx, 16, 16, 3},
    {"BGR 2x2 MMX", JpgYccToBgr2x2, JpgYccToBgr2x2ByHalvesMmx, 16, 16, 3},
    {"RGBA 2x2 MMX", JpgYccToRgba2x2, JpgYccToRgba2x2Mmx, 16, 16, 4},
    {"gray MMX", AsThree<JpgCopyGray1x1>, AsThree<JpgCopyGray1x1Mmx>, 8, 8, 1, false, true},
    {"packed 4:2:2 MMX", JpgYccToPacked422, JpgYccToPacked422Mmx, 16, 8, 2, false, true},
    {"YCbCrA 1x1 MMX", AsThree<JpgYccaToRgba1x1, 64>, AsThree<JpgYccaToRgba1x1Mmx, 64>, 8, 8, 4, true},
    {"YCbCrA 2x1 MMX", AsThree<JpgYccaToRgba2x1, 128>, AsThree<JpgYccaToRgba2x1Mmx, 128>, 16, 8, 4, true},
    {"YCbCrA 2x2 MMX", AsThree<JpgYccaToRgba2x2, 256>, AsThree<JpgYccaToRgba2x2Mmx, 256>, 16, 16, 4, true},
};

void ConvertOut(ColourOut kernel, const OutForm &form, const std::vector<int16_t> &samples, std::vector<uint8_t> *dib,
                ptrdiff_t step)
{
    dib->assign(step * form.height, Untouched);
    const int16_t *cb = samples.data() + form.width * form.height;
    Packed([&] { kernel(samples.data(), cb, cb + 64, dib->data(), step); });
}

TEST(JpegSimd, DecoderColourKernelsStayWithinOneOfTheGenericOnes)
{
    std::mt19937 random(160);
    for (const OutForm &form : OutForms) {
        int lumaSamples = form.width * form.height;
        ptrdiff_t step = form.width * form.bytes + 5;
        for (int n = 0; n < 120; n++) {
            std::vector<int16_t> samples(lumaSamples + 128 + (form.fourth ? lumaSamples : 0));
            for (int16_t &s : samples)
                s = (int16_t)(n < 2 ? 255 * n : n < 4 ? 255 * (random() & 1) : random() % 256);
            std::vector<uint8_t> expected, packed;
            ConvertOut(form.generic, form, samples, &expected, step);
            ConvertOut(form.packed, form, samples, &packed, step);
            for (size_t i = 0; i < packed.size(); i++) {
                bool inside = (ptrdiff_t)(i % step) < form.width * form.bytes;
                if (!inside)
                    ASSERT_EQ(Untouched, packed[i]) << form.name << ": written past the MCU at " << i;
                else
                    ASSERT_LE(abs(expected[i] - packed[i]), form.exact ? 0 : 1) << form.name << " at byte " << i;
            }
        }
    }
}

// The 128-bit kernels write the 64-bit kernels' bytes, also for samples
// outside 0..255 (as a damaged block's might be before limiting), in rows
// whose end is marked, at every chroma pair under dark and bright luminance.
TEST(JpegSimd, WideColourKernelsWriteTheBytesOfThe64BitOnes)
{
    struct Wide {
        const char *name;
        ColourOut narrow, wide;
        int width, height;
    };
    const Wide forms[] = {
        {"RGB 1x1", JpgYccToRgb1x1Mmx, JpgYccToRgb1x1Sse2, 8, 8},
        {"BGR 1x1", JpgYccToBgr1x1Mmx, JpgYccToBgr1x1Sse2, 8, 8},
        {"RGB 2x1", JpgYccToRgb2x1Mmx, JpgYccToRgb2x1Sse2, 16, 8},
        {"BGR 2x1", JpgYccToBgr2x1Sse, JpgYccToBgr2x1Sse2, 16, 8},
        {"RGB 2x2", JpgYccToRgb2x2ByHalvesMmx, JpgYccToRgb2x2Sse2, 16, 16},
        {"BGR 2x2", JpgYccToBgr2x2ByHalvesMmx, JpgYccToBgr2x2Sse2, 16, 16},
    };
    std::mt19937 random(162);
    for (const Wide &form : forms) {
        OutForm shape = {form.name, nullptr, nullptr, form.width, form.height, 3};
        int lumaSamples = form.width * form.height;
        ptrdiff_t step = form.width * 3 + 7;
        for (int n = 0; n < 1024 + 200; n++) {
            std::vector<int16_t> samples(lumaSamples + 128);
            for (size_t i = 0; i < samples.size(); i++) {
                if (n < 1024) {
                    // Every chroma pair once, over luminance from below 0
                    // to above 255.
                    int pair = 64 * n + (int)(i % 64);
                    samples[i] = (int16_t)((int)i < lumaSamples   ? (int)(i * 53 + n * 17) % 300 - 22
                                           : (int)i < lumaSamples + 64 ? pair & 255
                                                                       : pair >> 8);
                } else {
                    samples[i] = (int16_t)(n < 1100 ? random() : random() % 300 - 20);
                }
            }
            std::vector<uint8_t> narrow, wide;
            ConvertOut(form.narrow, shape, samples, &narrow, step);
            ConvertOut(form.wide, shape, samples, &wide, step);
            ASSERT_EQ(narrow, wide) << form.name << " case " << n;
        }
    }
}

TEST(JpegSimd, GrayKernelsLimitSamplesAlike)
{
    int16_t samples[64];
    for (int i = 0; i < 64; i++)
        samples[i] = (int16_t)(i * 613 % 1201 - 400);
    samples[0] = -32768;
    samples[1] = 32767;
    uint8_t generic[64], packed[64];
    JpgCopyGray1x1(samples, generic, 8);
    Packed([&] { JpgCopyGray1x1Mmx(samples, packed, 8); });
    for (int i = 0; i < 64; i++) {
        int limited = samples[i] < 0 ? 0 : samples[i] > 255 ? 255 : samples[i];
        ASSERT_EQ(limited, generic[i]) << i;
        ASSERT_EQ(limited, packed[i]) << i;
    }
}

// Four components: the fourth sample's low byte as it is, and the colours
// complemented, so that white samples give black.
TEST(JpegSimd, FourComponentKernelsComplementTheColours)
{
    const OutForm &form = OutForms[sizeof OutForms / sizeof OutForms[0] - 3];
    std::vector<int16_t> samples(64 * 4);
    for (int i = 0; i < 64; i++) {
        samples[i] = 255;
        samples[64 + i] = samples[128 + i] = 128;
        samples[192 + i] = (int16_t)(i * 4);
    }
    std::vector<uint8_t> expected, packed;
    ConvertOut(form.generic, form, samples, &expected, 32);
    ConvertOut(form.packed, form, samples, &packed, 32);
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(0, packed[4 * i]);
        EXPECT_EQ(0, packed[4 * i + 1]);
        EXPECT_EQ(0, packed[4 * i + 2]);
        EXPECT_EQ(i * 4, packed[4 * i + 3]);
    }
    EXPECT_EQ(expected, packed);
}

TEST(JpegSimd, DecoderColourKernelsFloorTheRedAndBlueTerms)
{
    // Y 100, Cb 128, Cr 67: 67 x 1.40234375 = 93.96 floors to 93, less 179
    // gives R 14; the generic kernel subtracts first and gives 15.
    const OutForm &form = OutForms[0];
    std::vector<int16_t> samples(64 * 3);
    for (int i = 0; i < 64; i++) {
        samples[i] = 100;
        samples[64 + i] = 128;
        samples[128 + i] = 67;
    }
    std::vector<uint8_t> expected, packed;
    ConvertOut(form.generic, form, samples, &expected, 24);
    ConvertOut(form.packed, form, samples, &packed, 24);
    EXPECT_EQ(15, expected[0]);
    EXPECT_EQ(14, packed[0]);
    EXPECT_EQ(expected[1], packed[1]) << "green is computed alike";
    EXPECT_EQ(expected[2], packed[2]);
}

// Encoder colour kernels: bit for bit the generic samples. The bitmap ends
// exactly at the MCU's last pixel, so a read past it shows under the
// address sanitizer.
typedef void (*ColourIn)(const uint8_t *, ptrdiff_t, int16_t *const *);

struct InForm {
    const char *name;
    ColourIn generic, packed;
    int width, height, bytes, components;
};

const InForm InForms[] = {
    {"gray", JpgSplitGray1x1, JpgSplitGray1x1Mmx, 8, 8, 1, 1},
    {"RGB 1x1", JpgRgbToYcc1x1, JpgRgbToYcc1x1Mmx, 8, 8, 3, 3},
    {"BGR 1x1", JpgBgrToYcc1x1, JpgBgrToYcc1x1Mmx, 8, 8, 3, 3},
    {"RGB 2x1", JpgRgbToYcc2x1, JpgRgbToYcc2x1Mmx, 16, 8, 3, 3},
    {"BGR 2x1", JpgBgrToYcc2x1, JpgBgrToYcc2x1Mmx, 16, 8, 3, 3},
    {"RGB 2x2", JpgRgbToYcc2x2, JpgRgbToYcc2x2ByQuartersMmx, 16, 16, 3, 3},
    {"BGR 2x2", JpgBgrToYcc2x2, JpgBgrToYcc2x2ByQuartersMmx, 16, 16, 3, 3},
    {"RGBA 1x1", JpgRgbaToYcca1x1, JpgRgbaToYcca1x1Mmx, 8, 8, 4, 4},
    {"RGBA 2x1", JpgRgbaToYcca2x1, JpgRgbaToYcca2x1Mmx, 16, 8, 4, 4},
    {"RGBA 2x2", JpgRgbaToYcca2x2, JpgRgbaToYcca2x2ByHalvesMmx, 16, 16, 4, 4},
    {"packed 4:2:2 MMX", JpgSplitPacked422, JpgSplitPacked422Mmx, 16, 8, 2, 3},
    {"packed 4:2:2 SSE", JpgSplitPacked422, JpgSplitPacked422Sse, 16, 8, 2, 3},
    {"RGB 1x1 SSE2", JpgRgbToYcc1x1, JpgRgbToYcc1x1Sse2, 8, 8, 3, 3},
    {"BGR 1x1 SSE2", JpgBgrToYcc1x1, JpgBgrToYcc1x1Sse2, 8, 8, 3, 3},
    {"RGB 2x1 SSE2", JpgRgbToYcc2x1, JpgRgbToYcc2x1Sse2, 16, 8, 3, 3},
    {"BGR 2x1 SSE2", JpgBgrToYcc2x1, JpgBgrToYcc2x1Sse2, 16, 8, 3, 3},
    {"RGB 2x2 SSE2", JpgRgbToYcc2x2, JpgRgbToYcc2x2Sse2, 16, 16, 3, 3},
    {"BGR 2x2 SSE2", JpgBgrToYcc2x2, JpgBgrToYcc2x2Sse2, 16, 16, 3, 3},
};

std::vector<int16_t> ConvertIn(ColourIn kernel, const InForm &form, const std::vector<uint8_t> &pixels,
                               ptrdiff_t step)
{
    int lumaSamples = form.width * form.height;
    std::vector<int16_t> samples(lumaSamples + 128 + (form.components == 4 ? lumaSamples : 0), 0x7777);
    int16_t *blocks[4] = {samples.data(), samples.data() + lumaSamples, samples.data() + lumaSamples + 64,
                          form.components == 4 ? samples.data() + lumaSamples + 128 : nullptr};
    // A negative step reads the rows bottom-up, as a bitmap stored that way.
    const uint8_t *first = step > 0 ? pixels.data() : pixels.data() + pixels.size() - form.width * form.bytes;
    Packed([&] { kernel(first, step, blocks); });
    if (form.components == 1)
        samples.resize(lumaSamples);
    return samples;
}

TEST(JpegSimd, EncoderColourKernelsGiveExactlyTheGenericSamples)
{
    std::mt19937 random(161);
    for (const InForm &form : InForms)
        for (int n = 0; n < 150; n++) {
            ptrdiff_t row = form.width * form.bytes, step = row + (n & 1) * 7;
            std::vector<uint8_t> pixels(step * (form.height - 1) + row);
            for (size_t i = 0; i < pixels.size(); i++)
                pixels[i] = (uint8_t)(n < 2 ? 255 * n : n < 6 ? ((i % 3 == 0) ^ (n & 1)) * 255 : random() % 256);
            for (ptrdiff_t direction : {1, -1}) {
                std::vector<int16_t> expected = ConvertIn(form.generic, form, pixels, step * direction);
                std::vector<int16_t> packed = ConvertIn(form.packed, form, pixels, step * direction);
                ASSERT_EQ(expected, packed) << form.name << ", run " << n;
            }
        }
}

TEST(JpegSimd, EncoderFourByteKernelsComplementTheColours)
{
    // Black (0, 0, 0, 0) is stored as white and white as black; the fourth
    // byte is kept, level-shifted.
    for (int value : {0, 255}) {
        std::vector<uint8_t> pixels(8 * 8 * 4, (uint8_t)value);
        std::vector<int16_t> samples = ConvertIn(JpgRgbaToYcca1x1Mmx, InForms[7], pixels, 32);
        EXPECT_EQ(value ? -128 : 127, samples[0]);
        EXPECT_EQ(0, samples[64]);
        EXPECT_EQ(0, samples[128]);
        EXPECT_EQ(value ? 127 : -128, samples[192]);
    }
}

TEST(JpegSimd, EncoderColourKernelsConvertPureRedAsTheGenericOnes)
{
    // Pure red in R, G, B order: Y -51, Cb -43, Cr 128, the one value above
    // the level-shifted 8-bit range.
    std::vector<uint8_t> red(8 * 8 * 3, 0);
    for (size_t i = 0; i < red.size(); i += 3)
        red[i] = 255;
    std::vector<int16_t> samples = ConvertIn(JpgRgbToYcc1x1Mmx, InForms[1], red, 24);
    EXPECT_EQ(-51, samples[0]);
    EXPECT_EQ(-43, samples[64]);
    EXPECT_EQ(128, samples[128]);
}

TEST(JpegSimd, EncoderColourKernelsKeepTheChromaExtremesOfEveryShape)
{
    // Pure blue has the largest Cb sum and pure red the largest Cr sum:
    // 128, one past what a 16-bit sum with the rounding added can hold.
    // Every RGB and BGR shape gives the same sample for a plain colour.
    struct Colour {
        uint8_t r, g, b;
        int y, cb, cr;
    };
    const Colour colours[] = {
        {0, 0, 255, -99, 128, -21},  {255, 0, 0, -51, -43, 128},  {0, 255, 0, 21, -85, -107},
        {255, 255, 0, 98, -127, 21}, {1, 0, 1, -128, 0, 0},      {128, 128, 128, 0, 0, 0},
    };
    for (int f : {1, 2, 3, 4, 5, 6, 12, 13}) {
        const InForm &form = InForms[f];
        bool bgr = form.name[0] == 'B';
        for (const Colour &c : colours) {
            std::vector<uint8_t> pixels((size_t)form.width * form.height * 3);
            for (size_t i = 0; i < pixels.size(); i += 3) {
                pixels[i] = bgr ? c.b : c.r;
                pixels[i + 1] = c.g;
                pixels[i + 2] = bgr ? c.r : c.b;
            }
            std::vector<int16_t> samples = ConvertIn(form.packed, form, pixels, form.width * 3);
            int luma = form.width * form.height;
            for (int i = 0; i < luma; i++)
                ASSERT_EQ(c.y, samples[i]) << form.name << " luminance of " << (int)c.r << "," << (int)c.g << "," << (int)c.b;
            for (int i = 0; i < 64; i++) {
                ASSERT_EQ(c.cb, samples[luma + i]) << form.name << " Cb of " << (int)c.r << "," << (int)c.g << "," << (int)c.b;
                ASSERT_EQ(c.cr, samples[luma + 64 + i]) << form.name << " Cr of " << (int)c.r << "," << (int)c.g << "," << (int)c.b;
            }
        }
    }
}

// A whole picture decoded with each forced type: the same size and layout,
// the samples apart by no more than the transforms' and kernels' bounds
// add up to.
TEST(JpegSimd, ForcedProcessorTypesDecodeAPictureAlike)
{
    Pixels photo = MakePixels(72, 40, 3, 9);
    for (int subsampling : {0, 1, 2}) {
        JpgForceCpuTypeForTests(0);
        EncodeSettings settings;
        settings.subsampling = subsampling;
        Bytes jpeg;
        ASSERT_EQ(0, EncodeToMemory(LayOut(photo, JPG_COLOUR_RGB, 3, 0, false), settings, &jpeg));
        BitmapRead read;
        std::vector<uint8_t> generic, forced;
        ASSERT_EQ(0, ReadBitmap(jpeg, read, &generic));
        for (int type : {3, 4, 5, 6}) {
            JpgForceCpuTypeForTests(type);
            ASSERT_EQ(0, ReadBitmap(jpeg, read, &forced)) << "type " << type;
            ASSERT_EQ(generic.size(), forced.size());
            for (size_t i = 0; i < forced.size(); i++)
                ASSERT_LE(abs(generic[i] - forced[i]), 4) << "type " << type << " at " << i;
            // x87 arithmetic right after the read: the read must have ended
            // with the registers released (x86_64 keeps long double on x87).
            volatile long double x = 1.5L;
            EXPECT_EQ(2.25L, x * x) << "type " << type;
        }
    }
    ApplyForcedCpuTypeFromEnvironment();
}

// Every output kind that has a whole-MCU kernel, in a picture of odd size
// so that edge MCUs go through the same kernel cut to size, decoded with
// each forced type: the kind the frame chose, the layout of type 0's
// bitmap, and the samples within what the transforms and kernels differ by.
struct Layout {
    const char *name;
    int pixelChannels, jpgChannels, jpgColour, subsampling;
    int dibColour, dibChannels, dibSubsampling;
    int kind;
};

const Layout Layouts[] = {
    {"gray", 1, 1, JPG_COLOUR_GRAY, 0, JPG_COLOUR_GRAY, 1, 0, 0},
    {"YCbCr 1x1 to BGR", 3, 3, JPG_COLOUR_YCBCR, 0, JPG_COLOUR_BGR, 3, 0, 2},
    {"YCbCr 2x2 to RGB", 3, 3, JPG_COLOUR_YCBCR, 1, JPG_COLOUR_RGB, 3, 0, 3},
    {"YCbCr 2x1 to RGBA", 3, 3, JPG_COLOUR_YCBCR, 2, JPG_COLOUR_RGBA, 4, 0, 9},
    {"YCbCrA 1x1", 4, 4, JPG_COLOUR_YCBCRA, 0, JPG_COLOUR_RGBA, 4, 0, 10},
    {"YCbCrA 2x2", 4, 4, JPG_COLOUR_YCBCRA, 3, JPG_COLOUR_RGBA, 4, 0, 11},
    {"YCbCrA 2x1", 4, 4, JPG_COLOUR_YCBCRA, 4, JPG_COLOUR_RGBA, 4, 0, 12},
    {"RGB into RGBA", 3, 3, JPG_COLOUR_RGB, 0, JPG_COLOUR_RGBA, 4, 0, 13},
    {"RGBA", 4, 4, JPG_COLOUR_RGBA, 0, JPG_COLOUR_RGBA, 4, 0, 14},
    {"RGB 1x1", 3, 3, JPG_COLOUR_RGB, 0, JPG_COLOUR_RGB, 3, 0, 15},
    {"RGB 2x2", 3, 3, JPG_COLOUR_RGB, 1, JPG_COLOUR_RGB, 3, 0, 16},
    {"RGB 2x1", 3, 3, JPG_COLOUR_RGB, 2, JPG_COLOUR_RGB, 3, 0, 17},
    {"packed 4:2:2", 3, 3, JPG_COLOUR_YCBCR, 2, JPG_COLOUR_YCBCR, 2, 2, 19},
};

int DecodeLayout(const Bytes &jpeg, const Layout &l, std::vector<uint8_t> *dib, int *kind)
{
    MemoryReader reader(jpeg);
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    BitmapRead read;
    read.channels = l.dibChannels;
    read.colour = l.dibColour;
    read.subsampling = l.dibSubsampling;
    if (result == 0)
        result = ReadInto(&reader.record, &read, dib);
    *kind = reader.record.props.outputKind;
    return result;
}

TEST(JpegSimd, ForcedProcessorTypesDecodeEveryLayoutAlike)
{
    const int width = 37, height = 21;
    for (const Layout &l : Layouts) {
        SCOPED_TRACE(l.name);
        JpgForceCpuTypeForTests(0);
        Pixels pixels = MakePixels(width, height, l.pixelChannels, 5);
        int bitmapColour = l.pixelChannels == 1 ? JPG_COLOUR_GRAY : l.pixelChannels == 4 ? JPG_COLOUR_RGBA
                                                                                        : JPG_COLOUR_RGB;
        EncodeSettings settings;
        settings.jpgChannels = l.jpgChannels;
        settings.jpgColour = l.jpgColour;
        settings.subsampling = l.subsampling;
        settings.quality = 90;
        Bytes jpeg;
        ASSERT_EQ(0, EncodeToMemory(LayOut(pixels, bitmapColour, l.pixelChannels, 0, false), settings, &jpeg));
        std::vector<uint8_t> generic, forced, first;
        int kind = -1;
        ASSERT_EQ(0, DecodeLayout(jpeg, l, &generic, &kind));
        EXPECT_EQ(l.kind, kind);
        for (int type : {3, 4, 5, 6}) {
            JpgForceCpuTypeForTests(type);
            ASSERT_EQ(0, DecodeLayout(jpeg, l, &forced, &kind)) << "type " << type;
            ASSERT_EQ(generic.size(), forced.size());
            for (size_t i = 0; i < forced.size(); i++)
                ASSERT_LE(abs(generic[i] - forced[i]), 4) << "type " << type << " at " << i;
            // The packed types differ from each other only in instructions.
            if (type == 3)
                first = forced;
            else
                EXPECT_EQ(first, forced) << "type " << type << " against type 3";
        }
    }
    ApplyForcedCpuTypeFromEnvironment();
}

} // namespace

TEST(JpegSimd, PlainSmoothedMcuEqualsTheSse2One)
{
    // Row buffers of odd strides, chroma with the neighbours' samples at
    // [-1] and [8] and a row above and below; bitmap rows with room to
    // show a byte written past the MCU.
    const int lumaStride = 19, chromaStride = 11, step = 70;
    struct Mcu {
        uint8_t luma[16 * lumaStride], chroma[2][10 * chromaStride];
    } mcu;
    auto compare = [&](int rows, int layout) {
        JpgSmoothSource source;
        source.luma = mcu.luma;
        source.lumaStride = lumaStride;
        source.chromaStride = chromaStride;
        for (int c = 0; c < 2; c++) {
            source.above[c] = mcu.chroma[c] + 1;
            source.chroma[c] = mcu.chroma[c] + chromaStride + 1;
            source.below[c] = mcu.chroma[c] + 9 * chromaStride + 1;
        }
        source.rows = rows;
        source.layout = layout;
        source.lineStep = step;
        uint8_t plain[16 * step], packed[16 * step];
        memset(plain, 0xA5, sizeof plain);
        memset(packed, 0xA5, sizeof packed);
        source.dib = plain;
        JpgSmoothMcu(&source);
        source.dib = packed;
        JpgSmoothMcuSse2(&source);
        return memcmp(plain, packed, sizeof plain) == 0;
    };
    // Every chroma pair, each chroma row flat so that the filter across
    // passes it unchanged, under dark, middle and bright luminance: the
    // clamps at 0 and 255 and the green term's largest sums.
    for (int y = 0; y < 16; y++)
        for (int i = 0; i < 16; i++)
            mcu.luma[y * lumaStride + i] = (uint8_t)(i < 5 ? i : i > 10 ? 240 + i : 120 + i);
    for (int pair = 0; pair < 65536; pair += 8) {
        for (int j = 0; j < 8; j++)
            for (int c = 0; c < 2; c++)
                memset(mcu.chroma[c] + (j + 1) * chromaStride, (pair + j) >> (c * 8) & 0xFF, chromaStride);
        for (int layout : {JPG_SMOOTH_RGB, JPG_SMOOTH_BGR, JPG_SMOOTH_RGBA})
            ASSERT_TRUE(compare(8, layout)) << "pairs from " << pair << " layout " << layout;
    }
    // The largest sums of the filter down and across, and their swings.
    for (int pattern = 0; pattern < 4; pattern++) {
        for (int c = 0; c < 2; c++)
            for (int i = 0; i < 10 * chromaStride; i++)
                mcu.chroma[c][i] = (uint8_t)(pattern == 0 ? 255 : pattern == 1 ? 0 : (i + pattern + c) % 2 * 255);
        for (int rows : {8, 16})
            for (int layout : {JPG_SMOOTH_RGB, JPG_SMOOTH_BGR, JPG_SMOOTH_RGBA})
                ASSERT_TRUE(compare(rows, layout)) << "pattern " << pattern << " rows " << rows;
    }
    std::mt19937 random(91);
    for (int n = 0; n < 3000; n++) {
        for (uint8_t &byte : *reinterpret_cast<uint8_t(*)[sizeof mcu]>(&mcu))
            byte = (uint8_t)random();
        ASSERT_TRUE(compare(n & 1 ? 16 : 8, n % 3)) << n;
    }
}

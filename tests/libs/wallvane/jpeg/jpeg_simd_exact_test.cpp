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

} // namespace

// The MMX fast quantiser over the whole 16-bit range: each coefficient held
// to -8192..8191 first, then the generic rounding, then held to what a
// baseline table codes (-1024 for the DC coefficient, -1023 for the rest,
// up to 1023). The 128-bit body that 64-bit processors run for it too.
TEST(JpegSimdExact, FastQuantizerLimitsEveryCoefficientBeforeScaling)
{
    std::mt19937 random(47);
    const int edges[] = {-32768, -32767, -16385, -16384, -9000, -8193, -8192, -8191, -1, 0, 1,
                         8190,   8191,   8192,   9000,   16383, 16384, 32766,  32767};
    const int edgeCount = sizeof edges / sizeof edges[0];
    for (auto quantize : {JpgQuantizeAanMmx, JpgQuantizeAanSse2})
        for (const std::vector<int16_t> &reciprocals : AanReciprocalTables())
            for (int n = 0; n < 40; n++) {
                int16_t expected[64], space[64 + 8];
                int16_t *block = space + (n & 1);
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
                quantize(block, reciprocals.data());
                JpgClearMmxState();
                for (int i = 0; i < 64; i++)
                    ASSERT_EQ(expected[i], block[i])
                        << (quantize == JpgQuantizeAanMmx ? "MMX" : "SSE2") << ", block " << n << " at " << i;
            }
}


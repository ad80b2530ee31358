#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plasma.h"
#include "scope_math.h"

namespace {

// Which band lights up for a lone loud bin.
int BandOfBin(int mode, int bin)
{
    std::vector<float> magnitudes(128, 0);
    magnitudes[bin] = 100 * 5000;
    int first, last;
    SpectrumBarRange(mode, 256, &first, &last);
    int bands[SCOPE_BANDS] = {};
    ComputeSpectrumBands(magnitudes.data(), first, last, 100, bands);
    int lit = -1;
    for (int b = 0; b < SCOPE_BANDS; ++b)
        if (bands[b] == 5000) {
            EXPECT_EQ(lit, -1) << "two bands for bin " << bin;
            lit = b;
        }
    return lit;
}

int CountingRandom()
{
    static int next;
    return next++ * 7919;
}

} // namespace

TEST(SpectrumBands, FullRangeBarsTakeOneBinThenTensOfBins)
{
    // 256 frames: bins 15 to 119; the first band is bin 15 alone, then ten
    // bands of ten bins each; the bins after them fit no band.
    EXPECT_EQ(BandOfBin(5, 15), 0);
    for (int band = 1; band <= 10; ++band) {
        EXPECT_EQ(BandOfBin(5, 16 + 10 * (band - 1)), band);
        EXPECT_EQ(BandOfBin(5, 25 + 10 * (band - 1)), band);
    }
    EXPECT_EQ(BandOfBin(5, 14), -1);
    EXPECT_EQ(BandOfBin(5, 116), -1);
}

TEST(SpectrumBands, HalfRangeBarsTakeOneBinThenFivesAndTheRestLast)
{
    // Bins 13 to 59: bin 13, nine bands of five bins, then bin 59.
    EXPECT_EQ(BandOfBin(7, 13), 0);
    for (int band = 1; band <= 9; ++band) {
        EXPECT_EQ(BandOfBin(7, 14 + 5 * (band - 1)), band);
        EXPECT_EQ(BandOfBin(7, 18 + 5 * (band - 1)), band);
    }
    EXPECT_EQ(BandOfBin(7, 59), 10);
    EXPECT_EQ(BandOfBin(7, 60), -1);
}

TEST(SpectrumBands, ValuesAreCappedAndAZeroDivisorIsHarmless)
{
    std::vector<float> magnitudes(128, 1e9f);
    int bands[SCOPE_BANDS];
    EXPECT_EQ(ComputeSpectrumBands(magnitudes.data(), 15, 120, 0, bands), SCOPE_BANDS);
    for (int b : bands)
        EXPECT_EQ(b, SCOPE_BAND_MAX);
}

// The image covers the window, its rows are whole 32-bit words as a
// device-independent bitmap's must be, and frames read and write only inside
// the tables and the pixels (the sanitizers watch).
TEST(Plasma, FramesCoverTheClientAreaInWholeBitmapRowsAndStayInside)
{
    for (int clientWidth : {200, 201, 1, 2, 7}) {
        PlasmaState plasma = {};
        ASSERT_EQ(SeedPlasma(&plasma, clientWidth, 30, CountingRandom), 0);
        EXPECT_GE(plasma.width, clientWidth);
        EXPECT_GE(plasma.height, 30);
        EXPECT_EQ(plasma.rowBytes % 4, 0) << clientWidth;
        EXPECT_GE(plasma.rowBytes, plasma.width);
        EXPECT_LT(plasma.rowBytes, plasma.width + 4) << "no more padding than a row needs";
        for (int frame = 0; frame < 3; ++frame)
            RenderPlasmaFrame(&plasma);
        FreePlasma(&plasma);
    }
}

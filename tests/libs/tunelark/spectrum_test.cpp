#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "spectrum.h"

namespace {

const int N = 256;
const double Pi = 3.14159265358979323846;

// Interleaved stereo 16-bit little-endian bytes of two channels.
std::vector<unsigned char> StereoBytes(const std::vector<double> &left, const std::vector<double> &right)
{
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i < left.size(); ++i)
        for (double v : {left[i], right[i]}) {
            short s = (short)lround(v);
            bytes.push_back((unsigned char)(s & 0xFF));
            bytes.push_back((unsigned char)((s >> 8) & 0xFF));
        }
    return bytes;
}

std::vector<double> Tone(int bin, double amplitude, double phase = 0)
{
    std::vector<double> x(N);
    for (int t = 0; t < N; ++t)
        x[t] = amplitude * cos(2 * Pi * bin * t / N + phase);
    return x;
}

// The reference: a direct transform in double precision of what the reader
// returns (the rounded 16-bit samples).
double DirectMagnitude(const std::vector<double> &x, int bin)
{
    std::complex<double> sum = 0;
    for (int t = 0; t < N; ++t)
        sum += std::round(x[t]) * std::polar(1.0, -2 * Pi * bin * t / N);
    return std::abs(sum);
}

} // namespace

TEST(SampleReader, FramesOfBuffersAndTheRightChannel)
{
    std::vector<unsigned char> bytes(1024, 0);
    bytes[0] = 0x34, bytes[1] = 0x12;              // frame 0 left
    bytes[2] = 0xFE, bytes[3] = 0xFF;              // frame 0 right: -2
    bytes[4 * 255 + 2] = 0x01, bytes[4 * 255 + 3] = 0x80; // frame 255 right
    SampleReader reader;
    ASSERT_TRUE(reader.Attach(bytes.data(), 1024, 2, 1));
    EXPECT_EQ(reader.FrameCount(), 256);
    EXPECT_EQ(reader.Sample(), 0x1234);
    reader.SetMode(1);
    EXPECT_EQ(reader.Sample(), -2);
    reader.Seek(255);
    EXPECT_EQ(reader.Sample(), (short)0x8001);
    reader.Next(); // past the end reads silence, not the bytes after the buffer
    EXPECT_EQ(reader.Sample(), 0);

    SampleReader mono;
    ASSERT_TRUE(mono.Attach(bytes.data(), 1024, 2, 0));
    EXPECT_EQ(mono.FrameCount(), 512);
    SampleReader eightBit;
    ASSERT_TRUE(eightBit.Attach(bytes.data(), 1024, 1, 1));
    EXPECT_EQ(eightBit.FrameCount(), 512);
    eightBit.Seek(1);
    EXPECT_EQ(eightBit.Sample(), -2); // byte 2, signed
    eightBit.SetMode(1);
    eightBit.Seek(0);
    EXPECT_EQ(eightBit.Sample(), 0x12); // byte 1

    SampleReader empty;
    EXPECT_FALSE(empty.Attach(nullptr, 1024, 2, 1));
    EXPECT_EQ(empty.FrameCount(), 0);
    EXPECT_EQ(empty.Sample(), -1);
    SampleReader odd;
    ASSERT_TRUE(odd.Attach(bytes.data(), 1024, 3, 1));
    EXPECT_EQ(odd.Sample(), -1);
}

TEST(SpectrumFft, ATonePeaksAtItsBinWithHalfTheLengthTimesItsAmplitude)
{
    SpectrumFft fft(44100, N);
    ASSERT_TRUE(fft.Ready());
    for (int bin : {3, 17, 40, 64, 90, 127}) {
        const double amplitude = 1000;
        std::vector<double> left = Tone(bin, amplitude), right = Tone(20, 300, 0.7);
        std::vector<unsigned char> bytes = StereoBytes(left, right);
        SampleReader reader;
        ASSERT_TRUE(reader.Attach(bytes.data(), (int)bytes.size(), 2, 1));
        reader.SetMode(0);
        fft.Compute(reader);
        const float *m = fft.Magnitudes();
        int peak = 1;
        for (int b = 1; b < N / 2; ++b)
            if (m[b] > m[peak])
                peak = b;
        EXPECT_EQ(peak, bin);
        EXPECT_NEAR(m[bin], N / 2 * amplitude, N / 2 * amplitude * 0.01) << "bin " << bin;
        // Every bin against the direct transform, within 1 % of the peak.
        for (int b = 1; b < N / 2; ++b)
            ASSERT_NEAR(m[b], DirectMagnitude(left, b), N / 2 * amplitude * 0.01) << "bin " << b << " of tone " << bin;
    }
}

TEST(SpectrumFft, TheRightChannelIsTransformedOnItsOwn)
{
    SpectrumFft fft(44100, N);
    std::vector<double> left = Tone(10, 2000), right = Tone(50, 500, 1.3);
    std::vector<unsigned char> bytes = StereoBytes(left, right);
    SampleReader reader;
    ASSERT_TRUE(reader.Attach(bytes.data(), (int)bytes.size(), 2, 1));
    reader.SetMode(1);
    fft.Compute(reader);
    const float *m = fft.Magnitudes();
    EXPECT_NEAR(m[50], DirectMagnitude(right, 50), N / 2 * 500 * 0.01);
    EXPECT_LT(m[10], N / 2 * 500 * 0.01);
}

TEST(SpectrumFft, SilenceGivesAFlatLineAtTheBottom)
{
    SpectrumFft fft(44100, N);
    std::vector<unsigned char> bytes(1024, 0);
    SampleReader reader;
    ASSERT_TRUE(reader.Attach(bytes.data(), 1024, 2, 1));
    fft.Compute(reader);
    for (int b = 0; b < N / 2; ++b)
        EXPECT_LT(fft.Magnitudes()[b], 1e-6) << b;
}

TEST(FastSqrt, StaysWithinAFifthOfAPercentAndIsNeverZero)
{
    for (double x = 1e-3; x < 1e10; x *= 1.37)
        ASSERT_NEAR(FastSqrt((float)x) / sqrt(x), 1.0, 0.002) << x;
    EXPECT_NEAR(FastSqrt(4), 2.0, 0.004);
    EXPECT_NEAR(FastSqrt(100), 10.0, 0.02);
    // The estimate of 0 is a tiny positive number, not 0 and not infinite.
    float zero = FastSqrt(0);
    EXPECT_GT(zero, 0);
    EXPECT_LT(zero, 1e-15);
}

#include "spectrum.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
const double TwoPi = 6.283185307179586;
}

SampleReader::SampleReader()
    : channelMode(3), bytes(nullptr), byteCount(0), bytesPerSample(0), stereo(0), position(0)
{
}

bool SampleReader::Attach(const void *data, int count, int sampleBytes, int isStereo)
{
    if (!data)
        return false;
    bytes = (const unsigned char *)data;
    if (sampleBytes <= 0)
        return false;
    byteCount = count;
    bytesPerSample = sampleBytes;
    stereo = isStereo;
    channelMode = isStereo ? 3 : 2;
    Seek(0);
    return true;
}

int SampleReader::FrameCount() const
{
    if (!bytes || byteCount < 1 || bytesPerSample < 1)
        return 0;
    int samples = byteCount / bytesPerSample;
    return stereo ? samples / 2 : samples;
}

void SampleReader::Seek(int frame)
{
    position = frame * bytesPerSample * (stereo ? 2 : 1);
}

void SampleReader::Next()
{
    position += bytesPerSample * (stereo ? 2 : 1);
}

short SampleReader::Sample() const
{
    if (!bytes || (bytesPerSample != 1 && bytesPerSample != 2))
        return -1;
    int at = position + (channelMode == 1 ? bytesPerSample : 0);
    // A read past the buffer gives silence rather than someone else's bytes.
    if (at < 0 || at + bytesPerSample > byteCount)
        return 0;
    if (bytesPerSample == 1)
        return (short)(signed char)bytes[at];
    return (short)(uint16_t)(bytes[at] | bytes[at + 1] << 8);
}

float FastSqrt(float x)
{
    int32_t bits;
    memcpy(&bits, &x, sizeof bits);
    int32_t estimateBits = 0x5F375A84 - (bits >> 1);
    float a;
    memcpy(&a, &estimateBits, sizeof a);
    a = a * (1.5f - 0.5f * x * a * a);
    return 1.0f / a;
}

SpectrumFft::SpectrumFft(int sampleRate, int count)
    : rate(sampleRate), n(count), reverseTables(), log2Half(-1), realIn(nullptr), imagIn(nullptr),
      realOut(nullptr), imagOut(nullptr), magnitudes(nullptr)
{
    // The work arrays are sized by the rate so that any n up to it fits.
    if (rate < 2 || n < 4 || n > rate || (n & (n - 1)))
        return;
    for (int b = 1; b <= SPECTRUM_REVERSE_TABLES; ++b) {
        int size = 1 << b;
        reverseTables[b] = new (std::nothrow) int[size];
        if (!reverseTables[b])
            return;
        for (int i = 0; i < size; ++i) {
            int reversed = 0;
            for (int bit = 0; bit < b; ++bit)
                if (i & (1 << bit))
                    reversed |= 1 << (b - 1 - bit);
            reverseTables[b][i] = reversed;
        }
    }
    double angle = 0;
    for (int i = 0; i < SPECTRUM_TRIG_STEPS; ++i) {
        trig[i] = (float)sin(-angle);
        trig[SPECTRUM_TRIG_STEPS + i] = (float)cos(-angle);
        angle += TwoPi / SPECTRUM_TRIG_STEPS;
    }
    int half = n / 2;
    if (half >= 2) {
        log2Half = 0;
        while (!(half & (1 << log2Half)))
            ++log2Half;
    }
    int arrayLength = rate / 2;
    realIn = new (std::nothrow) float[arrayLength]();
    imagIn = new (std::nothrow) float[arrayLength]();
    realOut = new (std::nothrow) float[arrayLength]();
    imagOut = new (std::nothrow) float[arrayLength]();
    if (realIn && imagIn && realOut && imagOut)
        magnitudes = new (std::nothrow) float[rate]();
}

SpectrumFft::~SpectrumFft()
{
    for (int *table : reverseTables)
        delete[] table;
    delete[] realIn;
    delete[] imagIn;
    delete[] realOut;
    delete[] imagOut;
    delete[] magnitudes;
}

unsigned SpectrumFft::Reverse(unsigned index, int bits) const
{
    if (bits <= SPECTRUM_REVERSE_TABLES)
        return (unsigned)reverseTables[bits][index];
    unsigned reversed = 0;
    for (int bit = 0; bit < bits; ++bit, index >>= 1)
        reversed = reversed << 1 | (index & 1);
    return reversed;
}

// The table holds the functions of negative angles: looked up at the angle's
// own index, it gives sin(-angle) and cos(-angle).
float SpectrumFft::SinOfNegative(double angle) const
{
    angle = fmod(angle, TwoPi);
    if (angle < 0)
        angle += TwoPi;
    return trig[(int)(angle / TwoPi * SPECTRUM_TRIG_STEPS) % SPECTRUM_TRIG_STEPS];
}

float SpectrumFft::CosOfNegative(double angle) const
{
    angle = fmod(angle, TwoPi);
    if (angle < 0)
        angle += TwoPi;
    return trig[SPECTRUM_TRIG_STEPS + (int)(angle / TwoPi * SPECTRUM_TRIG_STEPS) % SPECTRUM_TRIG_STEPS];
}

void SpectrumFft::ComplexFft(int count, const float *re, const float *im, float *outRe,
                             float *outIm) const
{
    int bits = 0;
    while ((1 << bits) < count)
        ++bits;
    for (int i = 0; i < count; ++i) {
        unsigned j = Reverse((unsigned)i, bits);
        outRe[j] = re[i];
        outIm[j] = im ? im[i] : 0.0f;
    }
    int halfBlock = 1;
    for (int block = 2; block <= count; block <<= 1) {
        double delta = TwoPi / block;
        float sin2 = SinOfNegative(2 * delta), sin1 = SinOfNegative(delta);
        float cos2 = CosOfNegative(2 * delta), cos1 = CosOfNegative(delta);
        float twiceCos = 2 * cos1;
        for (int start = 0; start < count; start += block) {
            // w(k) = 2 cos(delta) w(k-1) - w(k-2), from w(-2) and w(-1).
            float wr2 = cos2, wr1 = cos1, wi2 = sin2, wi1 = sin1;
            for (int j = start; j < start + halfBlock; ++j) {
                float wr = twiceCos * wr1 - wr2;
                wr2 = wr1;
                wr1 = wr;
                float wi = twiceCos * wi1 - wi2;
                wi2 = wi1;
                wi1 = wi;
                int k = j + halfBlock;
                float tr = wr * outRe[k] - wi * outIm[k];
                float ti = wr * outIm[k] + wi * outRe[k];
                outRe[k] = outRe[j] - tr;
                outIm[k] = outIm[j] - ti;
                outRe[j] += tr;
                outIm[j] += ti;
            }
        }
        halfBlock = block;
    }
}

void SpectrumFft::Compute(SampleReader &reader)
{
    if (!Ready())
        return;
    int m = n / 2;
    for (int i = 0; i < m; ++i) {
        reader.Seek(2 * i);
        realIn[i] = reader.Sample();
        reader.Next();
        imagIn[i] = reader.Sample();
    }
    ComplexFft(m, realIn, imagIn, realOut, imagOut);
    // Untangle the transform of the even/odd interleaved sequence into the
    // spectrum of the n real samples.
    const float *R = realOut, *I = imagOut;
    float theta = (float)(TwoPi / 2 / m);
    float s = sinf(0.5f * theta);
    float wpr = -2.0f * s * s, wpi = sinf(theta);
    float wr = 1.0f + wpr, wi = wpi;
    for (int i = 1; i < n / 4; ++i) {
        float h1r = (R[i] + R[m - i]) / 2, h1i = (I[i] - I[m - i]) / 2;
        float h2r = (I[i] + I[m - i]) / 2, h2i = -(R[i] - R[m - i]) / 2;
        float ar = h1r + wr * h2r - wi * h2i, ai = h1i + wr * h2i + wi * h2r;
        float br = h1r - wr * h2r + wi * h2i, bi = -h1i + wr * h2i + wi * h2r;
        magnitudes[i] = FastSqrt(ar * ar + ai * ai);
        magnitudes[m - i] = FastSqrt(br * br + bi * bi);
        float next = wr + wr * wpr - wi * wpi;
        wi = wi + wi * wpr + wr * wpi;
        wr = next;
    }
    magnitudes[0] = FastSqrt((R[0] + I[0]) * (R[0] + I[0]) + (R[0] - I[0]) * (R[0] - I[0]));
    magnitudes[n / 4] = FastSqrt(R[n / 4] * R[n / 4] + I[n / 4] * I[n / 4]);
}

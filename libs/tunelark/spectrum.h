// The scope's analysis: a reader of interleaved PCM buffers and the
// magnitude spectrum of n real samples by a complex FFT of n/2 points.
#pragma once

class SampleReader {
public:
    SampleReader();
    // False for null data (nothing changes) or a sample size below 1 (only
    // the data pointer is taken).
    bool Attach(const void *data, int byteCount, int bytesPerSample, int stereo);
    int FrameCount() const;
    void Seek(int frame);
    void Next();
    // The sample at the read position in the chosen channel; -1 when the
    // sample size is not 1 or 2 or there is no data.
    short Sample() const;
    // 1 reads the right channel of stereo frames, anything else the left.
    void SetMode(int mode) { channelMode = mode; }

private:
    int channelMode;
    const unsigned char *bytes;
    int byteCount;
    int bytesPerSample;
    int stereo;
    int position;
};

enum {
    SPECTRUM_TRIG_STEPS = 9600,
    SPECTRUM_REVERSE_TABLES = 16,
};

class SpectrumFft {
public:
    SpectrumFft(int rate, int n);
    ~SpectrumFft();
    SpectrumFft(const SpectrumFft &) = delete;
    SpectrumFft &operator=(const SpectrumFft &) = delete;

    bool Ready() const { return magnitudes != nullptr; }
    // Magnitudes of bins 0 to n/2 - 1 from the next n samples of the reader.
    void Compute(SampleReader &reader);
    const float *Magnitudes() const { return magnitudes; }

private:
    unsigned Reverse(unsigned index, int bits) const;
    float SinOfNegative(double angle) const;
    float CosOfNegative(double angle) const;
    void ComplexFft(int count, const float *realIn, const float *imagIn, float *realOut,
                    float *imagOut) const;

    int rate;
    int n;
    int *reverseTables[SPECTRUM_REVERSE_TABLES + 1]; // table b holds 2^b entries
    int log2Half;
    float *realIn, *imagIn, *realOut, *imagOut;
    float *magnitudes;
    float trig[2 * SPECTRUM_TRIG_STEPS]; // sines, then cosines, of -i 2 pi / steps
};

// The square root by the inverse-square-root estimate and one Newton step.
float FastSqrt(float x);

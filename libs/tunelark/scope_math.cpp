#include "scope_math.h"

#include <cmath>
#include <cstdlib>

void SpectrumBarRange(int mode, int frames, int *first, int *last)
{
    // Mode 7 shows the lower half of the range only.
    if (mode == 7) {
        *first = 13;
        *last = (frames - 13) / 4;
    } else {
        *first = 15;
        *last = (frames - 15) / 2;
    }
}

int ComputeSpectrumBands(const float *magnitudes, int first, int last, int divisor, int *bands)
{
    if (divisor < 1)
        divisor = 1;
    int perBand = (last - first) / SCOPE_BANDS;
    int counter = first, peak = 0, filled = 0;
    for (int bin = first; bin < last && filled < SCOPE_BANDS; ++bin) {
        float value = magnitudes[bin] / divisor;
        if (value > peak)
            peak = value > SCOPE_BAND_MAX ? SCOPE_BAND_MAX : (int)value;
        if (++counter > perBand) {
            counter = 0;
            bands[filled++] = peak;
            peak = 0;
        }
    }
    if (filled < SCOPE_BANDS)
        bands[filled++] = peak;
    return filled;
}

int FallToward(int previous, int value, int drop)
{
    if (value >= previous)
        return value;
    int fallen = previous - drop;
    return fallen > value ? fallen : value;
}

void ChannelLevels(const short *samples, int valueCount, int *left, int *right)
{
    long long sums[2] = {0, 0};
    for (int i = 0; i + 1 < valueCount; i += 2) {
        sums[0] += abs(samples[i]);
        sums[1] += abs(samples[i + 1]);
    }
    *left = valueCount > 0 ? (int)(sums[0] / valueCount) : 0;
    *right = valueCount > 0 ? (int)(sums[1] / valueCount) : 0;
}

void BuildNeedleTable(int *x, int *y)
{
    for (int i = 0; i < SCOPE_NEEDLE_STEPS; ++i) {
        double angle = ((double)i * 90 / SCOPE_NEEDLE_STEPS - 45) * 0.019634955;
        x[i] = (int)(SCOPE_NEEDLE_LENGTH * sin(angle));
        y[i] = (int)(SCOPE_NEEDLE_LENGTH * cos(angle));
    }
}

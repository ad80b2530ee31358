// What the scope draws, worked out from the samples: meter levels, the
// spectrum bands and the analogue meter's needle.
#pragma once

enum {
    SCOPE_BANDS = 11,
    SCOPE_BAND_MAX = 8191,
    SCOPE_NEEDLE_STEPS = 4096,
    SCOPE_NEEDLE_LENGTH = 43,
};

// The bins a bar mode shows, first included, last excluded.
void SpectrumBarRange(int mode, int frames, int *first, int *last);

// Folds bins first..last-1 of the magnitudes (each divided by divisor) into
// at most SCOPE_BANDS peaks; the first band holds the first bin alone.
// Returns the number of bands filled.
int ComputeSpectrumBands(const float *magnitudes, int first, int last, int divisor, int *bands);

// A meter falls slowly: a lower value moves down from the previous one by at
// most drop, never below the value itself.
int FallToward(int previous, int value, int drop);

// Mean absolute sample of each channel of interleaved stereo values.
void ChannelLevels(const short *samples, int valueCount, int *left, int *right);

// The needle's end relative to its pivot, for index 0 to SCOPE_NEEDLE_STEPS-1
// (x to the right, y upward).
void BuildNeedleTable(int *x, int *y);

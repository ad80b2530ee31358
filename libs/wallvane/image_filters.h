// Pixel operations of the background changer: fitting a picture to the
// desktop and the named convolution kernels. Portable: plain buffers only.
#pragma once
#include <cstdint>

struct FilterKernel5x5 {
    const char *name;
    int32_t coefficients[25]; // row by row, top row first
    int32_t divisor;          // 0 is taken as 1 and stored back as 1
    int32_t bias;
};

struct FilterKernel3x3 {
    const char *name;
    int32_t coefficients[9];
    int32_t divisor;
    int32_t bias;
};

struct PointFilter {
    const char *name;
    int32_t multiplier;
    int32_t divisor;
    int32_t offset;
};

enum { FILTER_KERNEL_COUNT = 16 };
extern FilterKernel5x5 FilterKernels[FILTER_KERNEL_COUNT];

// The kernel of the given name, or null.
FilterKernel5x5 *FindFilterKernel(const char *name);

// 3-byte pixels; the target rows' padding is not written. Returns 0, or -1
// when a size is not positive or a line is shorter than its pixels.
int BilinearResize24(const uint8_t *source, int sourceLineBytes, int sourceWidth, int sourceHeight,
                     uint8_t *target, int targetLineBytes, int targetWidth, int targetHeight);

// In place. Bits per pixel 8, 24 or 32; a null buffer or kernel, or any other
// bit count, leaves the picture as it is.
void ApplyFilter5x5(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                    FilterKernel5x5 *kernel);
void ApplyFilter3x3(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                    FilterKernel3x3 *kernel);
void ApplyPointFilter(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                      PointFilter *filter);

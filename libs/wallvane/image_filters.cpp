#include "image_filters.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A kernel whose outer ring is empty: only the centre 3x3 is given.
#define CENTRE(a, b, c, d, e, f, g, h, i)                                                     \
    {0, 0, 0, 0, 0, 0, a, b, c, 0, 0, d, e, f, 0, 0, g, h, i, 0, 0, 0, 0, 0, 0}

} // namespace

FilterKernel5x5 FilterKernels[FILTER_KERNEL_COUNT] = {
    {"No __5x5 filter", CENTRE(0, 0, 0, 0, 1, 0, 0, 0, 0), 1, 0},
    {"Blur", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 25, 0},
    {"Custom 5x5 filter", CENTRE(0, 0, 0, 0, 1, 0, 0, 0, 0), 1, 0},
    {"Negative", CENTRE(0, 0, 0, 0, -1, 0, 0, 0, 0), 1, 255},
    {"Lighter", CENTRE(0, 0, 0, 0, 1, 0, 0, 0, 0), 1, 32},
    {"Darker", CENTRE(0, 0, 0, 0, 1, 0, 0, 0, 0), 1, -32},
    {"Contrast More", CENTRE(0, 0, 0, 0, 2, 0, 0, 0, 0), 1, -128},
    {"Contrast Less", CENTRE(0, 0, 0, 0, 1, 0, 0, 0, 0), 2, 64},
    {"Smoothen", CENTRE(1, 1, 1, 1, 5, 1, 1, 1, 1), 13, 0},
    {"__Sharpen", CENTRE(-1, -1, -1, -1, 16, -1, -1, -1, -1), 8, 0},
    {"Sharpen Strong", CENTRE(-1, -1, -1, -1, 9, -1, -1, -1, -1), 1, 0},
    {"__Find Edges", CENTRE(-1, -1, -1, -1, 8, -1, -1, -1, -1), 1, 0},
    {"Countour", CENTRE(-1, -1, -1, -1, 8, -1, -1, -1, -1), 1, 255},
    {"Edge Detect", CENTRE(1, 1, 1, 1, -7, 1, 1, 1, 1), 1, 0},
    {"Edge Detect Soft", CENTRE(1, 1, 1, 1, -2, 1, 1, 1, 1), 6, 0},
    {"Emboss", CENTRE(1, 1, -1, 1, 1, -1, 1, -1, -1), 1, 0},
};

FilterKernel5x5 *FindFilterKernel(const char *name)
{
    for (FilterKernel5x5 &kernel : FilterKernels)
        if (std::strcmp(kernel.name, name) == 0)
            return &kernel;
    return nullptr;
}

int BilinearResize24(const uint8_t *source, int sourceLineBytes, int sourceWidth, int sourceHeight,
                     uint8_t *target, int targetLineBytes, int targetWidth, int targetHeight)
{
    if (!source || !target || sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 ||
        targetHeight <= 0 || (int64_t)sourceLineBytes < 3 * (int64_t)sourceWidth ||
        (int64_t)targetLineBytes < 3 * (int64_t)targetWidth)
        return -1;
    double sx = (double)sourceWidth / targetWidth;
    double sy = (double)sourceHeight / targetHeight;
    for (int y = 0; y < targetHeight; ++y) {
        double v = y * sy;
        int y0 = (int)std::floor(v);
        if (y0 >= sourceHeight)
            y0 = sourceHeight - 1;
        int y1 = y0 + 1 >= sourceHeight ? y0 : y0 + 1;
        double fy = v - y0;
        const uint8_t *row0 = source + (size_t)y0 * sourceLineBytes;
        const uint8_t *row1 = source + (size_t)y1 * sourceLineBytes;
        uint8_t *out = target + (size_t)y * targetLineBytes;
        for (int x = 0; x < targetWidth; ++x) {
            double u = x * sx;
            int x0 = (int)std::floor(u);
            if (x0 >= sourceWidth)
                x0 = sourceWidth - 1;
            int x1 = x0 + 1 >= sourceWidth ? x0 : x0 + 1;
            double fx = u - x0;
            for (int c = 0; c < 3; ++c) {
                int top = (int)((1 - fx) * row0[3 * x0 + c] + fx * row0[3 * x1 + c]);
                int bottom = (int)((1 - fx) * row1[3 * x0 + c] + fx * row1[3 * x1 + c]);
                out[3 * x + c] = (uint8_t)(int)((1 - fy) * top + fy * bottom);
            }
        }
    }
    return 0;
}

namespace {

bool UsableBuffer(const uint8_t *pixels, int lineBytes, int bitsPerPixel, int width)
{
    if (!pixels || (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    return lineBytes > 0 && (int64_t)lineBytes >= (int64_t)width * (bitsPerPixel / 8);
}

uint8_t Clamp255(int64_t v)
{
    return (uint8_t)(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// One convolution of odd size n (3 or 5) with the rules both filters share:
// the border of n/2 pixels stays as it was.
void Convolve(uint8_t *pixels, int lineBytes, int bytesPerPixel, int width, int height,
              const int32_t *coefficients, int n, int32_t divisor, int32_t bias)
{
    int r = n / 2;
    if (width <= 2 * r || height <= 2 * r)
        return;
    // The unfiltered rows the convolution reads from: its own, so that two
    // pictures may be filtered at once.
    uint8_t *copies = (uint8_t *)std::malloc((size_t)n * (size_t)lineBytes);
    if (!copies)
        return;
    uint8_t *rows[5];
    for (int k = 0; k < n; ++k)
        rows[k] = copies + (size_t)k * lineBytes;
    // Before the loop the copies hold the first n - 1 rows; each row then
    // rotates them and brings in the next one.
    for (int k = 0; k < n - 1; ++k)
        std::memcpy(rows[k + 1], pixels + (size_t)k * lineBytes, (size_t)lineBytes);
    for (int i = r; i < height - r; ++i) {
        uint8_t *first = rows[0];
        for (int k = 0; k < n - 1; ++k)
            rows[k] = rows[k + 1];
        rows[n - 1] = first;
        std::memcpy(rows[n - 1], pixels + (size_t)(i + r) * lineBytes, (size_t)lineBytes);
        uint8_t *out = pixels + (size_t)i * lineBytes;
        for (int x = r; x < width - r; ++x) {
            for (int c = 0; c < bytesPerPixel; ++c) {
                int64_t sum = 0;
                for (int dy = 0; dy < n; ++dy)
                    for (int dx = 0; dx < n; ++dx)
                        sum += (int64_t)coefficients[dy * n + dx] *
                               rows[dy][(x + dx - r) * bytesPerPixel + c];
                out[x * bytesPerPixel + c] = Clamp255(sum / divisor + bias);
            }
        }
    }
    std::free(copies);
}

} // namespace

void ApplyPointFilter(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                      PointFilter *filter)
{
    if (!filter || !UsableBuffer(pixels, lineBytes, bitsPerPixel, width) || height <= 0)
        return;
    if (filter->divisor == 0)
        filter->divisor = 1;
    if (filter->multiplier == 1 && filter->divisor == 1 && filter->offset == 0)
        return;
    size_t total = (size_t)lineBytes * (size_t)height;
    for (size_t k = 0; k < total; ++k)
        pixels[k] = Clamp255((int64_t)pixels[k] * filter->multiplier / filter->divisor +
                             filter->offset);
}

void ApplyFilter3x3(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                    FilterKernel3x3 *kernel)
{
    if (!kernel || !UsableBuffer(pixels, lineBytes, bitsPerPixel, width))
        return;
    if (kernel->divisor == 0)
        kernel->divisor = 1;
    const int32_t *k = kernel->coefficients;
    if (!k[0] && !k[1] && !k[2] && !k[3] && !k[5] && !k[6] && !k[7] && !k[8]) {
        PointFilter point = {kernel->name, k[4], kernel->divisor, kernel->bias};
        ApplyPointFilter(pixels, lineBytes, bitsPerPixel, width, height, &point);
        return;
    }
    Convolve(pixels, lineBytes, bitsPerPixel / 8, width, height, k, 3, kernel->divisor,
             kernel->bias);
}

void ApplyFilter5x5(uint8_t *pixels, int lineBytes, int bitsPerPixel, int width, int height,
                    FilterKernel5x5 *kernel)
{
    if (!kernel || !UsableBuffer(pixels, lineBytes, bitsPerPixel, width))
        return;
    if (kernel->divisor == 0)
        kernel->divisor = 1;
    const int32_t *k = kernel->coefficients;
    bool ringEmpty = true;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            if ((y == 0 || y == 4 || x == 0 || x == 4) && k[y * 5 + x])
                ringEmpty = false;
    if (ringEmpty) {
        FilterKernel3x3 small = {kernel->name,
                                 {k[6], k[7], k[8], k[11], k[12], k[13], k[16], k[17], k[18]},
                                 kernel->divisor,
                                 kernel->bias};
        ApplyFilter3x3(pixels, lineBytes, bitsPerPixel, width, height, &small);
        return;
    }
    Convolve(pixels, lineBytes, bitsPerPixel / 8, width, height, k, 5, kernel->divisor,
             kernel->bias);
}

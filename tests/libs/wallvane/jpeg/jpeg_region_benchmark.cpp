// What a region read costs next to a full decode: a 256 x 256 region at the
// bottom right of a 6000 x 4000 baseline photograph, read twice on one
// record (the second read seeks through the row index kept by the first),
// and the whole picture. Built without sanitizers; prints, never fails on
// speed, and is not run as a test.
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <vector>

#include <turbojpeg.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"

namespace {

// The thread's own processor time: other work on a busy machine does not
// count against any of the reads.
double Seconds(void)
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// A photograph stand-in: soft shading, a few hard edges and sensor noise.
std::vector<unsigned char> Photograph(int width, int height)
{
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    unsigned state = 7;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            state = state * 1103515245u + 12345u;
            int noise = (int)((state >> 16) % 13) - 6;
            int edge = ((x / 300 + y / 200) % 3) * 40;
            unsigned char *p = &rgb[((size_t)y * width + x) * 3];
            for (int c = 0; c < 3; c++) {
                int v = 40 + edge + (x * (c + 2)) / 80 + (y * (4 - c)) / 60 + noise;
                p[c] = (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    return rgb;
}

struct Timed {
    double seconds;
    int result;
};

// A region read, or with all edges 0 a whole-picture read into a bitmap of
// the given size.
Timed Read(JPEG_IMAGE_PROPS *r, std::vector<unsigned char> *dib, int width, int height, int left, int top, int right,
           int bottom)
{
    r->dibPixels = dib->data();
    r->dibWidth = width;
    r->dibHeight = height;
    r->props.roiLeft = left;
    r->props.roiTop = top;
    r->props.roiRight = right;
    r->props.roiBottom = bottom;
    double start = Seconds();
    int result = JpgLibRead(r, JPG_READ_IMAGE_MEMORY);
    return Timed{Seconds() - start, result};
}

} // namespace

int main(void)
{
    const int width = 6000, height = 4000, side = 256, rounds = 3;
    std::vector<unsigned char> rgb = Photograph(width, height);
    tjhandle compressor = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long jpegSize = 0;
    if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &jpegSize, TJSAMP_420, 90, 0) != 0) {
        fprintf(stderr, "could not make the test photograph\n");
        return 1;
    }
    tjDestroy(compressor);
    rgb.clear();
    rgb.shrink_to_fit();

    std::vector<unsigned char> whole((size_t)width * height * 3), region((size_t)side * side * 3);
    double first = 1e9, second = 1e9, full = 1e9;
    long long passedFirst = 0, passedSecond = 0;
    // The three reads take turns, so that all meet the same conditions; the
    // best round of each counts.
    for (int i = 0; i < rounds; i++) {
        JPEG_IMAGE_PROPS r;
        JpgLibInit(&r);
        r.jpgBytes = jpeg;
        r.jpgSizeBytes = (int)jpegSize;
        if (JpgLibRead(&r, JPG_READ_HEADER_MEMORY) != 0) {
            fprintf(stderr, "header read failed\n");
            return 1;
        }
        Timed a = Read(&r, &region, side, side, width - side, height - side, width, height);
        long long passed = r.props.rowIndex ? r.props.rowIndex->mcusPassedOver : 0;
        Timed b = Read(&r, &region, side, side, width - side, height - side, width, height);
        long long passedAgain = (r.props.rowIndex ? r.props.rowIndex->mcusPassedOver : 0) - passed;
        Timed c = Read(&r, &whole, width, height, 0, 0, 0, 0);
        JpgLibFree(&r);
        if (a.result != JPG_ROI_SUCCESS || b.result != JPG_ROI_SUCCESS || c.result != 0) {
            fprintf(stderr, "reads gave %s, %s, %s\n", JpgErrorText(a.result), JpgErrorText(b.result),
                    JpgErrorText(c.result));
            return 1;
        }
        first = a.seconds < first ? a.seconds : first;
        second = b.seconds < second ? b.seconds : second;
        full = c.seconds < full ? c.seconds : full;
        passedFirst = passed;
        passedSecond = passedAgain;
    }
    tjFree(jpeg);
    printf("%dx%d 4:2:0 baseline, %lu bytes; region %dx%d at the bottom right\n", width, height, jpegSize, side,
           side);
    printf("full decode     %8.1f ms\n", full * 1e3);
    printf("first region    %8.1f ms  (%.3f of the full decode; %lld MCUs passed over)\n", first * 1e3,
           first / full, passedFirst);
    printf("second region   %8.1f ms  (%.3f of the full decode, %.3f of the first region read; %lld MCUs passed "
           "over)\n",
           second * 1e3, second / full, second / first, passedSecond);
    return 0;
}

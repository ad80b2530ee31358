// Decode speed of a large 4:2:0 picture next to libjpeg-turbo's on the same
// bytes in the same run. Built without sanitizers; prints, never fails on
// speed. Run with JSIMD_FORCENONE=1 to compare against its plain C code.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include <turbojpeg.h>

#include "benchmark_picture.h"
#include "jpeg_codec.h"

int main(void)
{
    const int width = 3072, height = 2048, rounds = 9;
    std::vector<unsigned char> rgb = PhotoStandIn(width, height);
    tjhandle compressor = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long jpegSize = 0;
    if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &jpegSize, TJSAMP_420, 90, 0) != 0) {
        fprintf(stderr, "could not make the test picture\n");
        return 1;
    }
    tjDestroy(compressor);

    std::vector<unsigned char> theirs((size_t)width * height * 3), ours(theirs.size());
    tjhandle decompressor = tjInitDecompress();
    // The two decoders take turns, so that both meet the same conditions;
    // the best round of each counts.
    double theirBest = 1e9, best = 1e9;
    for (int i = 0; i < rounds; i++) {
        double start = ThreadSeconds();
        tjDecompress2(decompressor, jpeg, jpegSize, theirs.data(), width, 0, height, TJPF_BGR, TJFLAG_FASTUPSAMPLE);
        double t = ThreadSeconds() - start;
        theirBest = t < theirBest ? t : theirBest;

        JPEG_IMAGE_PROPS r;
        JpgLibInit(&r);
        r.jpgBytes = jpeg;
        r.jpgSizeBytes = (int)jpegSize;
        r.dibPixels = ours.data();
        r.dibWidth = width;
        r.dibHeight = height;
        start = ThreadSeconds();
        int result = JpgLibRead(&r, JPG_READ_HEADER_MEMORY);
        if (result == 0)
            result = JpgLibRead(&r, JPG_READ_IMAGE_MEMORY);
        t = ThreadSeconds() - start;
        JpgLibFree(&r);
        if (result != 0) {
            fprintf(stderr, "decode failed: %s\n", JpgErrorText(result));
            return 1;
        }
        best = t < best ? t : best;
    }
    tjDestroy(decompressor);
    double theirRate = width * (double)height / theirBest / 1e6;
    double ourRate = width * (double)height / best / 1e6;
    long long diff = 0;
    for (size_t i = 0; i < ours.size(); i++)
        diff += abs((int)ours[i] - (int)theirs[i]);
    const char *simd = getenv("JSIMD_FORCENONE");
    printf("4:2:0 %dx%d, %lu bytes: ours %.1f MP/s, libjpeg-turbo%s %.1f MP/s, ratio %.2f (mean abs diff %.3f)\n",
           width, height, jpegSize, ourRate, simd && *simd == '1' ? " without SIMD" : "", theirRate,
           ourRate / theirRate, diff / (double)ours.size());
    tjFree(jpeg);
    return 0;
}

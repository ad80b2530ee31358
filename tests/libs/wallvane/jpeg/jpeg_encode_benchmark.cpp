// Encode speed of a large picture at 4:2:0 next to libjpeg-turbo's
// tjCompress2 on the same pixels in the same run. A program, not a test:
// it prints the ratio and never fails on speed. Run it with
// JSIMD_FORCENONE=1 to compare against libjpeg-turbo's plain C code.
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include <turbojpeg.h>

#include "benchmark_picture.h"
#include "jpeg_codec.h"

int main(void)
{
    const int width = 3072, height = 2048, rounds = 9, quality = 90;
    std::vector<unsigned char> rgb = PhotoStandIn(width, height);
    std::vector<unsigned char> ours((size_t)width * height * 3 + 65536);
    tjhandle compressor = tjInitCompress();
    unsigned char *theirs = nullptr;
    unsigned long theirSize = 0;
    int ourSize = 0;
    // The two encoders take turns, so that both meet the same conditions;
    // the best round of each counts.
    double theirBest = 1e9, best = 1e9;
    for (int i = 0; i < rounds; i++) {
        double start = ThreadSeconds();
        if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &theirs, &theirSize, TJSAMP_420, quality,
                        0) != 0) {
            fprintf(stderr, "tjCompress2 failed: %s\n", tjGetErrorStr());
            return 1;
        }
        double t = ThreadSeconds() - start;
        theirBest = t < theirBest ? t : theirBest;

        JPEG_IMAGE_PROPS r;
        JpgLibInit(&r);
        r.dibPixels = rgb.data();
        r.dibWidth = r.jpgWidth = width;
        r.dibHeight = r.jpgHeight = height;
        r.dibColour = JPG_COLOUR_RGB;
        r.jpgSubsampling = JPG_SUBSAMPLING_411;
        r.quality = quality;
        r.jpgBytes = ours.data();
        r.jpgSizeBytes = (int)ours.size();
        start = ThreadSeconds();
        int result = JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY);
        t = ThreadSeconds() - start;
        ourSize = r.jpgSizeBytes;
        JpgLibFree(&r);
        if (result != 0) {
            fprintf(stderr, "encode failed: %s\n", JpgErrorText(result));
            return 1;
        }
        best = t < best ? t : best;
    }
    tjDestroy(compressor);
    tjFree(theirs);
    double theirRate = width * (double)height / theirBest / 1e6;
    double ourRate = width * (double)height / best / 1e6;
    const char *simd = getenv("JSIMD_FORCENONE");
    printf("encode 4:2:0 %dx%d quality %d: ours %.1f MP/s (%d bytes), tjCompress2%s %.1f MP/s (%lu bytes), "
           "ratio %.2f\n",
           width, height, quality, ourRate, ourSize, simd && *simd == '1' ? " without SIMD" : "", theirRate,
           theirSize, ourRate / theirRate);
    return 0;
}

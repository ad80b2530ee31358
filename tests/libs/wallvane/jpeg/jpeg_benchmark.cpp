// Decode and encode speed next to libjpeg-turbo's on the same pictures in
// the same run: our generic routines, our fastest per-processor ones
// and libjpeg-turbo take turns; the median of 5 rounds of processor time
// counts. Built without sanitizers; prints ratios, never fails on speed.
// The ctest runs set JSIMD_FORCESSE2=1 (its SIMD) or JSIMD_FORCENONE=1
// (its plain C).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <vector>

#include <turbojpeg.h>

#include "benchmark_picture.h"
#include "jpeg_codec.h"
#include "jpeg_dispatch.h"

namespace {

const int Width = 2048, Height = 1536, Rounds = 5;

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Each contender once per round, in turn, so that all meet the same load.
std::vector<double> TimeInTurns(const std::vector<std::function<bool()>> &contenders)
{
    std::vector<std::vector<double>> times(contenders.size());
    for (int round = 0; round < Rounds; round++)
        for (size_t c = 0; c < contenders.size(); c++) {
            double start = ThreadSeconds();
            if (!contenders[c]())
                exit(1);
            times[c].push_back(ThreadSeconds() - start);
        }
    std::vector<double> medians;
    for (const std::vector<double> &t : times)
        medians.push_back(Median(t));
    return medians;
}

bool OurDecode(int cpuType, unsigned char *jpeg, unsigned long size, std::vector<unsigned char> *out, bool smooth)
{
    JpgForceCpuTypeForTests(cpuType);
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    r.jpgBytes = jpeg;
    r.jpgSizeBytes = (int)size;
    r.dibPixels = out->data();
    r.dibWidth = Width;
    r.dibHeight = Height;
    int result = JpgLibRead(&r, JPG_READ_HEADER_MEMORY);
    r.props.fourRowBuffers = smooth ? 1 : 0;
    if (result == 0)
        result = JpgLibRead(&r, JPG_READ_IMAGE_MEMORY);
    JpgLibFree(&r);
    if (result != 0)
        fprintf(stderr, "decode failed: %s\n", JpgErrorText(result));
    return result == 0;
}

bool OurEncode(int cpuType, std::vector<unsigned char> &rgb, int subsampling, std::vector<unsigned char> *out)
{
    JpgForceCpuTypeForTests(cpuType);
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    r.dibPixels = rgb.data();
    r.dibWidth = r.jpgWidth = Width;
    r.dibHeight = r.jpgHeight = Height;
    r.dibColour = JPG_COLOUR_RGB;
    r.jpgSubsampling = subsampling;
    r.quality = 90;
    r.jpgBytes = out->data();
    r.jpgSizeBytes = (int)out->size();
    int result = JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY);
    JpgLibFree(&r);
    if (result != 0)
        fprintf(stderr, "encode failed: %s\n", JpgErrorText(result));
    return result == 0;
}

struct Shape {
    const char *name;
    int turbo, ours;
};

} // namespace

int main(void)
{
    JpgReadCpuInfo();
    const int fastest = JpgCpuTypeFor(JpgGetCpuInfo(), -1) == JPG_CPU_SSE2 ? JPG_CPU_SSE2 : JPG_CPU_SSE;
    const char *none = getenv("JSIMD_FORCENONE");
    const char *theirs = none && *none == '1' ? "libjpeg-turbo plain C" : "libjpeg-turbo SIMD";
    std::vector<unsigned char> rgb = PhotoStandIn(Width, Height);
    std::vector<unsigned char> pixels((size_t)Width * Height * 3), encoded(pixels.size() + 65536);
    tjhandle compressor = tjInitCompress(), decompressor = tjInitDecompress();
    const Shape shapes[] = {{"4:2:0", TJSAMP_420, JPG_SUBSAMPLING_411},
                            {"4:2:2", TJSAMP_422, JPG_SUBSAMPLING_422},
                            {"4:4:4", TJSAMP_444, JPG_SUBSAMPLING_NONE}};
    printf("%dx%d photograph stand-in, quality 90, processor type %d against generic and %s\n", Width, Height,
           fastest, theirs);
    for (const Shape &shape : shapes) {
        unsigned char *jpeg = nullptr;
        unsigned long size = 0;
        if (tjCompress2(compressor, rgb.data(), Width, 0, Height, TJPF_RGB, &jpeg, &size, shape.turbo, 90, 0) != 0)
            return 1;
        for (bool smooth : {false, true}) {
            int flags = smooth ? 0 : TJFLAG_FASTUPSAMPLE;
            if (smooth && shape.turbo == TJSAMP_444)
                continue;
            std::vector<double> t = TimeInTurns({
                [&] { return OurDecode(0, jpeg, size, &pixels, smooth); },
                [&] { return OurDecode(fastest, jpeg, size, &pixels, smooth); },
                [&] {
                    return tjDecompress2(decompressor, jpeg, size, pixels.data(), Width, 0, Height, TJPF_BGR,
                                         flags) == 0;
                },
            });
            printf("decode %s %s upsampling: packed/generic %.2fx, generic/%s %.2fx, packed/%s %.2fx\n", shape.name,
                   smooth ? "smooth" : "fast", t[0] / t[1], theirs, t[2] / t[0], theirs, t[2] / t[1]);
        }
        tjFree(jpeg);
        std::vector<double> t = TimeInTurns({
            [&] { return OurEncode(0, rgb, shape.ours, &encoded); },
            [&] { return OurEncode(fastest, rgb, shape.ours, &encoded); },
            [&] {
                unsigned char *out = nullptr;
                unsigned long outSize = 0;
                bool ok = tjCompress2(compressor, rgb.data(), Width, 0, Height, TJPF_RGB, &out, &outSize, shape.turbo,
                                      90, 0) == 0;
                tjFree(out);
                return ok;
            },
        });
        printf("encode %s: packed/generic %.2fx, generic/%s %.2fx, packed/%s %.2fx\n", shape.name, t[0] / t[1],
               theirs, t[2] / t[0], theirs, t[2] / t[1]);
    }
    tjDestroy(compressor);
    tjDestroy(decompressor);
    return 0;
}

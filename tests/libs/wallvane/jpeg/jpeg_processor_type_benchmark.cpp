// Decode time of each processor type's routine set against libjpeg-turbo,
// on the pictures named on the command line (files), or on a photograph
// stand-in in three samplings when none is named. Each picture is read as
// the wallpaper changer reads it: header, then the image into 3-byte B, G, R
// pixels, chroma replicated; libjpeg-turbo decodes into the same pixels with
// fast upsampling. The contenders take turns, the median of 9 rounds of
// processor time counts. A program to run by hand (with JSIMD_FORCENONE=1
// libjpeg-turbo runs its plain C); prints, never fails on speed.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include <turbojpeg.h>

#include "benchmark_picture.h"
#include "jpeg_codec.h"
#include "jpeg_dispatch.h"

namespace {

const int Rounds = 9;
const int Types[] = {0, 3, 5, 6};
const int TypeCount = sizeof Types / sizeof Types[0];

struct Picture {
    std::string name;
    std::vector<unsigned char> jpeg;
    int width, height;
};

bool ReadFile(const char *name, std::vector<unsigned char> *bytes)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return false;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok && !bytes->empty();
}

bool OurDecode(int type, Picture &p, std::vector<unsigned char> *dib)
{
    JpgForceCpuTypeForTests(type);
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    r.jpgBytes = p.jpeg.data();
    r.jpgSizeBytes = (int)p.jpeg.size();
    r.dibPixels = dib->data();
    r.dibWidth = p.width;
    r.dibHeight = p.height;
    int result = JpgLibRead(&r, JPG_READ_HEADER_MEMORY);
    if (result == 0)
        result = JpgLibRead(&r, JPG_READ_IMAGE_MEMORY);
    JpgLibFree(&r);
    if (result != 0)
        fprintf(stderr, "%s, type %d: %s\n", p.name.c_str(), type, JpgErrorText(result));
    return result == 0;
}

// Processor seconds of each contender, median of the rounds; the first
// TypeCount are ours, the last libjpeg-turbo's.
bool Time(Picture &p, tjhandle decompressor, double medians[TypeCount + 1])
{
    std::vector<unsigned char> dib((size_t)p.width * p.height * 3);
    std::vector<double> times[TypeCount + 1];
    for (int round = 0; round < Rounds; round++)
        for (int c = 0; c <= TypeCount; c++) {
            double start = ThreadSeconds();
            bool ok = c < TypeCount ? OurDecode(Types[c], p, &dib)
                                    : tjDecompress2(decompressor, p.jpeg.data(), p.jpeg.size(), dib.data(), p.width,
                                                    0, p.height, TJPF_BGR, TJFLAG_FASTUPSAMPLE) == 0;
            if (!ok)
                return false;
            times[c].push_back(ThreadSeconds() - start);
        }
    for (int c = 0; c <= TypeCount; c++) {
        std::nth_element(times[c].begin(), times[c].begin() + Rounds / 2, times[c].end());
        medians[c] = times[c][Rounds / 2];
    }
    return true;
}

void AddStandIns(tjhandle compressor, std::vector<Picture> *pictures)
{
    const int width = 2048, height = 1536;
    std::vector<unsigned char> rgb = PhotoStandIn(width, height);
    const struct {
        const char *name;
        int sampling;
    } shapes[] = {{"stand-in 4:2:0", TJSAMP_420}, {"stand-in 4:2:2", TJSAMP_422}, {"stand-in 4:4:4", TJSAMP_444}};
    for (const auto &shape : shapes) {
        unsigned char *jpeg = nullptr;
        unsigned long size = 0;
        if (tjCompress2(compressor, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, shape.sampling, 90, 0) == 0)
            pictures->push_back({shape.name, std::vector<unsigned char>(jpeg, jpeg + size), width, height});
        tjFree(jpeg);
    }
}

} // namespace

int main(int argc, char **argv)
{
    tjhandle compressor = tjInitCompress(), decompressor = tjInitDecompress();
    std::vector<Picture> pictures;
    for (int i = 1; i < argc; i++) {
        Picture p = {argv[i], {}, 0, 0};
        int sampling, colours;
        if (!ReadFile(argv[i], &p.jpeg) ||
            tjDecompressHeader3(decompressor, p.jpeg.data(), p.jpeg.size(), &p.width, &p.height, &sampling,
                                &colours) != 0) {
            fprintf(stderr, "%s: not a picture libjpeg-turbo reads\n", argv[i]);
            return 1;
        }
        pictures.push_back(p);
    }
    if (pictures.empty())
        AddStandIns(compressor, &pictures);
    const char *none = getenv("JSIMD_FORCENONE");
    printf("decode time / libjpeg-turbo's (%s), by processor type, median of %d rounds\n",
           none && *none == '1' ? "plain C" : "SIMD", Rounds);
    printf("%-40s", "picture");
    for (int type : Types)
        printf("  type %d", type);
    printf("\n");
    for (Picture &p : pictures) {
        double medians[TypeCount + 1];
        if (!Time(p, decompressor, medians))
            return 1;
        std::string name = p.name.size() > 40 ? "..." + p.name.substr(p.name.size() - 37) : p.name;
        printf("%-40s", name.c_str());
        for (int c = 0; c < TypeCount; c++)
            printf("  %5.2fx", medians[c] / medians[TypeCount]);
        printf("\n");
        fflush(stdout);
    }
    tjDestroy(compressor);
    tjDestroy(decompressor);
    return 0;
}

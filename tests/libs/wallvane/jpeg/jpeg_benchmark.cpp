// Decode and encode speed next to libjpeg-turbo's, on the same pictures in
// the same run: our routines of each processor type, libjpeg-turbo with its
// SIMD (in this process) and with its plain C (in a child process) take
// turns, and the median of the rounds' processor times counts. Pictures:
// real photographs from Debian's background package where it is installed,
// and pictures made here at three sizes up to 6000 x 4000, one of them
// smooth. Built without sanitizers; prints ratios (our time over theirs,
// below 1 is faster), never fails on speed.
//   zt_jpeg_benchmark [rounds] [--quick]
// --quick takes two photographs and the two smaller made pictures.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <turbojpeg.h>

#include "benchmark_picture.h"
#include "jpeg_codec.h"
#include "jpeg_dispatch.h"
#include "turbo_contender.h"

namespace {

const int Quality = 90;
// Processor types with routines of their own; 1 and 2 fill type 0's.
const int OurTypes[] = {JPG_CPU_GENERIC, JPG_CPU_MMX, JPG_CPU_MMX_FAMILY6, JPG_CPU_SSE, JPG_CPU_SSE2};
const int TypeCount = sizeof OurTypes / sizeof OurTypes[0];

struct Picture {
    std::string name;
    int width = 0, height = 0;
    int turboSampling = TJSAMP_420;
    std::vector<unsigned char> rgb, jpeg;
};

enum Operation { DECODE_FAST, DECODE_SMOOTH, ENCODE_INT, ENCODE_INT_PROGRESSIVE, ENCODE_AAN, ENCODE_AAN_PROGRESSIVE };
const char *const OperationNames[] = {"decode fast",      "decode smooth", "encode int",
                                      "encode int prog.", "encode AAN",    "encode AAN prog."};
const int OperationCount = 6;

bool IsEncode(int operation)
{
    return operation >= ENCODE_INT;
}

bool Progressive(int operation)
{
    return operation == ENCODE_INT_PROGRESSIVE || operation == ENCODE_AAN_PROGRESSIVE;
}

bool Aan(int operation)
{
    return operation == ENCODE_AAN || operation == ENCODE_AAN_PROGRESSIVE;
}

int OurSampling(int turboSampling)
{
    return turboSampling == TJSAMP_444 ? JPG_SUBSAMPLING_NONE
           : turboSampling == TJSAMP_422 ? JPG_SUBSAMPLING_422
                                         : JPG_SUBSAMPLING_411;
}

const char *SamplingName(int turboSampling)
{
    switch (turboSampling) {
    case TJSAMP_444:
        return "4:4:4";
    case TJSAMP_422:
        return "4:2:2";
    case TJSAMP_420:
        return "4:2:0";
    case TJSAMP_GRAY:
        return "gray";
    case TJSAMP_440:
        return "4:4:0";
    default:
        return "4:1:1";
    }
}

// Output buffers kept between runs, as libjpeg-turbo's side keeps its own.
std::vector<unsigned char> OurPixels, OurJpeg;

double OurRunOnce(int type, const Picture &picture, int operation)
{
    JpgForceCpuTypeForTests(type);
    double start = ThreadSeconds();
    JPEG_IMAGE_PROPS r;
    int result = JpgLibInit(&r);
    if (IsEncode(operation)) {
        r.dibPixels = const_cast<unsigned char *>(picture.rgb.data());
        r.dibWidth = r.jpgWidth = picture.width;
        r.dibHeight = r.jpgHeight = picture.height;
        r.dibColour = JPG_COLOUR_RGB;
        r.jpgSubsampling = OurSampling(picture.turboSampling);
        r.quality = Quality;
        r.jpgBytes = OurJpeg.data();
        r.jpgSizeBytes = (int)OurJpeg.size();
        r.props.progressiveScans = Progressive(operation) ? 1 : 0;
        r.props.dctMethod = Aan(operation) ? JPG_DCT_AAN : JPG_DCT_INTEGER;
        if (result == 0)
            result = JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY);
    } else {
        r.jpgBytes = const_cast<unsigned char *>(picture.jpeg.data());
        r.jpgSizeBytes = (int)picture.jpeg.size();
        r.dibPixels = OurPixels.data();
        r.dibWidth = picture.width;
        r.dibHeight = picture.height;
        if (result == 0)
            result = JpgLibRead(&r, JPG_READ_HEADER_MEMORY);
        r.props.fourRowBuffers = operation == DECODE_SMOOTH ? 1 : 0;
        if (result == 0)
            result = JpgLibRead(&r, JPG_READ_IMAGE_MEMORY);
    }
    JpgLibFree(&r);
    double seconds = ThreadSeconds() - start;
    if (result != 0) {
        fprintf(stderr, "%s of %s failed on type %d: %s\n", OperationNames[operation], picture.name.c_str(), type,
                JpgErrorText(result));
        return -1;
    }
    return seconds;
}

TurboJob TurboJobFor(const Picture &picture, int operation)
{
    TurboJob job = {IsEncode(operation) ? TURBO_ENCODE : TURBO_DECODE, picture.width, picture.height,
                    picture.turboSampling, Quality, 0};
    if (operation == DECODE_FAST)
        job.flags |= TJFLAG_FASTUPSAMPLE;
    if (Progressive(operation))
        job.flags |= TJFLAG_PROGRESSIVE;
    if (Aan(operation))
        job.flags |= TJFLAG_FASTDCT;
    return job;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Row {
    std::string picture;
    int operation;
    double ours[TypeCount], simd, plain;
};

// Every contender once per round, in turn, so that all meet the same load.
bool TimeRow(const Picture &picture, int operation, int rounds, PlainTurbo *worker, Row *row)
{
    std::vector<double> times[TypeCount + 2];
    TurboJob job = TurboJobFor(picture, operation);
    const std::vector<unsigned char> &input = IsEncode(operation) ? picture.rgb : picture.jpeg;
    for (int round = 0; round < rounds; round++) {
        for (int t = 0; t < TypeCount; t++)
            times[t].push_back(OurRunOnce(OurTypes[t], picture, operation));
        times[TypeCount].push_back(TurboRunOnce(job, input));
        times[TypeCount + 1].push_back(RunPlainTurbo(worker, job));
    }
    for (const std::vector<double> &t : times)
        if (*std::min_element(t.begin(), t.end()) < 0)
            return false;
    row->picture = picture.name;
    row->operation = operation;
    for (int t = 0; t < TypeCount; t++)
        row->ours[t] = Median(times[t]);
    row->simd = Median(times[TypeCount]);
    row->plain = Median(times[TypeCount + 1]);
    return true;
}

void PrintHeader(void)
{
    printf("%-44s %-17s %-36s %-36s %7s %8s\n", "", "", "ours / libjpeg-turbo SIMD", "ours / libjpeg-turbo plain C",
           "C/SIMD", "SIMD ms");
    printf("%-44s %-17s", "picture", "operation");
    for (int pass = 0; pass < 2; pass++) {
        for (int t = 0; t < TypeCount; t++)
            printf("  type%d", OurTypes[t]);
        printf(" ");
    }
    printf("\n");
}

void PrintRow(const Row &row)
{
    printf("%-44s %-17s", row.picture.c_str(), OperationNames[row.operation]);
    for (double reference : {row.simd, row.plain}) {
        for (int t = 0; t < TypeCount; t++)
            printf(" %6.2f", row.ours[t] / reference);
        printf(" ");
    }
    printf(" %6.2f %8.1f\n", row.plain / row.simd, row.simd * 1e3);
    fflush(stdout);
}

// The worst ratio of each operation and type over every picture.
void PrintWorst(const std::vector<Row> &rows)
{
    printf("\nworst over all pictures, ours / libjpeg-turbo SIMD:\n");
    for (int operation = 0; operation < OperationCount; operation++) {
        double worst[TypeCount] = {};
        bool any = false;
        for (const Row &row : rows)
            if (row.operation == operation) {
                any = true;
                for (int t = 0; t < TypeCount; t++)
                    worst[t] = std::max(worst[t], row.ours[t] / row.simd);
            }
        if (!any)
            continue;
        printf("%-44s %-17s", "", OperationNames[operation]);
        for (int t = 0; t < TypeCount; t++)
            printf(" %6.2f", worst[t]);
        printf("\n");
    }
}

bool ReadFile(const char *path, std::vector<unsigned char> *bytes)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return false;
    unsigned char chunk[65536];
    size_t n;
    bytes->clear();
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + n);
    fclose(f);
    return !bytes->empty();
}

// Whether the frame header ahead of the first scan is progressive (SOF2).
bool IsProgressive(const std::vector<unsigned char> &jpeg)
{
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        int marker = jpeg[i + 1];
        if (marker == 0xC2)
            return true;
        if (marker == 0xDA)
            return false;
        i += 2 + (jpeg[i + 2] << 8 | jpeg[i + 3]);
    }
    return false;
}

// A photograph as it was shipped, and its pixels for the encoders.
bool LoadPhoto(const char *path, Picture *picture)
{
    if (!ReadFile(path, &picture->jpeg))
        return false;
    tjhandle decompressor = tjInitDecompress();
    int sampling, colourspace;
    bool ok = tjDecompressHeader3(decompressor, picture->jpeg.data(), picture->jpeg.size(), &picture->width,
                                  &picture->height, &sampling, &colourspace) == 0;
    if (ok) {
        picture->turboSampling = sampling;
        picture->rgb.resize((size_t)picture->width * picture->height * 3);
        ok = tjDecompress2(decompressor, picture->jpeg.data(), picture->jpeg.size(), picture->rgb.data(),
                           picture->width, 0, picture->height, TJPF_RGB, 0) == 0;
    }
    tjDestroy(decompressor);
    const char *base = strrchr(path, '/');
    char name[96];
    snprintf(name, sizeof name, "%.40s %dx%d %s%s", base ? base + 1 : path, picture->width, picture->height,
             SamplingName(picture->turboSampling), IsProgressive(picture->jpeg) ? " prog" : "");
    picture->name = name;
    return ok;
}

// A picture made here, coded by libjpeg-turbo at the benchmark's quality.
bool MakePicture(const char *kind, int width, int height, int sampling, Picture *picture)
{
    picture->width = width;
    picture->height = height;
    picture->turboSampling = sampling;
    picture->rgb = strcmp(kind, "smooth") == 0 ? SmoothPicture(width, height) : PhotoStandIn(width, height);
    char name[96];
    snprintf(name, sizeof name, "made %s %dx%d %s", kind, width, height, SamplingName(sampling));
    picture->name = name;
    tjhandle compressor = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    bool ok = tjCompress2(compressor, picture->rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, sampling,
                          Quality, 0) == 0;
    if (ok)
        picture->jpeg.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(compressor);
    return ok;
}

// Debian's mate-backgrounds: baseline 4:2:0, 4:2:2 and 4:4:4 photographs
// from 1.3 to 18 megapixels, two of them progressive.
const char *const Photos[] = {
    "/usr/share/backgrounds/mate/nature/Aqua.jpg",        "/usr/share/backgrounds/mate/nature/TwoWings.jpg",
    "/usr/share/backgrounds/mate/nature/Blinds.jpg",      "/usr/share/backgrounds/mate/nature/Wood.jpg",
    "/usr/share/backgrounds/mate/desktop/GreenTraditional.jpg",
    "/usr/share/backgrounds/mate/nature/GreenMeadow.jpg", "/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg",
};
const int QuickPhotos = 2;

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], PlainTurboWorkerArgument) == 0)
        return PlainTurboWorkerMain();
    int rounds = 5;
    bool quick = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (atoi(argv[i]) > 0)
            rounds = atoi(argv[i]);
    }
    // This process is the SIMD side whatever the caller's environment says.
    unsetenv("JSIMD_FORCENONE");
    unsetenv("JSIMD_FORCESSE2");
    unsetenv("JSIMD_FORCEAVX2");
    PlainTurbo worker;
    if (!StartPlainTurbo(&worker)) {
        fprintf(stderr, "could not start the plain C worker\n");
        return 1;
    }

    std::vector<Picture> pictures;
    int photos = 0;
    for (const char *path : Photos) {
        if (quick && photos == QuickPhotos)
            break;
        Picture picture;
        if (LoadPhoto(path, &picture)) {
            pictures.push_back(picture);
            photos++;
        }
    }
    if (photos == 0)
        printf("no photographs of mate-backgrounds found (./dev installs them); made pictures only\n");
    struct Made {
        const char *kind;
        int width, height, sampling;
    };
    const Made made[] = {{"photo-like", 640, 480, TJSAMP_444},
                         {"photo-like", 2048, 1536, TJSAMP_420},
                         {"photo-like", 6000, 4000, TJSAMP_420},
                         {"smooth", 6000, 4000, TJSAMP_420}};
    for (const Made &m : made) {
        if (quick && m.width > 2048)
            break;
        Picture picture;
        if (!MakePicture(m.kind, m.width, m.height, m.sampling, &picture))
            return 1;
        pictures.push_back(picture);
    }

    JpgReadCpuInfo();
    printf("quality %d, median of %d rounds of processor time; this processor's own type is %d\n", Quality, rounds,
           JpgCpuTypeFor(JpgGetCpuInfo(), -1));
    PrintHeader();
    std::vector<Row> rows;
    for (const Picture &picture : pictures) {
        size_t pixels = (size_t)picture.width * picture.height * 3;
        OurPixels.resize(pixels);
        OurJpeg.resize(pixels + 65536);
        if (!SendPlainTurboInput(&worker, picture.jpeg))
            return 1;
        for (int operation = 0; operation < OperationCount; operation++) {
            // Smoothing is for subsampled chroma only; 4:4:4 has none.
            if (operation == DECODE_SMOOTH && picture.turboSampling == TJSAMP_444)
                continue;
            if (operation == ENCODE_INT && !SendPlainTurboInput(&worker, picture.rgb))
                return 1;
            Row row;
            if (!TimeRow(picture, operation, rounds, &worker, &row))
                return 1;
            rows.push_back(row);
            PrintRow(row);
        }
    }
    PrintWorst(rows);
    StopPlainTurbo(&worker);
    return 0;
}

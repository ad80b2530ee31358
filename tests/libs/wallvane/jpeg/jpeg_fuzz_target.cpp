// One input through the reader's header, thumbnail, coefficient, scaled
// and region paths, from memory and from a file, and through the header
// read then pixel read that the wallpaper changer makes.
// Built into the mutation test, and with clang into a libFuzzer program.
#include "jpeg_fuzz_target.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "jpeg_codec.h"
#include "jpeg_dispatch.h"
#include "jpeg_forced_cpu.h"
#include "jpeg_test_files.h"

// Regions as fractions of the picture (left, top, right, bottom in 60ths):
// none, one in the middle, the bottom right corner, and one above it.
const int Regions[][4] = {{0, 0, 0, 0}, {20, 15, 48, 40}, {30, 40, 60, 60}, {0, 8, 15, 20}};

// Region number `region` of a picture of width x height at the read's
// scale, which then become the region's size; region 0 is none.
static void SetRegion(JPEG_PROPERTIES *p, int region, int *width, int *height)
{
    if (!region)
        return;
    const int *r = Regions[region];
    p->roiLeft = *width * r[0] / 60;
    p->roiTop = *height * r[1] / 60;
    p->roiRight = *width * r[2] / 60;
    p->roiBottom = *height * r[3] / 60;
    *width = p->roiRight > p->roiLeft ? p->roiRight - p->roiLeft : 1;
    *height = p->roiBottom > p->roiTop ? p->roiBottom - p->roiTop : 1;
}

// Pixels into a bitmap of exactly the picture's size at the mode's scale,
// or of the region's size when one is given. Without a header read in
// between, region reads on one record go through the row index the read
// before kept.
static void DecodePixels(JPEG_IMAGE_PROPS *record, uint8_t *bytes, size_t size, int mode, int colour, int channels,
                         int method, int smooth = 0, int region = 0)
{
    int scale = mode == JPG_READ_QUARTER_MEMORY ? 4 : mode == JPG_READ_HALF_MEMORY ? 2 : 1;
    int width = (record->props.frameWidth + scale - 1) / scale;
    int height = (record->props.frameHeight + scale - 1) / scale;
    JPEG_PROPERTIES &p = record->props;
    p.fourRowBuffers = smooth;
    p.roiLeft = p.roiTop = p.roiRight = p.roiBottom = 0;
    SetRegion(&p, region, &width, &height);
    uint8_t *dib = static_cast<uint8_t *>(malloc((size_t)width * height * channels));
    if (!dib)
        return;
    record->dibPixels = dib;
    record->dibWidth = width;
    record->dibHeight = height;
    record->dibChannels = channels;
    record->dibColour = colour;
    record->jpgBytes = bytes;
    record->jpgSizeBytes = (int)size;
    record->props.dctMethod = method;
    JpgLibRead(record, mode);
    free(dib);
    p.fourRowBuffers = 0;
    p.roiLeft = p.roiTop = p.roiRight = p.roiBottom = 0;
}

// Pixels decoded at most: a mutated header naming a large frame would
// otherwise make each input cost a second.
const long long MostPixels = 1 << 16;

// Bytes after the bitmap that no read may touch.
const size_t Guard = 64;
const uint8_t GuardByte = 0xA5;

struct PixelRead {
    int mode; // the file form; memory takes mode + 1
    int region; // an index into Regions
    int smooth;
};

// A header read, then a pixel read into a bitmap sized from what it
// reported, on a fresh record, as the changer does. Gives the first failing
// read's result; stops the program when a read writes past the bitmap or
// the record ends up reporting another size than the header read did,
// since a caller's rows would then be read past their buffer.
static int HeaderThenPixels(uint8_t *bytes, size_t size, const char *path, const PixelRead &read)
{
    int memory = path ? 0 : 1;
    JPEG_IMAGE_PROPS record;
    if (JpgLibInit(&record) != 0)
        return 0;
    record.jpgFileName = path;
    record.jpgBytes = bytes;
    record.jpgSizeBytes = (int)size;
    int result = JpgLibRead(&record, JPG_READ_HEADER_FILE + memory);
    int width = record.jpgWidth, height = record.jpgHeight;
    if (result == 0 && !record.props.frameNeeded && (long long)width * height <= MostPixels) {
        int scale = read.mode == JPG_READ_QUARTER_FILE ? 4 : read.mode == JPG_READ_HALF_FILE ? 2 : 1;
        int w = (width + scale - 1) / scale, h = (height + scale - 1) / scale;
        JPEG_PROPERTIES &p = record.props;
        SetRegion(&p, read.region, &w, &h);
        p.fourRowBuffers = read.smooth;
        size_t bitmapBytes = (size_t)w * h * 3;
        uint8_t *dib = static_cast<uint8_t *>(malloc(bitmapBytes + Guard));
        if (dib) {
            memset(dib + bitmapBytes, GuardByte, Guard);
            record.dibPixels = dib;
            record.dibWidth = w;
            record.dibHeight = h;
            record.dibChannels = 3;
            record.dibColour = JPG_COLOUR_BGR;
            result = JpgLibRead(&record, read.mode + memory);
            for (size_t i = 0; i < Guard; i++)
                if (dib[bitmapBytes + i] != GuardByte)
                    abort();
            if (record.jpgWidth != width || record.jpgHeight != height)
                abort();
            free(dib);
        }
    }
    JpgLibFree(&record);
    return result;
}

// The input as a file, at one path per process.
static const char *AsFile(const uint8_t *data, size_t size)
{
    static const std::string path = TempPath("fuzz.jpg");
    return WriteWholeFile(path, Bytes(data, data + size)) ? path.c_str() : nullptr;
}

// The coefficients of every component through the raw-block hook.
static void DecodeCoefficients(JPEG_IMAGE_PROPS *record, uint8_t *bytes, size_t size)
{
    JPEG_PROPERTIES &p = record->props;
    JpgRawBlockHook hook = {};
    int16_t *planes[JPG_MAX_COMPONENTS] = {};
    bool ok = true;
    for (int c = 0; c < p.componentCount && ok; c++) {
        size_t values =
            (size_t)p.frameMcusAcross * p.components[c].h * 8 * (size_t)p.frameMcusDown * p.components[c].v * 8;
        planes[c] = static_cast<int16_t *>(calloc(values ? values : 1, sizeof(int16_t)));
        ok = planes[c] != nullptr;
        hook.planes[c] = planes[c];
    }
    if (ok) {
        p.rawBlockHook = &hook;
        record->jpgBytes = bytes;
        record->jpgSizeBytes = (int)size;
        JpgLibRead(record, JPG_READ_IMAGE_MEMORY);
        p.rawBlockHook = nullptr;
    }
    for (int16_t *plane : planes)
        free(plane);
}

// The coefficients of every component on a record of the processor type,
// and the read's result.
static int CoefficientsOnType(int type, uint8_t *bytes, size_t size, std::vector<std::vector<int16_t>> *planes)
{
    JpgForceCpuTypeForTests(type);
    JPEG_IMAGE_PROPS record;
    int result = JpgLibInit(&record);
    ApplyForcedCpuTypeFromEnvironment();
    if (result != 0)
        return result;
    record.jpgBytes = bytes;
    record.jpgSizeBytes = (int)size;
    result = JpgLibRead(&record, JPG_READ_HEADER_MEMORY);
    JPEG_PROPERTIES &p = record.props;
    if (result == 0 && !p.frameNeeded && (long long)p.frameWidth * p.frameHeight <= MostPixels) {
        JpgRawBlockHook hook = {};
        planes->resize(p.componentCount);
        for (int c = 0; c < p.componentCount; c++) {
            (*planes)[c].assign(
                (size_t)p.frameMcusAcross * p.components[c].h * 8 * (size_t)p.frameMcusDown * p.components[c].v * 8 + 1, 0);
            hook.planes[c] = (*planes)[c].data();
        }
        p.rawBlockHook = &hook;
        record.jpgBytes = bytes;
        record.jpgSizeBytes = (int)size;
        result = JpgLibRead(&record, JPG_READ_IMAGE_MEMORY);
        p.rawBlockHook = nullptr;
    } else if (result == 0) {
        result = -1;
    }
    JpgLibFree(&record);
    return result;
}

// The generic type and the SSE2 type decode the same coefficients from
// every input both accept, however it ends.
static void CompareTypes(uint8_t *bytes, size_t size)
{
    std::vector<std::vector<int16_t>> generic, packed;
    int a = CoefficientsOnType(0, bytes, size, &generic), b = CoefficientsOnType(6, bytes, size, &packed);
    if (a != b || (a >= 0 && generic != packed))
        abort();
}

static void ReadThumbnail(JPEG_IMAGE_PROPS *record, uint8_t *bytes, size_t size)
{
    static uint8_t thumb[255 * 255 * 3];
    record->dibPixels = thumb;
    record->dibWidth = 255;
    record->dibHeight = -255;
    record->dibColour = JPG_COLOUR_RGB;
    record->dibChannels = 3;
    record->jpgBytes = bytes;
    record->jpgSizeBytes = (int)size;
    JpgLibRead(record, JPG_READ_THUMB_MEMORY);
}

// The same read from a file and from memory: a stream gives the same result
// whichever way it comes.
static void CompareFileWithMemory(uint8_t *bytes, size_t size, const PixelRead &read)
{
    const char *path = AsFile(bytes, size);
    if (!path)
        return;
    if (HeaderThenPixels(bytes, size, path, read) != HeaderThenPixels(bytes, size, nullptr, read))
        abort();
    remove(path);
}

int JpegFuzzOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > (1u << 20))
        return 0;
    // A copy of exactly the input's size, so reading past it is caught.
    uint8_t *bytes = static_cast<uint8_t *>(malloc(size));
    if (!bytes)
        return 0;
    memcpy(bytes, data, size);
    JPEG_IMAGE_PROPS record;
    if (JpgLibInit(&record) != 0) {
        free(bytes);
        return 0;
    }
    record.jpgBytes = bytes;
    record.jpgSizeBytes = (int)size;
    int result = JpgLibRead(&record, JPG_READ_HEADER_MEMORY);
    JPEG_PROPERTIES &p = record.props;
    // One group of reads an input, chosen by its bytes, keeps the run fast
    // enough for millions of inputs; the reads of a group share a record,
    // as a caller's reads of one picture do.
    unsigned group = (unsigned)(size * 131 + data[size / 2] * 7 + data[size - 1]) % 8;
    // Small frames only: a hostile header may name 65535 x 65535.
    bool small = result == 0 && !p.frameNeeded && (long long)p.frameWidth * p.frameHeight <= MostPixels;
    if (small && group == 0) {
        DecodeCoefficients(&record, bytes, size);
    } else if (small && group == 1) {
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_INTEGER);
        DecodePixels(&record, bytes, size, JPG_READ_QUARTER_MEMORY, JPG_COLOUR_RGBA, 4, JPG_DCT_AAN);
    } else if (small && group == 2) {
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_RGB, 3, JPG_DCT_INTEGER, 1, 1);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 0, 2);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 0, 3);
    } else if (small && group == 3) {
        DecodePixels(&record, bytes, size, JPG_READ_HALF_MEMORY, JPG_COLOUR_RGBA, 4, JPG_DCT_INTEGER, 1, 2);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 1);
    }
    ReadThumbnail(&record, bytes, size);
    JpgLibFree(&record);

    const PixelRead reads[] = {{JPG_READ_IMAGE_FILE, 0, 0},
                               {JPG_READ_QUARTER_FILE, 0, 0},
                               {JPG_READ_IMAGE_FILE, 1, 1},
                               {JPG_READ_HALF_FILE, 3, 0}};
    if (group >= 4)
        CompareFileWithMemory(bytes, size, reads[group - 4]);
    if (group % 2 == 0)
        CompareTypes(bytes, size);
    free(bytes);
    return 0;
}

#ifdef ZT_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return JpegFuzzOneInput(data, size);
}
#endif

// One input through the reader's header, thumbnail, coefficient, scaled
// and region paths.
// Built into the mutation test, and with clang into a libFuzzer program.
#include "jpeg_fuzz_target.h"

#include <stdlib.h>
#include <string.h>

#include "jpeg_codec.h"

// Regions as fractions of the picture (left, top, right, bottom in 60ths):
// none, one in the middle, the bottom right corner, and one above it.
const int Regions[][4] = {{0, 0, 0, 0}, {20, 15, 48, 40}, {30, 40, 60, 60}, {0, 8, 15, 20}};

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
    if (region) {
        const int *r = Regions[region];
        p.roiLeft = width * r[0] / 60;
        p.roiTop = height * r[1] / 60;
        p.roiRight = width * r[2] / 60;
        p.roiBottom = height * r[3] / 60;
        width = p.roiRight > p.roiLeft ? p.roiRight - p.roiLeft : 1;
        height = p.roiBottom > p.roiTop ? p.roiBottom - p.roiTop : 1;
    }
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
    // Small frames only: a hostile header may name 65535 x 65535.
    if (result == 0 && !p.frameNeeded && (long long)p.frameWidth * p.frameHeight <= (1 << 20)) {
        JpgRawBlockHook hook = {};
        int16_t *planes[JPG_MAX_COMPONENTS] = {};
        bool ok = true;
        for (int c = 0; c < p.componentCount && ok; c++) {
            size_t values = (size_t)p.frameMcusAcross * p.components[c].h * 8 *
                            (size_t)p.frameMcusDown * p.components[c].v * 8;
            planes[c] = static_cast<int16_t *>(calloc(values ? values : 1, sizeof(int16_t)));
            ok = planes[c] != nullptr;
            hook.planes[c] = planes[c];
        }
        if (ok) {
            p.rawBlockHook = &hook;
            record.jpgBytes = bytes;
            record.jpgSizeBytes = (int)size;
            JpgLibRead(&record, JPG_READ_IMAGE_MEMORY);
            p.rawBlockHook = nullptr;
        }
        for (int16_t *plane : planes)
            free(plane);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_INTEGER);
        DecodePixels(&record, bytes, size, JPG_READ_QUARTER_MEMORY, JPG_COLOUR_RGBA, 4, JPG_DCT_AAN);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_RGB, 3, JPG_DCT_INTEGER, 1, 1);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 0, 2);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 0, 3);
        DecodePixels(&record, bytes, size, JPG_READ_HALF_MEMORY, JPG_COLOUR_RGBA, 4, JPG_DCT_INTEGER, 1, 2);
        DecodePixels(&record, bytes, size, JPG_READ_IMAGE_MEMORY, JPG_COLOUR_BGR, 3, JPG_DCT_AAN, 1);
    }
    uint8_t thumb[255 * 255 * 3];
    record.dibPixels = thumb;
    record.dibWidth = 255;
    record.dibHeight = -255;
    record.dibColour = JPG_COLOUR_RGB;
    record.dibChannels = 3;
    record.jpgBytes = bytes;
    record.jpgSizeBytes = (int)size;
    JpgLibRead(&record, JPG_READ_THUMB_MEMORY);
    JpgLibFree(&record);
    free(bytes);
    return 0;
}

#ifdef ZT_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return JpegFuzzOneInput(data, size);
}
#endif

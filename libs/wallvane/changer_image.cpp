#include "changer_image.h"

#include <cstdlib>
#include <cstring>

#include "image_filters.h"
#include "jpeg_codec.h"
#include "jpeg_platform.h"

void ReleaseChangerImage(ChangerImage *image)
{
    if (!image)
        return;
    std::free(image->pixels);
    std::free(image);
}

// Each failure is told only on the debugger output; the caller reports the path.
static ChangerImage *FailLoad(const char *why, JPEG_IMAGE_PROPS *record, bool initialised)
{
    JpgTrace(why);
    if (record) {
        std::free(record->dibPixels);
        if (initialised)
            JpgLibFree(record);
        std::free(record);
    }
    return nullptr;
}

ChangerImage *LoadJpegImage(const char *path)
{
    JPEG_IMAGE_PROPS *record = (JPEG_IMAGE_PROPS *)std::calloc(1, sizeof(JPEG_IMAGE_PROPS));
    if (!record)
        return FailLoad("Cannot initialize JPEG library\n", nullptr, false);
    if (JpgLibInit(record) != 0)
        return FailLoad("Cannot initialize JPEG library\n", record, false);
    record->jpgFileName = path;
    if (JpgLibRead(record, 0) != 0)
        return FailLoad("Cannot read JPEG file header\n", record, true);

    switch (record->jpgChannels) {
    case 1:
        record->jpgColour = 4;
        record->dibChannels = 3;
        record->dibColour = 2;
        break;
    case 3:
        record->jpgColour = 3;
        record->dibChannels = 3;
        record->dibColour = 2;
        break;
    case 4:
        record->jpgColour = 6;
        record->dibChannels = 4;
        record->dibColour = 5;
        break;
    default:
        // Only one, three or four components make a picture this changer can show.
        return FailLoad("Unsupported number of components\n", record, true);
    }
    if (record->dibColour == 5)
        return FailLoad("Conversion code needed here. Left out of the demo program\n", record,
                        true);

    // Sizes come from the file: computed without wrap-around and capped.
    uint32_t rowBytes = PaddedRowBytes(record->jpgWidth, record->dibChannels);
    uint32_t total = ImageBytes(record->jpgWidth, record->jpgHeight, record->dibChannels);
    if (!rowBytes || !total)
        return FailLoad("Picture too large\n", record, true);
    record->dibWidth = record->jpgWidth;
    record->dibHeight = record->jpgHeight;
    record->dibPadBytes = (int)rowBytes - record->dibWidth * record->dibChannels;
    record->dibPixels = (uint8_t *)std::malloc(total);
    if (!record->dibPixels)
        return FailLoad("Cannot read image data\n", record, true);
    if (JpgLibRead(record, 2) != 0)
        return FailLoad("Cannot read image data\n", record, true);
    // The rows are those the bitmap was made for: a record that reported
    // another size now would have the rows read past the buffer's end.
    if (record->jpgWidth != record->dibWidth || record->jpgHeight != record->dibHeight)
        return FailLoad("Cannot read image data\n", record, true);

    ChangerImage *image = (ChangerImage *)std::calloc(1, sizeof(ChangerImage));
    if (!image)
        return FailLoad("Cannot read image data\n", record, true);
    image->pixels = record->dibPixels;
    image->width = record->dibWidth;
    image->height = record->dibHeight;
    image->channels = record->dibChannels;
    image->padBytes = record->dibPadBytes;
    record->dibPixels = nullptr;
    JpgLibFree(record);
    std::free(record);
    return image;
}

int PrepareWallpaperImage(ChangerImage *image, const ChangerSettings *settings, int desktopWidth,
                          int desktopHeight)
{
    uint32_t rowBytes = PaddedRowBytes(image->width, image->channels);
    uint32_t total = ImageBytes(image->width, image->height, image->channels);
    if (!rowBytes || !total)
        return -1;
    unsigned char *flipped = (unsigned char *)std::malloc(total);
    if (!flipped)
        return -1;
    for (int k = 0; k < image->height; ++k)
        std::memcpy(flipped + (size_t)(image->height - 1 - k) * rowBytes,
                    image->pixels + (size_t)k * rowBytes, rowBytes);
    std::free(image->pixels);
    image->pixels = flipped;

    // The resize and the filters work on 3-byte pixels only.
    if (image->channels != 3)
        return 0;
    if (settings->bilinear) {
        int w, h;
        if (FitToDesktop(image->width, image->height, desktopWidth, desktopHeight, &w, &h) == 0) {
            uint32_t fitRow = PaddedRowBytes(w, 3);
            uint32_t fitTotal = ImageBytes(w, h, 3);
            unsigned char *fitted = fitTotal ? (unsigned char *)std::malloc(fitTotal) : nullptr;
            if (!fitted)
                return -1;
            BilinearResize24(image->pixels, (int)rowBytes, image->width, image->height, fitted,
                             (int)fitRow, w, h);
            std::free(image->pixels);
            image->pixels = fitted;
            image->width = w;
            image->height = h;
            image->padBytes = (int)fitRow - 3 * w;
            rowBytes = fitRow;
        }
    }
    if (settings->sharpenMore)
        ApplyFilter5x5(image->pixels, (int)rowBytes, 24, image->width, image->height,
                       FindFilterKernel("Sharpen Strong"));
    if (settings->sharpen)
        ApplyFilter5x5(image->pixels, (int)rowBytes, 24, image->width, image->height,
                       FindFilterKernel("__Sharpen"));
    return 0;
}

#include "wallpaper_change.h"

#include <cstdlib>

#include "jpeg_codec.h"

// Each failure is told only on the debugger output; the caller reports the path.
static ChangerImage *FailLoad(const char *why, JPEG_IMAGE_PROPS *record, bool initialised)
{
    OutputDebugStringA(why);
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

    ChangerImage *image = (ChangerImage *)std::calloc(1, sizeof(ChangerImage));
    if (!image)
        return FailLoad("Cannot read image data\n", record, true);
    image->pixels = record->dibPixels;
    image->width = record->jpgWidth;
    image->height = record->jpgHeight;
    image->channels = record->dibChannels;
    image->padBytes = record->dibPadBytes;
    record->dibPixels = nullptr;
    JpgLibFree(record);
    std::free(record);
    return image;
}

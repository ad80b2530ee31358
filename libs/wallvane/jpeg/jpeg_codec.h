// The JPEG codec's interface: one caller-owned record and six operations.
#pragma once
#include "jpeg_types.h"

struct JPEG_IMAGE_PROPS {
    int useInnerProperties;
    uint8_t *dibPixels;
    int dibWidth;
    int dibHeight;
    int dibPadBytes;
    int dibChannels;
    int dibColour;
    int dibSubsampling;
    const char *jpgFileName;
    uint8_t *jpgBytes;
    int jpgSizeBytes;
    int jpgWidth;
    int jpgHeight;
    int jpgChannels;
    int jpgColour;
    int jpgSubsampling;
    int jpgThumbWidth;
    int jpgThumbHeight;
    int colourConversionNeeded;
    int upsamplingNeeded;
    int quality;
    int reserved;
    JPEG_PROPERTIES props;
};

struct JpgLibVersion {
    int major;
    int minor;
    int build;
    const char *libraryName;
    const char *versionText;
    const char *buildText;
    const char *dateText;
    const char *platformText;
};

int JpgLibInit(JPEG_IMAGE_PROPS *record);
int JpgCheckProperties(JPEG_IMAGE_PROPS *record);
int JpgLibRead(JPEG_IMAGE_PROPS *record, int mode);
int JpgLibWrite(JPEG_IMAGE_PROPS *record, int mode);
int JpgLibFree(JPEG_IMAGE_PROPS *record);
const JpgLibVersion *JpgLibGetVersion(void);
const char *JpgErrorText(int code);

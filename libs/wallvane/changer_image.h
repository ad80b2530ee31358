// The changer's picture from file to wallpaper-ready pixels: the decode with
// the JPEG codec and the reordering, fitting and sharpening after it. No
// window or system call, so it runs natively under the sanitizers too.
#pragma once
#include "changer_rules.h"

// A decoded picture: top-down rows after the load, bottom-up rows of 3-byte
// pixels after PrepareWallpaperImage.
struct ChangerImage {
    unsigned char *pixels;
    int width, height, channels, padBytes;
};

// Decodes a picture into top-down BGR rows; null on failure, with the reason
// on the debugger output.
ChangerImage *LoadJpegImage(const char *path);
// Reorders rows bottom-up; then fits to the desktop and sharpens as the settings say.
int PrepareWallpaperImage(ChangerImage *image, const ChangerSettings *settings, int desktopWidth,
                          int desktopHeight);
void ReleaseChangerImage(ChangerImage *image);

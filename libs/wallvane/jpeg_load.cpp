#include "wallpaper_change.h"

// Decoding arrives with the codec; until then every picture fails to load.
ChangerImage *LoadJpegImage(const char *path)
{
    (void)path;
    OutputDebugStringA("Cannot initialize JPEG library\n");
    return nullptr;
}

#include "player_text.h"

#include "track_info.h"

#include <cstdio>
#include <cstring>

int AlphaOfTransparencyItem(int id)
{
    int alpha = 255 - (int)((id - TRANSPARENCY_OFF_ITEM) * 2.55);
    return alpha < 1 ? OPAQUE_ALPHA : alpha;
}

int TransparencyPercentOfAlpha(int alpha)
{
    if (alpha < 0)
        alpha = 255;
    return 100 - (int)(alpha / 2.55);
}

void FormatStatusText(char *out, int size, int index, long milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    snprintf(out, size, "[%d] %3ld:%02ld", index + 1, milliseconds / 60000,
             milliseconds / 1000 % 60);
}

static void Append(char *out, int size, const char *format, const char *text)
{
    size_t used = strlen(out);
    if (used + 1 < (size_t)size)
        snprintf(out + used, size - used, format, text);
}

void FormatTrackTip(char *out, int size, const TrackInfo *info)
{
    out[0] = 0;
    if (info->title[0])
        Append(out, size, "Title:     %s\n", info->title);
    if (info->album[0])
        Append(out, size, "Album:  %s\n", info->album);
    if (info->artist[0])
        Append(out, size, "Artist:   %s\n", info->artist);
    if (info->year != -1) {
        char year[16];
        snprintf(year, sizeof year, "%04d", info->year);
        Append(out, size, "Year:    %s", year);
    }
    size_t length = strlen(out);
    if (length && out[length - 1] == '\n')
        out[length - 1] = 0;
}

void FormatModuleTip(char *out, int size, const char *songName, int songLength)
{
    snprintf(out, size, "Title:      %s\nLength:  %d patterns", songName, songLength);
}

int FormatMciFileCommand(char *out, int size, const char *verb, const char *path,
                         const char *alias)
{
    if (strchr(path, '"'))
        return -1;
    int n = snprintf(out, size, "%s \"%s\" alias %s", verb, path, alias);
    return n >= 0 && n < size ? 0 : -1;
}

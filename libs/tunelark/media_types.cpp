#include "media_types.h"

#include <cstring>

const MediaTypeRow MediaTypeTable[] = {
    {MEDIA_PLAYLIST, "*.spl", "Play List"},
    {MEDIA_MCI_AUDIO, "*.wma", "Windows media audio"},
    {MEDIA_MCI_AUDIO, "*.mp3", "MPeg layer 3 audio"},
    {MEDIA_MCI_AUDIO, "*.mp2", "MPeg layer 2 audio"},
    {MEDIA_MCI_AUDIO, "*.mp1", "MPeg layer 1 audio"},
    {MEDIA_MCI_AUDIO, "*.wav", "Microsoft wave/PCM audio file"},
    {MEDIA_MCI_AUDIO, "*.aac", "MPEG sound format"},
    {MEDIA_MCI_AUDIO, "*.ac3", "Dolby-Digital encoded audio file"},
    {MEDIA_MCI_AUDIO, "*.mpa", "Basic MPEG-2 audio stream"},
    {MEDIA_MCI_AUDIO, "*.ogg", "Ogg Vorbis audio"},
    {MEDIA_MCI_AUDIO, "*.midi", "midi file"},
    {MEDIA_MCI_AUDIO, "*.mid", "midi file"},
    {MEDIA_MCI_VIDEO, "*.avi", "Audio-video interleaved"},
    {MEDIA_MCI_VIDEO, "*.div", "DivX encoded"},
    {MEDIA_MCI_VIDEO, "*.divx", "DivX encoded"},
    {MEDIA_MCI_VIDEO, "*.m1v", "MPeg Layer 1 video"},
    {MEDIA_MCI_VIDEO, "*.m2p", "MPeg Layer 2 program stream"},
    {MEDIA_MCI_VIDEO, "*.mov", "Quicktime movie"},
    {MEDIA_MCI_VIDEO, "*.mpg", "MPeg audio+video"},
    {MEDIA_MCI_VIDEO, "*.mpeg", "MPeg audio+video"},
    {MEDIA_MCI_VIDEO, "*.mp4", "MPeg Layer 4 audio+video"},
    {MEDIA_MCI_VIDEO, "*.ogm", "Ogg Vorbis video"},
    {MEDIA_MCI_VIDEO, "*.vob", "Video object file (MPeg2 + AC3 + AAC)"},
    {MEDIA_MCI_VIDEO, "*.wmv", "Windows media video"},
    {MEDIA_MODULE, "*.mod", "Amiga Module (Pro Tracker)"},
    {MEDIA_MODULE, "*.xm", "FastTracker 2"},
    {MEDIA_MODULE, "*.it", "Impulse Tracker"},
    {MEDIA_TABLE_END, "", ""},
};

void StringToLower(char *text)
{
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z')
            *text = (char)(*text - 'A' + 'a');
}

void StringToUpper(char *text)
{
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

int GetMediaType(const char *path)
{
    char copy[MEDIA_PATH_CHARS];
    size_t n = strnlen(path, sizeof copy - 1);
    memcpy(copy, path, n);
    copy[n] = 0;
    StringToLower(copy);
    const char *extension = strrchr(copy, '.');
    if (!extension)
        return MEDIA_PLAYLIST;
    for (const MediaTypeRow *row = MediaTypeTable; row->type != MEDIA_TABLE_END; ++row)
        if (strcmp(row->pattern + 1, extension) == 0)
            return row->type;
    return MEDIA_PLAYLIST;
}

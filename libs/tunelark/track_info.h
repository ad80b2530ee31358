// Title, artist, album and year of an audio file from its ID3 tags, or from
// its file name when it has none.
#pragma once
#include <cstdio>

enum { TRACK_TEXT_BYTES = 256, TRACK_TEXT_CHARS = 254 };

struct TrackInfo {
    char title[TRACK_TEXT_BYTES];
    char artist[TRACK_TEXT_BYTES];
    char album[TRACK_TEXT_BYTES];
    int year; // -1 unknown
};

// The caller clears the record and sets year to -1 first. 1 when the file
// cannot be opened, else 0 with what the file tells filled in.
int ReadTrackInfo(const char *path, TrackInfo *info);
// 0 when the file begins with an ID3v2 tag, whatever it holds; 1 otherwise.
int ReadId3v2Tag(const char *path, TrackInfo *info);
// Four bytes, most significant first, 7 bits each. -1 at the end of the file.
int ReadSynchsafeInt(FILE *file);
// Title and artist from a name such as "C:\music\Band/Tune_One.mp3".
void TrackInfoFromFileName(const char *path, TrackInfo *info);

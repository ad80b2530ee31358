// The file types the player knows, by extension: how each is played, and the
// patterns and descriptions of the open-file filter and the folder scans.
#pragma once

enum MediaType {
    MEDIA_PLAYLIST = 0,
    MEDIA_MCI_AUDIO = 1,
    MEDIA_MCI_VIDEO = 2,
    MEDIA_MODULE = 3,
    MEDIA_TABLE_END = -1,
};

enum { MEDIA_PATH_CHARS = 260 };

struct MediaTypeRow {
    int type;
    char pattern[16];        // "*.ext", lower case
    char description[128];
};
static_assert(sizeof(MediaTypeRow) == 148, "one table row is 148 bytes");

// Closed by a row of type MEDIA_TABLE_END with empty texts.
extern const MediaTypeRow MediaTypeTable[];

// The type of the path's last extension, any case; 0 (playlist) when the
// path has no '.' or the extension is unknown.
int GetMediaType(const char *path);

// ASCII letters only, in place.
void StringToLower(char *text);
void StringToUpper(char *text);

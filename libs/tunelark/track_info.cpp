#include "track_info.h"

#include <cstdlib>
#include <cstring>

namespace {

enum {
    TEXT_FRAME_BYTES = 4095,
    ID3V1_BYTES = 128,
    ID3V1_FIELD = 30,
};

enum Field { FIELD_NONE, FIELD_TITLE, FIELD_ARTIST, FIELD_ALBUM, FIELD_YEAR };

struct FrameName {
    const char *id;
    Field field;
};

// Version 2.2 has three-letter names; 2.4 replaced the year by a date.
const FrameName FrameNames[] = {
    {"TIT2", FIELD_TITLE}, {"TPE1", FIELD_ARTIST}, {"TALB", FIELD_ALBUM},
    {"TYER", FIELD_YEAR},  {"TDRC", FIELD_YEAR},   {"TT2", FIELD_TITLE},
    {"TP1", FIELD_ARTIST}, {"TAL", FIELD_ALBUM},   {"TYE", FIELD_YEAR},
};

Field FieldOfFrame(const char *id)
{
    for (const FrameName &name : FrameNames)
        if (strcmp(name.id, id) == 0)
            return name.field;
    return FIELD_NONE;
}

unsigned BigEndian(const unsigned char *bytes, int count)
{
    unsigned value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

unsigned Synchsafe(const unsigned char *bytes)
{
    unsigned value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 7 | (bytes[i] & 0x7F);
    return value;
}

// The player shows 8-bit text: code points past 255 cannot be shown.
void PutCodePoint(char *out, int *length, unsigned code)
{
    if (*length >= TRACK_TEXT_CHARS)
        return;
    out[(*length)++] = (char)(code <= 0xFF ? code : '?');
}

void DecodeUtf16(const unsigned char *text, int count, bool bigEndian, char *out, int *length)
{
    if (count >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
        bigEndian = false;
        text += 2, count -= 2;
    } else if (count >= 2 && text[0] == 0xFE && text[1] == 0xFF) {
        bigEndian = true;
        text += 2, count -= 2;
    }
    for (int i = 0; i + 1 < count; i += 2) {
        unsigned unit = bigEndian ? (text[i] << 8 | text[i + 1]) : (text[i + 1] << 8 | text[i]);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < count)
            i += 2; // the pair is one character, which 8 bits cannot show
        PutCodePoint(out, length, unit >= 0xD800 && unit <= 0xDFFF ? '?' : unit);
    }
}

void DecodeUtf8(const unsigned char *text, int count, char *out, int *length)
{
    for (int i = 0; i < count && text[i];) {
        unsigned char lead = text[i];
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + extra >= count) {
            PutCodePoint(out, length, '?');
            ++i;
            continue;
        }
        unsigned code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            if ((text[i + k] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = code << 6 | (text[i + k] & 0x3F);
        }
        PutCodePoint(out, length, valid ? code : '?');
        i += valid ? extra + 1 : 1;
    }
}

// Frame text to 8-bit characters. A first byte above 3 is no encoding
// marker but already the text, as some writers leave it out.
void DecodeFrameText(const unsigned char *bytes, int count, char *out)
{
    int length = 0;
    if (count > 0 && bytes[0] <= 3) {
        int encoding = bytes[0];
        ++bytes, --count;
        if (encoding == 1 || encoding == 2)
            DecodeUtf16(bytes, count, encoding == 2, out, &length);
        else if (encoding == 3)
            DecodeUtf8(bytes, count, out, &length);
        else
            for (int i = 0; i < count && bytes[i]; ++i)
                PutCodePoint(out, &length, bytes[i]);
    } else {
        for (int i = 0; i < count && bytes[i]; ++i)
            PutCodePoint(out, &length, bytes[i]);
    }
    out[length] = 0;
}

void StoreField(Field field, const char *text, TrackInfo *info)
{
    switch (field) {
    case FIELD_TITLE: strcpy(info->title, text); break;
    case FIELD_ARTIST: strcpy(info->artist, text); break;
    case FIELD_ALBUM: strcpy(info->album, text); break;
    case FIELD_YEAR: info->year = atoi(text); break;
    case FIELD_NONE: break;
    }
}

// Walks the frames of a tag whose 10-byte header has been read.
void ReadId3v2Frames(FILE *file, int version, int flags, long tagEnd, TrackInfo *info)
{
    long position = 10;
    unsigned char header[10];
    if ((flags & 0x40) && version >= 3) {
        if (fread(header, 1, 4, file) != 4)
            return;
        // 2.3 counts the extended header without its size field, 2.4 with it.
        long skip = version == 3 ? (long)BigEndian(header, 4) + 4 : (long)Synchsafe(header);
        position += skip;
        if (skip < 4 || position > tagEnd || fseek(file, position, SEEK_SET) != 0)
            return;
    }
    const int headerBytes = version == 2 ? 6 : 10;
    const int idBytes = version == 2 ? 3 : 4;
    unsigned char text[TEXT_FRAME_BYTES];
    while (position + headerBytes <= tagEnd) {
        if (fread(header, 1, headerBytes, file) != (size_t)headerBytes || header[0] == 0)
            return; // padding, or a cut file
        unsigned size = version == 2 ? BigEndian(header + 3, 3)
                        : version == 3 ? BigEndian(header + 4, 4) : Synchsafe(header + 4);
        position += headerBytes;
        if (size == 0 || size > (unsigned)(tagEnd - position))
            return;
        char id[5] = {};
        memcpy(id, header, idBytes);
        Field field = FieldOfFrame(id);
        if (field != FIELD_NONE) {
            int count = size < TEXT_FRAME_BYTES ? (int)size : TEXT_FRAME_BYTES;
            if (fread(text, 1, count, file) != (size_t)count)
                return;
            char decoded[TRACK_TEXT_BYTES];
            DecodeFrameText(text, count, decoded);
            StoreField(field, decoded, info);
        }
        position += size;
        if (fseek(file, position, SEEK_SET) != 0)
            return;
    }
}

// One field of an ID3v1 trailer: its own bytes up to the first NUL, trailing
// blanks removed.
void CopyId3v1Field(const unsigned char *field, int bytes, char *out)
{
    int n = 0;
    while (n < bytes && field[n])
        ++n;
    while (n > 0 && field[n - 1] == ' ')
        --n;
    memcpy(out, field, n);
    out[n] = 0;
}

} // namespace

int ReadSynchsafeInt(FILE *file)
{
    unsigned char bytes[4];
    if (fread(bytes, 1, 4, file) != 4)
        return -1;
    return (int)Synchsafe(bytes);
}

int ReadId3v2Tag(const char *path, TrackInfo *info)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return 1;
    unsigned char header[6];
    if (fread(header, 1, 6, file) != 6 || memcmp(header, "ID3", 3) != 0) {
        fclose(file);
        return 1;
    }
    int size = ReadSynchsafeInt(file);
    int version = header[3];
    if (size > 0 && version >= 2 && version <= 4)
        ReadId3v2Frames(file, version, header[5], 10L + size, info);
    fclose(file);
    return 0;
}

void TrackInfoFromFileName(const char *path, TrackInfo *info)
{
    const char *name = strrchr(path, '\\');
    name = name ? name + 1 : path;
    char text[TRACK_TEXT_BYTES];
    size_t n = 0;
    while (name[n] && name[n] != '.' && n < TRACK_TEXT_CHARS) {
        text[n] = name[n] == '_' ? ' ' : name[n];
        ++n;
    }
    text[n] = 0;
    char *slash = strchr(text, '/');
    if (slash) {
        *slash = 0;
        strcpy(info->artist, text);
        strcpy(info->title, slash + 1);
    } else {
        info->artist[0] = 0;
        strcpy(info->title, text);
    }
}

int ReadTrackInfo(const char *path, TrackInfo *info)
{
    if (ReadId3v2Tag(path, info) == 0)
        return 0;
    FILE *file = fopen(path, "rb");
    if (!file)
        return 1;
    unsigned char trailer[ID3V1_BYTES];
    bool tagged = fseek(file, -ID3V1_BYTES, SEEK_END) == 0 &&
                  fread(trailer, 1, ID3V1_BYTES, file) == ID3V1_BYTES &&
                  memcmp(trailer, "TAG", 3) == 0;
    fclose(file);
    if (!tagged) {
        TrackInfoFromFileName(path, info);
        return 0;
    }
    CopyId3v1Field(trailer + 3, ID3V1_FIELD, info->title);
    CopyId3v1Field(trailer + 33, ID3V1_FIELD, info->artist);
    // The year is four digits, directly followed by the comment: read no
    // further than its own four bytes.
    char year[5];
    memcpy(year, trailer + 93, 4);
    year[4] = 0;
    info->year = atoi(year);
    if (info->year == 0)
        info->year = -1;
    return 0;
}

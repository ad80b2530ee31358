#include "export_record.h"
#include "core/notes_table/little_endian.h"

#include <cstring>

namespace {

// Tested for in this order; the index is the version.
const char *const HeaderTexts[] = {
    "ZettlyExport V1.5",
    "ZettlyExport V1.6",
    "ZettlyExport V1.7",
    "ZettlyExport V1.8",
};
const size_t HeaderTextBytes = ZETTLY_EXPORT_HEADER_BYTES - 1;

// Titles of the two oldest layouts sit in 52 bytes.
const size_t OLD_TITLE_CHARS = 51;

void Copy(uint8_t *dst, size_t dstOffset, const uint8_t *src, size_t srcOffset, size_t count)
{
    std::memcpy(dst + dstOffset, src + srcOffset, count);
}

// The title is a string: copy up to its NUL (or maxChars) and always end it.
void CopyTitle(uint8_t *dst, const uint8_t *src, size_t maxChars)
{
    size_t n = 0;
    while (n < maxChars && src[n])
        ++n;
    std::memcpy(dst, src, n);
    dst[n] = 0;
}

} // namespace

void WriteExportHeader(uint8_t out[ZETTLY_EXPORT_HEADER_BYTES])
{
    std::memcpy(out, HeaderTexts[EXPORT_V18], HeaderTextBytes);
    out[HeaderTextBytes] = ZETTLY_EXPORT_END_OF_FILE;
}

int IdentifyExportHeader(const uint8_t *bytes, size_t size)
{
    if (!bytes || size < ZETTLY_EXPORT_HEADER_BYTES)
        return EXPORT_NO_HEADER;
    if (bytes[HeaderTextBytes] != ZETTLY_EXPORT_END_OF_FILE)
        return EXPORT_NO_HEADER;
    for (int version = EXPORT_V15; version <= EXPORT_V18; ++version)
        if (std::memcmp(bytes, HeaderTexts[version], HeaderTextBytes) == 0)
            return version;
    return EXPORT_NO_HEADER;
}

size_t ExportRecordBytes(int version)
{
    switch (version) {
    case EXPORT_V15:
        return ZETTLY_RECORD_V15_BYTES;
    case EXPORT_V16:
        return ZETTLY_RECORD_V16_BYTES;
    case EXPORT_V17:
        return ZETTLY_RECORD_V17_BYTES;
    case EXPORT_V18:
        return ZETTLY_RECORD_V18_BYTES;
    }
    return 0;
}

void UpgradeRecordV15ToV16(uint8_t *dst, const uint8_t *src)
{
    if (!dst || !src)
        return;
    std::memset(dst, 0, ZETTLY_RECORD_V16_BYTES);
    // The oldest layout stored a height where later ones store the bottom.
    Copy(dst, 0, src, 0, 12);
    Put32(dst + 12, Get32(src + 4) + Get32(src + 12));
    Copy(dst, 16, dst, 0, 16);
    Copy(dst, 36, dst, 0, 16);
    Copy(dst, 56, src, 16, 44);
    Copy(dst, 104, src, 60, 20);
    Copy(dst, 124, src, 80, 60);
    Copy(dst, 184, src, 140, 4);
    Copy(dst, 188, src, 144, 60);
    CopyTitle(dst + 248, src + 204, OLD_TITLE_CHARS);
    Copy(dst, 300, src, 256, 8);
    Copy(dst, 312, src, 268, 24);
    Copy(dst, 344, src, 292, 4);
    Copy(dst, 348, src, 292, 4);
    // One day of the month, or -1 for every day, became a day mask.
    int32_t day = (int32_t)Get32(src + 264);
    if (day == -1) {
        Put32(dst + 308, 0xFFFFFFFFu);
        Put32(dst + 340, 1);
    } else {
        Put32(dst + 308, 1u << (((uint32_t)day - 1u) & 31u));
    }
}

void UpgradeRecordV16ToV17(uint8_t *dst, const uint8_t *src)
{
    if (!dst || !src)
        return;
    std::memset(dst, 0, ZETTLY_RECORD_V17_BYTES);
    Copy(dst, 0, src, 0, 104);
    Copy(dst, 108, src, 104, 80);
    Copy(dst, 188, src, 184, 4);
    Copy(dst, 192, src, 188, 60);
    CopyTitle(dst + 252, src + 248, OLD_TITLE_CHARS);
    Copy(dst, 512, src, 300, 48);
    // The blink colour doubled as the blink switch in this layout.
    Copy(dst, 560, src, 344, 4);
    Copy(dst, 564, src, 352, 4);
}

void UpgradeRecordV17ToV18(uint8_t *dst, const uint8_t *src)
{
    if (!dst || !src)
        return;
    std::memset(dst, 0, ZETTLY_RECORD_V18_BYTES);
    Copy(dst, 0, src, 0, 104);
    Copy(dst, 108, src, 108, 144);
    CopyTitle(dst + 252, src + 252, ZETTLY_TITLE_BYTES - 1);
    Copy(dst, 512, src, 512, 48);
    Copy(dst, 560, src, 556, 4);
    Copy(dst, 564, src, 564, 4);
    dst[612] = 255;
}

int UpgradeRecordToCurrent(int version, const uint8_t *src, uint8_t out[ZETTLY_RECORD_BYTES])
{
    if (!src || !out)
        return -1;
    uint8_t v16[ZETTLY_RECORD_V16_BYTES];
    uint8_t v17[ZETTLY_RECORD_V17_BYTES];
    switch (version) {
    case EXPORT_V15:
        UpgradeRecordV15ToV16(v16, src);
        UpgradeRecordV16ToV17(v17, v16);
        UpgradeRecordV17ToV18(out, v17);
        return 0;
    case EXPORT_V16:
        UpgradeRecordV16ToV17(v17, src);
        UpgradeRecordV17ToV18(out, v17);
        return 0;
    case EXPORT_V17:
        UpgradeRecordV17ToV18(out, src);
        return 0;
    case EXPORT_V18:
        std::memcpy(out, src, ZETTLY_RECORD_BYTES);
        return 0;
    }
    return -1;
}

int ReadExportRecord(const uint8_t *data, size_t size, ZettlyRecord *record, size_t *textStart)
{
    int version = IdentifyExportHeader(data, size);
    if (version == EXPORT_NO_HEADER)
        return EXPORT_READ_NO_HEADER;
    size_t recordBytes = ExportRecordBytes(version);
    if (size - ZETTLY_EXPORT_HEADER_BYTES < recordBytes)
        return EXPORT_READ_TRUNCATED;
    uint8_t current[ZETTLY_RECORD_BYTES];
    UpgradeRecordToCurrent(version, data + ZETTLY_EXPORT_HEADER_BYTES, current);
    UnpackZettlyRecord(current, record);
    SanitiseZettlyRecord(record, ZETTLY_SANITISE_FOREIGN);
    if (textStart)
        *textStart = ZETTLY_EXPORT_HEADER_BYTES + recordBytes;
    return EXPORT_READ_OK;
}

// The export record: an 18-byte header naming the version, the note's record
// in that version's layout, then the note's text. Files, DDE pokes and the
// installer all carry it. No windows.h here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/notes_table/zettly_record.h"

enum ZettlyExportVersion {
    EXPORT_NO_HEADER = -1,
    EXPORT_V15 = 0,
    EXPORT_V16 = 1,
    EXPORT_V17 = 2,
    EXPORT_V18 = 3,
};

enum {
    ZETTLY_EXPORT_HEADER_BYTES = 18,
    ZETTLY_RECORD_V15_BYTES = 304,
    ZETTLY_RECORD_V16_BYTES = 364,
    ZETTLY_RECORD_V17_BYTES = 608,
    ZETTLY_RECORD_V18_BYTES = ZETTLY_RECORD_BYTES,
    ZETTLY_EXPORT_END_OF_FILE = 0x1A,
};

// The current header, "ZettlyExport V1.8" and the end-of-file byte.
void WriteExportHeader(uint8_t out[ZETTLY_EXPORT_HEADER_BYTES]);

// The version whose header the first 18 bytes are exactly, or EXPORT_NO_HEADER
// (also for fewer than 18 bytes).
int IdentifyExportHeader(const uint8_t *bytes, size_t size);

// Size of a version's record; 0 for an unknown version.
size_t ExportRecordBytes(int version);

// Stepwise upgrades between the stored layouts. Each clears the whole target
// first; a null pointer makes it do nothing.
void UpgradeRecordV15ToV16(uint8_t *dst, const uint8_t *src);
void UpgradeRecordV16ToV17(uint8_t *dst, const uint8_t *src);
void UpgradeRecordV17ToV18(uint8_t *dst, const uint8_t *src);

// Brings a record of any version up to the current 744-byte layout.
// Returns 0, or -1 for an unknown version or null pointers.
int UpgradeRecordToCurrent(int version, const uint8_t *src, uint8_t out[ZETTLY_RECORD_BYTES]);

enum {
    EXPORT_READ_OK = 0,
    EXPORT_READ_NO_HEADER = -1,
    EXPORT_READ_TRUNCATED = -2, // a header, but not all of its record
};

// Reads header and record from the start of data: the record upgraded,
// unpacked and sanitised as foreign, *textStart the offset of the text behind
// it. A record cut short is refused rather than completed with guesses.
int ReadExportRecord(const uint8_t *data, size_t size, ZettlyRecord *record, size_t *textStart);

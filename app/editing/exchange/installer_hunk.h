// The note that travels appended to the installer program: an inverted export
// header as the key, the record, the plain text and a NUL. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/notes_table/zettly_record.h"
#include "export_record.h"

// The export header with every bit flipped, so that the program's own copy
// of the plain header never matches a search for it.
void MakeInstallerKey(uint8_t key[ZETTLY_EXPORT_HEADER_BYTES]);

// Appends key, record (its textLength set to the text's), text and NUL.
void AppendInstallerHunk(std::vector<uint8_t> *file, const ZettlyRecord *record, const char *text,
                         size_t textLength);

// Offset of the last key in the file, or -1. Searching from the end finds the
// appended note even if the program's own bytes happen to hold the key.
long FindInstallerKey(const uint8_t *file, size_t size);

// The export record handed on: the plain header and everything behind the key.
std::vector<uint8_t> NoteBlockBehindKey(const uint8_t *file, size_t size, long keyOffset);

// The text form of a note block for a ".txt" save: heading from the record's
// title (when the record is there), then the text behind the record up to its NUL.
std::string NoteBlockAsText(const uint8_t *block, size_t size);

// True when the path ends in ".exp" in any case.
bool PathNamesExportFile(const char *path);

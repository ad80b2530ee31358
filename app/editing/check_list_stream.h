// The item stream of a check list: per item a flag digit ("0" unchecked, "1"
// checked), a comma, the text and a NUL; a note's list ends with one more NUL.
// Plain data only: the same stream is read from the notes file image in
// memory and from an open file, and every byte of it is hostile.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum { CHECK_LIST_TEXT_MAX = 4095 };

struct CheckListEntry {
    bool checked;
    std::string text; // at most CHECK_LIST_TEXT_MAX characters, no NUL
};

enum CheckListStreamResult {
    CHECK_LIST_STREAM_WHOLE = 0,    // read up to the list's ending NUL
    CHECK_LIST_STREAM_CUT = -1,     // the bytes ended first
    CHECK_LIST_STREAM_DAMAGED = -2, // an item is not a flag digit and a comma
};

// Reads one list from the bytes. The items before a damaged item are kept;
// the rest of that list up to its ending NUL is skipped, so the lists that
// follow in the same file still start where they belong. *consumed (may be
// null) is the count of bytes taken, the ending NUL included.
int ReadCheckListStream(const uint8_t *bytes, size_t size, std::vector<CheckListEntry> *items,
                        size_t *consumed);

// Takes the bytes of one list from an open file, up to and including its
// ending NUL, and leaves the file at the next list. Texts longer than a list
// keeps are cut here already. CUT when the file ends first.
int TakeCheckListBytes(FILE *file, std::string *bytes);

// Appends one item: the flag is "1" or "0" and nothing else; the text is cut
// at CHECK_LIST_TEXT_MAX characters and at a NUL.
void AppendCheckListEntry(std::string *out, bool checked, const char *text, size_t length);

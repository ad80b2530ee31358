// What a block poked over DDE holds: an export record, the text form or
// anything else. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/notes_table/zettly_record.h"

enum ZettlyPokeForm {
    POKE_BINARY,  // export header, record, then text (RTF or plain)
    POKE_TEXT,    // "DDEZettlyExport" CR LF, a title line, the text
    POKE_UNKNOWN, // taken as plain text under a fixed title
    POKE_REFUSED, // an export header with its record cut short
};

enum {
    POKE_TITLE_LIMIT = 256,
    POKE_TEXT_MARKER_BYTES = 17,
};
#define POKE_TEXT_MARKER "DDEZettlyExport\r\n"
#define POKE_UNKNOWN_TITLE "Unknown zettly format"

struct ZettlyPoke {
    int form;
    ZettlyRecord record; // POKE_BINARY: as received, upgraded and sanitised
    int hasTitle;        // POKE_TEXT with a title line, and POKE_UNKNOWN
    char title[ZETTLY_TITLE_BYTES];
    // The note's text inside the poked block (not terminated there).
    const uint8_t *text;
    size_t textBytes;
};

// Reads a poked block; never reads outside data[0..size).
void ParseZettlyPoke(const uint8_t *data, size_t size, ZettlyPoke *out);

// The blocks taken lately, so that a sender that pokes the same note again
// (its wait for the answer ran out while the first was being made) does not
// get two. Times are milliseconds of a clock that wraps, as GetTickCount's.
enum {
    POKE_REPEAT_WINDOW_MS = 30000,
    POKES_REMEMBERED = 16,
};
struct RecentPokes {
    struct Taken {
        uint64_t fingerprint;
        uint64_t size;
        uint32_t at;
        bool used;
    } taken[POKES_REMEMBERED];
    int next;
};
bool PokeTakenRecently(const RecentPokes *recent, const uint8_t *data, size_t size, uint32_t now);
void RememberPoke(RecentPokes *recent, const uint8_t *data, size_t size, uint32_t now);

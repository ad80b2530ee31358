#include "dde_poke.h"

#include <cstring>

#include "export_record.h"

static size_t BytesBeforeNul(const uint8_t *p, size_t size)
{
    const void *nul = std::memchr(p, 0, size);
    return nul ? (size_t)((const uint8_t *)nul - p) : size;
}

// The title line of the text form: CR kept, cut at 256 bytes, and anything
// that is not printable ASCII shown as a blank.
static void TakeTitleLine(const uint8_t *line, size_t length, char *title)
{
    if (length > POKE_TITLE_LIMIT)
        length = POKE_TITLE_LIMIT;
    for (size_t i = 0; i < length; ++i)
        title[i] = line[i] >= 32 && line[i] <= 126 ? (char)line[i] : ' ';
    title[length] = 0;
}

static_assert((int)POKE_TITLE_LIMIT < (int)ZETTLY_TITLE_BYTES, "title line fits the record");

void ParseZettlyPoke(const uint8_t *data, size_t size, ZettlyPoke *out)
{
    std::memset(out, 0, sizeof *out);
    if (!data)
        size = 0;

    size_t textStart = 0;
    int read = ReadExportRecord(data, size, &out->record, &textStart);
    if (read == EXPORT_READ_TRUNCATED) {
        out->form = POKE_REFUSED;
        return;
    }
    if (read == EXPORT_READ_OK) {
        out->form = POKE_BINARY;
        out->text = data + textStart;
        out->textBytes = BytesBeforeNul(out->text, size - textStart);
        return;
    }

    if (size >= POKE_TEXT_MARKER_BYTES &&
        std::memcmp(data, POKE_TEXT_MARKER, POKE_TEXT_MARKER_BYTES) == 0) {
        out->form = POKE_TEXT;
        const uint8_t *line = data + POKE_TEXT_MARKER_BYTES;
        size_t rest = size - POKE_TEXT_MARKER_BYTES;
        const uint8_t *lf = (const uint8_t *)std::memchr(line, '\n', rest);
        if (!lf)
            return;
        out->hasTitle = 1;
        TakeTitleLine(line, (size_t)(lf - line), out->title);
        out->text = lf + 1;
        out->textBytes = (size_t)(data + size - out->text);
        return;
    }

    out->form = POKE_UNKNOWN;
    out->hasTitle = 1;
    std::strcpy(out->title, POKE_UNKNOWN_TITLE);
    out->text = data;
    out->textBytes = size ? BytesBeforeNul(data, size) : 0;
}

static uint64_t Fingerprint(const uint8_t *data, size_t size)
{
    // FNV-1a: two different notes of the same size agreeing by chance is as
    // likely as a stray cosmic ray.
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

bool PokeTakenRecently(const RecentPokes *recent, const uint8_t *data, size_t size, uint32_t now)
{
    uint64_t fingerprint = Fingerprint(data, size);
    for (const RecentPokes::Taken &t : recent->taken)
        if (t.used && t.size == size && t.fingerprint == fingerprint &&
            now - t.at < (uint32_t)POKE_REPEAT_WINDOW_MS)
            return true;
    return false;
}

void RememberPoke(RecentPokes *recent, const uint8_t *data, size_t size, uint32_t now)
{
    RecentPokes::Taken &t = recent->taken[recent->next];
    recent->next = (recent->next + 1) % POKES_REMEMBERED;
    t.fingerprint = Fingerprint(data, size);
    t.size = size;
    t.at = now;
    t.used = true;
}

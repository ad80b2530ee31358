#include "notes_file_format.h"
#include "core/core_ids.h"
#include "little_endian.h"
#include "notes_file_ids.h"
#include "zettly_record_layout.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// The stamp lives in fields the loader clears: every copy, older ones too,
// ignores what a file holds there.
#define STORED_AT(off, field) static constexpr int field = off;
struct StoredAt {
    ZETTLY_INT_FIELDS(STORED_AT)
    ZETTLY_HANDLE_FIELDS(STORED_AT)
};
#undef STORED_AT
static_assert(StoredAt::textLength == NOTE_TEXT_STAMP_LENGTH_AT &&
                  StoredAt::pendingText == NOTE_TEXT_STAMP_CHECK_AT,
              "the text stamp sits in the plain-text length and pointer");

const char *const CurrentNames[ZETTLY_FILE_KINDS] = {"zettly.rec", "zettly.str",
                                                     "zettly_chklist.str"};
const char *const MarkerName = "zettly.ok";

int JoinPath(const char *folder, const char *name, const char *suffix, char *out)
{
    size_t length = std::strlen(folder);
    bool separated = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/');
    int n = std::snprintf(out, ZETTLY_PATH_CHARS, "%s%s%s%s", folder, separated ? "" : "\\",
                          name, suffix);
    return n > 0 && n < ZETTLY_PATH_CHARS ? 0 : -1;
}

void Append32(ByteBuffer *out, uint32_t v)
{
    uint8_t b[4];
    Put32(b, v);
    out->insert(out->end(), b, b + 4);
}

} // namespace

int BuildZettlyFileSet(const char *folder, ZettlyFileSet *set)
{
    std::memset(set, 0, sizeof *set);
    if (!folder || JoinPath(folder, "", "", set->folder))
        return -1;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        if (JoinPath(folder, CurrentNames[kind], "", set->current[kind]) ||
            JoinPath(folder, CurrentNames[kind], "_priorsave", set->prior[kind]) ||
            JoinPath(folder, CurrentNames[kind], "_damaged", set->damaged[kind]) ||
            JoinPath(folder, CurrentNames[kind], "_saving", set->saving[kind]) ||
            JoinPath(folder, CurrentNames[kind], "_lastgood", set->held[kind]) ||
            JoinPath(folder, CurrentNames[kind], "_aside", set->aside[kind]))
            return -1;
    }
    if (JoinPath(folder, MarkerName, "_saving", set->committing) ||
        JoinPath(folder, "zettly.unsaved", "", set->unsaved) ||
        JoinPath(folder, "zettly.session", "", set->sessionNote))
        return -1;
    return JoinPath(folder, MarkerName, "", set->marker);
}

int ResolveInFolder(const char *folder, const char *name, char *out, size_t outSize)
{
    bool full = name[0] == '\\' || name[0] == '/' ||
                (std::isalpha((unsigned char)name[0]) && name[1] == ':');
    size_t length = std::strlen(folder);
    bool separated = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/');
    int n = full ? std::snprintf(out, outSize, "%s", name)
                 : std::snprintf(out, outSize, "%s%s%s", folder, separated ? "" : "\\", name);
    return n > 0 && (size_t)n < outSize ? 0 : -1;
}

int MakeSaveMutexName(const char *folder, char *out, size_t outSize)
{
    // The folder itself may be longer than a mutex name may be and holds
    // backslashes, which names must not; a hash of it names it well enough.
    uint64_t hash = 14695981039346656037ull;
    for (const char *p = folder; p && *p; ++p) {
        unsigned char c = (unsigned char)std::tolower((unsigned char)*p);
        if (c == '/')
            c = '\\';
        if (c == '\\' && (p[1] == 0))
            break; // a trailing separator names the same folder
        hash = (hash ^ c) * 1099511628211ull;
    }
    int n = std::snprintf(out, outSize, "ZettliesSave-%016llx", (unsigned long long)hash);
    return n > 0 && (size_t)n < outSize ? 0 : -1;
}

int FormatSaveMarker(const struct tm *t, char *out, size_t outSize)
{
    static const char Days[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char Months[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int day = t->tm_wday >= 0 && t->tm_wday < 7 ? t->tm_wday : 0;
    int month = t->tm_mon >= 0 && t->tm_mon < 12 ? t->tm_mon : 0;
    int n = std::snprintf(out, outSize,
                          "Last save completed with out problems at %s %s%3d %02d:%02d:%02d %d\n",
                          Days[day], Months[month], t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec,
                          t->tm_year + 1900);
    return n > 0 && (size_t)n < outSize ? n : -1;
}

namespace {
// A byte at a time: every load checks its files, a few megabytes at most.
struct CrcTable {
    uint32_t entry[256];
    constexpr CrcTable() : entry()
    {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t crc = n;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            entry[n] = crc;
        }
    }
};
constexpr CrcTable Crc;
} // namespace

uint32_t ChecksumBytes(uint32_t running, const uint8_t *data, size_t size)
{
    uint32_t crc = ~running;
    for (size_t i = 0; i < size; ++i)
        crc = (crc >> 8) ^ Crc.entry[(crc ^ data[i]) & 0xFFu];
    return ~crc;
}

static const char CommitTag[] = "ZettlyCommit1";

int FormatCommitRecord(const CommitRecord *c, char *out, size_t outSize)
{
    int n = std::snprintf(out, outSize, "%s %lu %08lx %lu %08lx %lu %08lx\n", CommitTag,
                          (unsigned long)c->files[0].size, (unsigned long)c->files[0].checksum,
                          (unsigned long)c->files[1].size, (unsigned long)c->files[1].checksum,
                          (unsigned long)c->files[2].size, (unsigned long)c->files[2].checksum);
    return n > 0 && (size_t)n < outSize ? n : -1;
}

// Bytes of a short record file as a C string; false when they are empty, too
// long or hold a 0 byte.
static bool TakeShortText(const uint8_t *data, size_t size, char *text, size_t textSize)
{
    if (size == 0 || size >= textSize)
        return false;
    std::memcpy(text, data, size);
    text[size] = 0;
    return std::strlen(text) == size;
}

int ParseCommitRecord(const uint8_t *data, size_t size, CommitRecord *c)
{
    std::memset(c, 0, sizeof *c);
    char text[128];
    if (!TakeShortText(data, size, text, sizeof text))
        return -1;
    unsigned long v[6];
    char tag[16], end = 0;
    int consumed = 0;
    int got = std::sscanf(text, "%15s %lu %lx %lu %lx %lu %lx%c%n", tag, &v[0], &v[1], &v[2],
                          &v[3], &v[4], &v[5], &end, &consumed);
    if (got != 8 || end != '\n' || (size_t)consumed != size || std::strcmp(tag, CommitTag) != 0)
        return -1;
    for (int i = 0; i < 6; ++i)
        if (v[i] > 0xFFFFFFFFul)
            return -1;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        c->files[kind] = CommitFile{(uint32_t)v[2 * kind], (uint32_t)v[2 * kind + 1]};
    return 0;
}

int ParseSaveMarkerRecord(const uint8_t *data, size_t size, CommitRecord *c)
{
    std::memset(c, 0, sizeof *c);
    const void *line = size ? std::memchr(data, '\n', size) : nullptr;
    if (!line)
        return -1;
    size_t at = (size_t)((const uint8_t *)line - data) + 1;
    return ParseCommitRecord(data + at, size - at, c);
}

static const char UnsavedTag[] = "ZettlyUnsaved1";

int FormatUnsavedNote(uint32_t error, char *out, size_t outSize)
{
    int n = std::snprintf(out, outSize, "%s %lu\n", UnsavedTag, (unsigned long)error);
    return n > 0 && (size_t)n < outSize ? n : -1;
}

int ParseUnsavedNote(const uint8_t *data, size_t size, uint32_t *error)
{
    *error = 0;
    char text[64];
    if (!TakeShortText(data, size, text, sizeof text))
        return -1;
    char tag[16], end = 0;
    unsigned long value = 0;
    int consumed = 0;
    if (std::sscanf(text, "%15s %10lu%c%n", tag, &value, &end, &consumed) != 3 || end != '\n' ||
        (size_t)consumed != size || std::strcmp(tag, UnsavedTag) != 0 || value > 0xFFFFFFFFul)
        return -1;
    *error = (uint32_t)value;
    return 0;
}

static const char SessionTag[] = "ZettlySession1";

int FormatSessionNote(bool lost, uint32_t error, char *out, size_t outSize)
{
    int n = std::snprintf(out, outSize, "%s %s %010lu\n", SessionTag, lost ? "lost" : "open",
                          lost ? (unsigned long)error : 0ul);
    return n == SESSION_NOTE_BYTES && (size_t)n < outSize ? n : -1;
}

int ParseSessionNote(const uint8_t *data, size_t size, bool *lost, uint32_t *error)
{
    *lost = false;
    *error = 0;
    char text[SESSION_NOTE_BYTES + 1];
    if (size != SESSION_NOTE_BYTES || !TakeShortText(data, size, text, sizeof text))
        return -1;
    char tag[16], state[8], end = 0;
    unsigned long value = 0;
    int consumed = 0;
    if (std::sscanf(text, "%15s %7s %10lu%c%n", tag, state, &value, &end, &consumed) != 4 ||
        end != '\n' || (size_t)consumed != size || std::strcmp(tag, SessionTag) != 0 ||
        value > 0xFFFFFFFFul)
        return -1;
    if (std::strcmp(state, "lost") == 0)
        *lost = true;
    else if (std::strcmp(state, "open") != 0 || value != 0)
        return -1;
    *error = (uint32_t)value;
    return 0;
}

int SaveProgressIcon(int saved, int used)
{
    static const int Icons[9] = {IDI_SAVE_0, IDI_SAVE_1, IDI_SAVE_2, IDI_SAVE_3, IDI_SAVE_4,
                                 IDI_SAVE_5, IDI_SAVE_6, IDI_SAVE_7, IDI_SAVE_8};
    if (used <= 0 || saved <= 0)
        return Icons[0];
    long long index = 9LL * saved / used;
    return Icons[index > 8 ? 8 : index];
}

// ---------------------------------------------------------------- record file

int ReadRecordFileHead(ByteReader *r, RecordFileHead *head)
{
    std::memset(head, 0, sizeof *head);
    if (BytesLeft(r) < 4)
        return -1;
    head->storedSchemeCount = (int32_t)Get32(r->data + r->position);
    r->position += 4;
    uint32_t stored = head->storedSchemeCount > 0 ? (uint32_t)head->storedSchemeCount : 0;
    if ((uint64_t)stored * 12 > BytesLeft(r))
        return -1;
    uint32_t kept = stored < (uint32_t)ZETTLY_MAX_SCHEMES ? stored : (uint32_t)ZETTLY_MAX_SCHEMES;
    for (uint32_t i = 0; i < kept; ++i) {
        const uint8_t *p = r->data + r->position + i * 12;
        head->schemes[i] = ZettlyColourScheme{Get32(p), Get32(p + 4), Get32(p + 8)};
    }
    head->schemeCount = (int32_t)kept;
    r->position += (size_t)stored * 12;
    return ReadNextRecord(r, &head->defaults);
}

int ReadNextRecord(ByteReader *r, ZettlyRecord *record)
{
    if (BytesLeft(r) < ZETTLY_RECORD_BYTES)
        return -1;
    UnpackZettlyRecord(r->data + r->position, record);
    r->position += ZETTLY_RECORD_BYTES;
    return 0;
}

void AppendRecordFileHead(ByteBuffer *out, const ZettlyColourScheme *schemes, int32_t count,
                          const ZettlyRecord *defaults)
{
    if (count < 0)
        count = 0;
    if (count > ZETTLY_MAX_SCHEMES)
        count = ZETTLY_MAX_SCHEMES;
    Append32(out, (uint32_t)count);
    for (int32_t i = 0; i < count; ++i) {
        Append32(out, schemes[i].text);
        Append32(out, schemes[i].back);
        Append32(out, schemes[i].blink);
    }
    AppendRecord(out, defaults);
}

void AppendRecord(ByteBuffer *out, const ZettlyRecord *record)
{
    size_t at = out->size();
    out->resize(at + ZETTLY_RECORD_BYTES);
    PackZettlyRecord(record, out->data() + at);
}

int32_t StoredGroupSlot(const ZettlyRecord *member, const int *storedIndexOfSlot)
{
    int32_t group = member->groupSlot;
    if (!member->isMember || group < 0 || group >= ZETTLY_SLOTS || storedIndexOfSlot[group] < 0)
        return group; // left as it is: the loader offers to re-link it
    return storedIndexOfSlot[group];
}

// ---------------------------------------------------------------- text file

void AppendNoteText(ByteBuffer *out, const uint8_t *rtf, size_t length)
{
    // The control ends its output with a 0 byte, and writes a NUL character
    // of the text (typed, pasted or brought in) as one more: neither is RTF,
    // and a 0 byte inside would end the text where the file is read.
    for (size_t i = 0; i < length; ++i)
        if (rtf[i] != 0)
            out->push_back(rtf[i]);
    out->push_back(0);
    out->push_back(0);
}

namespace {

bool IsSpace(uint8_t c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

size_t ZeroRun(const uint8_t *data, size_t size, size_t at)
{
    size_t n = 0;
    while (at + n < size && data[at + n] == 0)
        ++n;
    return n;
}

// One stretch of the text file as the reader finds it.
struct TextPart {
    size_t start, end;    // the bytes, 0 bytes that ended it not included
    size_t next;          // just after the 0 bytes that ended it
    size_t closeAt;       // just after the close of the outer group; 0: never closed
    bool isText;          // starts a note's text: its header, or the start of the file
    bool empty;           // an empty text: two 0 bytes of their own
    bool damaged;         // cut by the end of the file, or a stray 0 byte skipped
    bool afterEnding;     // follows a proper ending of two 0 bytes
    bool tailAfterClose;  // what follows the close looks like the rest of a text
    std::vector<size_t> skipped; // stray 0 bytes left out
};

// Whether the bytes look like the rest of a rich text whose start is gone:
// control words, and a close below the level they started at as the last
// thing in them.
bool LooksLikeTextTail(const uint8_t *data, size_t start, size_t end)
{
    while (end > start && (IsSpace(data[end - 1]) || data[end - 1] == 0))
        --end;
    if (end <= start || data[end - 1] != '}')
        return false;
    long depth = 0, lowest = 0;
    bool words = false;
    for (size_t i = start; i < end; ++i) {
        uint8_t c = data[i];
        if (c == '\\') {
            if (i + 1 < end && std::isalpha(data[i + 1]))
                words = true;
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
            if (depth < lowest)
                lowest = depth;
        }
    }
    return words && lowest < 0 && depth == lowest;
}

// Reads one stretch from at: a text from its header (or the file's first
// byte) up to the 0 bytes that end it, the next text's header or the end of
// the file; or, where no text starts, a piece up to the next ending or header.
// Braces are counted to find where a text's outer group closes.
size_t ReadPart(const uint8_t *data, size_t size, size_t at, bool isText, TextPart *part)
{
    part->start = at;
    part->isText = isText;
    long depth = 0;
    bool opened = false;
    size_t i = at;
    for (;;) {
        if (i >= size) {
            part->end = size;
            part->damaged = part->damaged || isText;
            return size;
        }
        uint8_t c = data[i];
        if (c == 0) {
            size_t zeros = ZeroRun(data, size, i);
            bool next = i + zeros == size || StartsRichText(data + i + zeros, size - i - zeros);
            if (zeros >= 2 || next) {
                part->end = i;
                return i;
            }
            part->skipped.push_back(i); // a stray 0 byte: the bytes after it go on
            part->damaged = true;
            ++i;
            continue;
        }
        if (i > at && c == '{' && StartsRichText(data + i, size - i)) {
            part->end = i; // a header where no ending was: the ending is damaged
            part->damaged = true;
            return i;
        }
        if (c == '\\') {
            i += i + 1 < size && data[i + 1] != 0 ? 2 : 1;
            continue;
        }
        if (c == '{') {
            ++depth;
            opened = true;
        } else if (c == '}' && opened && depth > 0 && --depth == 0 && !part->closeAt) {
            part->closeAt = i + 1;
        }
        ++i;
    }
}

void AppendBytes(ByteBuffer *out, const uint8_t *data, const TextPart &p, size_t from, size_t to)
{
    size_t at = from;
    for (size_t skip : p.skipped) {
        if (skip < from || skip >= to)
            continue;
        out->insert(out->end(), data + at, data + skip);
        at = skip + 1;
    }
    out->insert(out->end(), data + at, data + to);
}

// Bytes no writer of these files puts into a text: older copies wrote
// accented letters raw, so bytes above 0x7E say nothing.
bool HoldsControlBytes(const uint8_t *data, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (data[i] < 0x20 && !IsSpace(data[i]) && data[i] != 0)
            return true;
    return false;
}

// A text has one font table; a second is the next text's, run into this one.
bool HoldsTwoFontTables(const uint8_t *data, size_t from, size_t to)
{
    static const char Table[] = "{\\fonttbl";
    const size_t n = sizeof Table - 1;
    int seen = 0;
    for (size_t i = from; i + n <= to && seen < 2; ++i)
        if (data[i] == '{' && std::memcmp(data + i, Table, n) == 0)
            ++seen;
    return seen >= 2;
}

bool OnlySpace(const uint8_t *data, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (!IsSpace(data[i]) && data[i] != 0)
            return false;
    return true;
}

} // namespace

namespace {

// Whether the bytes show that a text was damaged there, beyond being cut by
// the end of the file: it never closed, it goes on after its close, it holds
// a second font table, a stray 0 byte or bytes no writer puts there.
bool ShowsDamage(const uint8_t *data, size_t size, const TextPart &p)
{
    if (p.empty || p.end >= size)
        return false;
    return !p.closeAt || !OnlySpace(data, p.closeAt, p.end) || p.damaged ||
           HoldsControlBytes(data, p.start, p.end) || HoldsTwoFontTables(data, p.start, p.end);
}

// Splits by the shape of the texts alone, for files without stamps. A text
// count short of the records is put down to the end of the file when no
// damage shows anywhere (the file was cut). One text lost where one piece
// of damage shows is placed there when the damage tells where its rest
// starts. Otherwise what each place lost cannot be known: the notes from the
// first damage on get no text rather than a neighbour's.
int SplitByShape(const uint8_t *data, size_t size, const std::vector<TextPart> &parts,
                 long expectedTexts, std::vector<NoteText> *texts)
{
    long found = 0;
    for (const TextPart &p : parts)
        found += p.isText;
    long missing = expectedTexts > found ? expectedTexts - found : 0;

    // The places where damage shows; a piece of no text is one too.
    std::vector<size_t> damage;
    for (size_t i = 0; i < parts.size(); ++i) {
        const TextPart &p = parts[i];
        bool piece = !p.isText && p.afterEnding && i > 0;
        if (piece || (p.isText && ShowsDamage(data, size, p)))
            damage.push_back(i);
    }
    // A separator overwritten together with the next text's header: the
    // lost text's rest is the piece after a text's close, or a piece of its
    // own that ends the way a text ends.
    size_t splitAt = parts.size(), restAt = parts.size();
    size_t unknownFrom = parts.size(); // from this part on no text is given out
    if (missing > 0 && !damage.empty()) {
        const TextPart &p = parts[damage[0]];
        if (missing == 1 && damage.size() == 1 && p.isText && p.tailAfterClose)
            splitAt = damage[0];
        else if (missing == 1 && damage.size() == 1 && !p.isText &&
                 LooksLikeTextTail(data, p.start, p.end))
            restAt = damage[0];
        else
            unknownFrom = damage[0];
    }

    int garbage = 0;
    NoteText *last = nullptr;
    bool lastOpen = false; // the last text never closed: a piece after it is its rest
    for (size_t i = 0; i < parts.size() && i < unknownFrom; ++i) {
        const TextPart &p = parts[i];
        if (p.isText || i == restAt) {
            texts->push_back(NoteText());
            NoteText &t = texts->back();
            if (i == splitAt) {
                AppendBytes(&t.rtf, data, p, p.start, p.closeAt);
                // Whole up to its close unless the damage shows before it.
                t.damaged = HoldsControlBytes(data, p.start, p.closeAt) ||
                            HoldsTwoFontTables(data, p.start, p.closeAt) ||
                            (!p.skipped.empty() && p.skipped.front() < p.closeAt);
                texts->push_back(NoteText());
                NoteText &rest = texts->back();
                AppendBytes(&rest.rtf, data, p, p.closeAt, p.end);
                rest.damaged = true;
                rest.startLost = true;
            } else {
                AppendBytes(&t.rtf, data, p, p.start, p.end);
                t.damaged = p.damaged || i == restAt || ShowsDamage(data, size, p);
                t.startLost = i == restAt;
            }
            last = &texts->back();
            lastOpen = p.isText && !p.empty && !p.closeAt;
            continue;
        }
        // A piece that starts no text: the rest of the text before it when
        // nothing properly ended that one, else garbage, skipped so that the
        // notes after it keep their own texts.
        if (last && (!p.afterEnding || lastOpen)) {
            AppendBytes(&last->rtf, data, p, p.start, p.end);
            last->damaged = true;
        } else {
            ++garbage;
        }
    }
    if (unknownFrom < parts.size()) {
        while ((long)texts->size() < expectedTexts) {
            texts->push_back(NoteText());
            NoteText &u = texts->back();
            u.damaged = u.missing = u.unplaced = true;
        }
    }
    return garbage;
}

// Where the records' stamps tie texts to notes. A text whose bytes match its
// record's stamp is that note's own, wherever it is found; every other byte
// lies between two such texts (or the file's ends), and only there is it
// given to the notes saved between them. Bytes that cannot be told apart go
// to no note at all.
class StampedSplit {
public:
    StampedSplit(const uint8_t *data, size_t size, const std::vector<TextPart> &parts,
                 const TextStamp *stamps, size_t count, std::vector<NoteText> *texts)
        : data_(data), size_(size), parts_(parts), stamps_(stamps), count_(count),
          texts_(texts), span_(count + 1, 0)
    {
        for (size_t i = 0; i < count; ++i) {
            span_[i + 1] = span_[i] + stamps[i].length + 2;
            if (stamps[i].length > 0)
                index_.push_back(Key{Pack(stamps[i]), i});
        }
        std::sort(index_.begin(), index_.end());
    }

    // false when no text is tied to its record (an older copy's file, or
    // every text damaged): the file is then split by its shape alone.
    bool Run(int *garbage)
    {
        texts_->assign(count_, NoteText());
        size_t record = 0, at = 0;
        bool tied = false;
        for (const TextPart &p : parts_) {
            if (record >= count_)
                break;
            if (p.start < at || p.end <= p.start || !p.skipped.empty() ||
                p.end - p.start > 0xFFFFFFFFu)
                continue;
            size_t own = OwnerOf(p, record, at);
            if (own == NoOwner)
                continue;
            Between(record, own, at, p.start, false);
            (*texts_)[own].rtf.assign(data_ + p.start, data_ + p.end);
            record = own + 1;
            at = p.next;
            tied = true;
        }
        if (!tied)
            return false;
        // Records past the end of the file have no text there.
        Between(record, count_, at, size_, true);
        while (!texts_->empty() && texts_->back().missing && !texts_->back().unplaced)
            texts_->pop_back();
        *garbage = garbage_;
        return true;
    }

private:
    static const size_t NoOwner = (size_t)-1;
    struct Key {
        uint64_t stamp;
        size_t record;
        bool operator<(const Key &o) const
        {
            return stamp != o.stamp ? stamp < o.stamp : record < o.record;
        }
    };
    static uint64_t Pack(TextStamp s) { return (uint64_t)s.length << 32 | s.checksum; }

    // The record a whole text belongs to: one not yet given a text, the one
    // whose place it stands at when two notes hold the same text.
    size_t OwnerOf(const TextPart &p, size_t record, size_t at) const
    {
        uint64_t stamp = Pack(StampNoteText(data_ + p.start, p.end - p.start));
        auto it = std::lower_bound(index_.begin(), index_.end(), Key{stamp, record});
        size_t first = NoOwner;
        for (; it != index_.end() && it->stamp == stamp; ++it) {
            if (first == NoOwner)
                first = it->record;
            if (at + (span_[it->record] - span_[record]) == p.start)
                return it->record;
        }
        return first;
    }

    bool ZerosAt(size_t at) const { return at + 2 <= size_ && !data_[at] && !data_[at + 1]; }

    void Take(size_t record, size_t from, size_t to)
    {
        NoteText &t = (*texts_)[record];
        for (size_t i = from; i < to; ++i)
            if (data_[i])
                t.rtf.push_back(data_[i]);
        const TextStamp &s = stamps_[record];
        t.damaged = !(to - from == s.length && from + s.length <= size_ &&
                      StampNoteText(data_ + from, s.length).checksum == s.checksum);
    }

    // The notes first..last-1, saved between the bytes from and to.
    void Between(size_t first, size_t last, size_t from, size_t to, bool toEnd)
    {
        if (first == last && toEnd) {
            // After the last record's text: texts no record was saved with.
            for (const TextPart &p : parts_) {
                if (p.start < from || p.empty)
                    continue;
                if (p.isText)
                    texts_->push_back(NoteText());
                else if (!OnlySpace(data_, p.start, p.end))
                    ++garbage_;
            }
            return;
        }
        if (first == last) {
            if (!OnlySpace(data_, from, to))
                ++garbage_;
            return;
        }
        // The damage left the bytes where they were saved: each note's
        // bytes are where its stamp's length puts them.
        bool inPlace = to - from == span_[last] - span_[first];
        size_t at = from;
        for (size_t r = first; r < last; ++r) {
            NoteText &t = (*texts_)[r];
            uint64_t length = stamps_[r].length;
            if (at >= to) {
                // Nothing of it is left before the end of the file; between
                // two texts its bytes are gone.
                t.missing = true;
                t.damaged = true;
                t.unplaced = !toEnd;
                continue;
            }
            if (r + 1 == last || at + length + 2 >= to) {
                // The last of them, or the bytes left are no more than its
                // own: everything up to the next text (or the end of a cut
                // file) is its own.
                size_t end = to;
                while (end > at && !data_[end - 1])
                    --end;
                Take(r, at, end);
                at = to;
                continue;
            }
            if (inPlace || (at + length <= to && ZerosAt(at + length))) {
                size_t end = at + length < to ? (size_t)(at + length) : to;
                Take(r, at, end);
                at = end + 2 <= to ? end + 2 : to;
                continue;
            }
            // Where this text ends cannot be known: it and the notes after
            // it up to the next text get nothing, not a neighbour's bytes.
            for (; r < last; ++r) {
                NoteText &u = (*texts_)[r];
                u.rtf.clear();
                u.damaged = u.missing = u.unplaced = true;
            }
            return;
        }
    }

    const uint8_t *data_;
    size_t size_;
    const std::vector<TextPart> &parts_;
    const TextStamp *stamps_;
    size_t count_;
    std::vector<NoteText> *texts_;
    std::vector<uint64_t> span_; // where each text starts when nothing moved
    std::vector<Key> index_;
    int garbage_ = 0;
};

} // namespace

TextStamp StampNoteText(const uint8_t *rtf, size_t length)
{
    // The length goes in first so that an empty text has a checksum no
    // older copy writes into these fields (it leaves them 0).
    uint8_t head[4];
    Put32(head, (uint32_t)length);
    return TextStamp{(uint32_t)length, ChecksumBytes(ChecksumBytes(0, head, 4), rtf, length)};
}

void AppendSavedNote(ByteBuffer *records, ByteBuffer *texts, const ZettlyRecord *record,
                     const uint8_t *rtf, size_t length)
{
    size_t textAt = texts->size();
    AppendNoteText(texts, rtf, length);
    TextStamp stamp = StampNoteText(texts->data() + textAt, texts->size() - textAt - 2);
    size_t recordAt = records->size();
    AppendRecord(records, record);
    Put32(records->data() + recordAt + NOTE_TEXT_STAMP_LENGTH_AT, stamp.length);
    Put32(records->data() + recordAt + NOTE_TEXT_STAMP_CHECK_AT, stamp.checksum);
}

int ReadTextStamps(const uint8_t *recordFile, size_t size, std::vector<TextStamp> *stamps)
{
    stamps->clear();
    ByteReader r = {recordFile, size, 0};
    RecordFileHead head;
    if (ReadRecordFileHead(&r, &head) != 0)
        return -1;
    for (; BytesLeft(&r) >= ZETTLY_RECORD_BYTES; r.position += ZETTLY_RECORD_BYTES) {
        const uint8_t *p = r.data + r.position;
        stamps->push_back(
            TextStamp{Get32(p + NOTE_TEXT_STAMP_LENGTH_AT), Get32(p + NOTE_TEXT_STAMP_CHECK_AT)});
    }
    return (int)stamps->size();
}

int SplitRichNoteTexts(const uint8_t *data, size_t size, std::vector<NoteText> *texts,
                       long expectedTexts, const TextStamp *stamps)
{
    texts->clear();
    std::vector<TextPart> parts;
    size_t at = 0;
    bool afterEnding = true;
    while (at < size) {
        if (data[at] == 0) {
            // Where a text is expected: empty texts, two 0 bytes each; one
            // left over is a stray byte.
            size_t zeros = ZeroRun(data, size, at);
            for (size_t i = 0; i < zeros / 2; ++i) {
                TextPart empty = {};
                empty.start = empty.end = at + 2 * i;
                empty.next = empty.start + 2;
                empty.isText = empty.empty = true;
                parts.push_back(empty);
            }
            at += zeros;
            afterEnding = true;
            continue;
        }
        TextPart part = {};
        bool isText = at == 0 || StartsRichText(data + at, size - at);
        part.afterEnding = afterEnding;
        at = ReadPart(data, size, at, isText, &part);
        part.tailAfterClose = part.closeAt && !OnlySpace(data, part.closeAt, part.end) &&
                              LooksLikeTextTail(data, part.closeAt, part.end);
        // The two 0 bytes that end this part; any beyond are empty texts.
        size_t zeros = ZeroRun(data, size, at);
        at += zeros < 2 ? zeros : 2;
        part.next = at;
        parts.push_back(part);
        afterEnding = zeros >= 2;
    }
    if (stamps && expectedTexts > 0) {
        int garbage = 0;
        StampedSplit split(data, size, parts, stamps, (size_t)expectedTexts, texts);
        if (split.Run(&garbage))
            return garbage;
        texts->clear();
    }
    return SplitByShape(data, size, parts, expectedTexts, texts);
}

bool StartsRichText(const uint8_t *data, size_t size)
{
    return size >= 5 && std::memcmp(data, "{\\rtf", 5) == 0;
}

int TakePlainNoteText(ByteReader *r, const uint8_t **text, size_t *length)
{
    *text = nullptr;
    *length = 0;
    if (BytesLeft(r) < 4) {
        r->position += BytesLeft(r);
        return NOTE_TEXT_CUT;
    }
    int32_t stored = (int32_t)Get32(r->data + r->position);
    r->position += 4;
    if (stored < 0)
        return NOTE_TEXT_WHOLE;
    size_t left = BytesLeft(r);
    *text = r->data + r->position;
    if ((uint64_t)stored + 1 > left) {
        *length = left;
        r->position += left;
        return NOTE_TEXT_CUT;
    }
    *length = (size_t)stored;
    r->position += (size_t)stored + 1;
    return NOTE_TEXT_WHOLE;
}

bool LooksLikePlainNoteText(const ByteReader *r)
{
    size_t left = BytesLeft(r);
    if (left < 5)
        return false;
    const uint8_t *p = r->data + r->position;
    // An empty rich text starts with its 0 byte; RTF starts with a brace.
    if (p[0] == 0 || p[0] == '{')
        return false;
    int32_t stored = (int32_t)Get32(p);
    return stored >= 0 && (uint64_t)stored + 1 <= left - 4 && p[4 + stored] == 0;
}

// ---------------------------------------------------------------- check lists

int TakeCheckList(ByteReader *r, std::vector<CheckListItem> *items)
{
    bool damaged = false;
    for (;;) {
        if (!BytesLeft(r))
            return NOTE_TEXT_CUT;
        uint8_t flag = r->data[r->position++];
        if (flag == 0)
            return damaged ? NOTE_TEXT_CUT : NOTE_TEXT_WHOLE;
        if (!BytesLeft(r))
            return NOTE_TEXT_CUT;
        // An item that is not a flag digit and a comma spoils the rest of its
        // list, which is still walked to its end so the next list stays put.
        damaged = damaged || (flag != '0' && flag != '1') || r->data[r->position] != ',';
        ++r->position;
        const uint8_t *start = r->data + r->position;
        size_t left = BytesLeft(r);
        const void *end = std::memchr(start, 0, left);
        if (!end) {
            r->position += left;
            return NOTE_TEXT_CUT;
        }
        size_t length = (size_t)((const uint8_t *)end - start);
        r->position += length + 1;
        if (damaged)
            continue;
        CheckListItem item;
        item.checked = flag == '1';
        item.text = start;
        item.length = length < (size_t)CHECK_LIST_TEXT_CHARS ? length : (size_t)CHECK_LIST_TEXT_CHARS;
        items->push_back(item);
    }
}

void AppendCheckListItem(ByteBuffer *out, bool checked, const char *text, size_t length)
{
    if (length > CHECK_LIST_TEXT_CHARS)
        length = CHECK_LIST_TEXT_CHARS;
    const void *end = length ? std::memchr(text, 0, length) : nullptr;
    if (end)
        length = (size_t)((const char *)end - text);
    out->push_back(checked ? '1' : '0');
    out->push_back(',');
    out->insert(out->end(), (const uint8_t *)text, (const uint8_t *)text + length);
    out->push_back(0);
}

// ---------------------------------------------------------------- damage

bool HasDamage(const LoadDamage *d)
{
    return d->missingRecordFile || d->shortHead || d->partialRecord || d->missingTextFile ||
           d->recordsBeyondTable || d->damagedTexts || d->missingTexts || d->lostTexts || d->unplacedTexts ||
           d->extraTexts || d->garbagePieces ||
           d->cutCheckLists || d->missingCheckLists || d->notesNotCreated || d->changedFiles ||
           d->folderFiles;
}

int DescribeLoadDamage(const LoadDamage *d, bool canRollBack, char *out, size_t outSize)
{
    if (!outSize)
        return -1;
    out[0] = 0;
    if (!HasDamage(d))
        return 0;
    size_t used = 0;
    auto add = [&](const char *format, int value) {
        if (used + 1 >= outSize)
            return;
        int n = std::snprintf(out + used, outSize - used, format, value);
        if (n > 0)
            used += (size_t)n < outSize - used ? (size_t)n : outSize - used - 1;
    };
    add("Some zettly data could not be read:\n", 0);
    static const char *const Folders[ZETTLY_FILE_KINDS] = {
        "- zettly.rec in the data folder is a folder, not a file\n",
        "- zettly.str in the data folder is a folder, not a file\n",
        "- zettly_chklist.str in the data folder is a folder, not a file\n"};
    if (d->missingRecordFile)
        add("- the record file zettly.rec is missing or unreadable; no zettlies were loaded\n", 0);
    if (d->shortHead)
        add("- the record file is cut off before its first zettly; no zettlies were loaded\n", 0);
    if (d->partialRecord)
        add("- the record file ends inside a zettly record\n", 0);
    if (d->recordsBeyondTable)
        add("- %d zettly records did not fit and were not loaded\n", d->recordsBeyondTable);
    if (d->missingTextFile)
        add("- the text file zettly.str is missing or unreadable\n", 0);
    if (d->damagedTexts)
        add("- %d zettly texts are damaged; what could be read is shown\n", d->damagedTexts);
    if (d->missingTexts)
        add("- %d zettlies have no text in the file\n", d->missingTexts);
    if (d->unplacedTexts)
        add("- %d zettly texts cannot be told apart from the damage around them; those "
            "zettlies are left empty\n",
            d->unplacedTexts);
    if (d->lostTexts)
        add("- %d zettly texts lost their start and ran into the text before them; that "
            "zettly shows both\n",
            d->lostTexts);
    if (d->extraTexts)
        add("- %d zettly texts have no record\n", d->extraTexts);
    if (d->garbagePieces)
        add("- %d damaged pieces of text belong to no zettly and are left out\n",
            d->garbagePieces);
    if (d->cutCheckLists)
        add("- %d check lists are cut off or damaged\n", d->cutCheckLists);
    if (d->missingCheckLists)
        add("- the check-list file zettly_chklist.str is missing or unreadable; %d check lists "
            "are empty\n",
            d->missingCheckLists);
    if (d->notesNotCreated)
        add("- %d zettlies could not be shown\n", d->notesNotCreated);
    static const char *const Changed[ZETTLY_FILE_KINDS] = {
        "- zettly.rec is not what the last save wrote: a zettly's place or look may be "
        "changed\n",
        "- zettly.str is not what the last save wrote: a zettly's text may be changed\n",
        "- zettly_chklist.str is not what the last save wrote: a check list may be changed\n"};
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        if (d->folderFiles & (1u << kind))
            add(Folders[kind], 0);
        if (d->changedFiles & (1u << kind))
            add(Changed[kind], 0);
    }
    if (d->notKeptAside)
        add("\nThe damaged files could not be copied aside: they stay as they are.\n", 0);
    else
        add("\nThe damaged files are kept beside them with \"_damaged\" in their names.\n", 0);
    if (canRollBack)
        add("\n" ROLL_BACK_CHOICES, 0);
    else
        add("\nNo earlier save is left to roll back to.", 0);
    return (int)used;
}

// Stored layouts of the notes files, read from and written to plain byte
// buffers: the record file, the text file, the check-list file and the marker.
// Every reader treats its input as hostile: lengths are checked against the
// bytes present and a damaged part never shifts the parts after it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <vector>

#include "zettly_record.h"

typedef std::vector<uint8_t> ByteBuffer;

// Names of the files of one data folder, absolute, built once at start-up so
// that a save never depends on the process's current folder.
enum { ZETTLY_PATH_CHARS = 300, ZETTLY_FILE_KINDS = 3 };
// The longest name a save gives a file of the data folder: the part file of
// a backup copy, "zettly_chklist.str_priorsave_new".
enum { ZETTLY_LONGEST_NAME_CHARS = 32 };
static_assert(sizeof "zettly_chklist.str_priorsave_new" - 1 == ZETTLY_LONGEST_NAME_CHARS,
              "the longest name of a notes file");
enum { RECORD_FILE = 0, TEXT_FILE = 1, CHECK_LIST_FILE = 2 };
struct ZettlyFileSet {
    char folder[ZETTLY_PATH_CHARS];
    char current[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS];
    char prior[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS];
    char damaged[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS];
    // The last good set, kept aside when a load found damage, until the user
    // rolls back to it or lets it go; no save writes over it.
    char held[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS];
    char saving[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS]; // new files before they are renamed into place
    // A save of this copy kept beside the files in place, because another
    // copy of the program saved over them after this one read them.
    char aside[ZETTLY_FILE_KINDS][ZETTLY_PATH_CHARS];
    char marker[ZETTLY_PATH_CHARS];
    // Present while complete new files are being renamed into place: a start
    // that finds it finishes the renaming instead of loading a mixed set.
    char committing[ZETTLY_PATH_CHARS];
    // Left by a session that ended while its notes could not be saved.
    char unsaved[ZETTLY_PATH_CHARS];
    // The same note, in room taken at start-up: a full disk or a folder
    // closed to new files still lets the session's end rewrite it in place.
    char sessionNote[ZETTLY_PATH_CHARS];
};
// folder may or may not end in a separator. -1 when a name would not fit.
int BuildZettlyFileSet(const char *folder, ZettlyFileSet *set);
// A name relative to folder as a full path; a full path stays as it is.
// -1 when the result would not fit.
int ResolveInFolder(const char *folder, const char *name, char *out, size_t outSize);

// Name of the save mutex shared by every copy of the program that works on
// this data folder (letter case does not matter, as in Windows paths).
int MakeSaveMutexName(const char *folder, char *out, size_t outSize);

// "Last save completed with out problems at " and the asctime form of t.
int FormatSaveMarker(const struct tm *t, char *out, size_t outSize);

// What the commit file of a save says its new files hold: a start that
// finds the commit file finishes the save only with files that match.
struct CommitFile {
    uint32_t size;
    uint32_t checksum; // CRC-32 of the bytes
};
struct CommitRecord {
    CommitFile files[ZETTLY_FILE_KINDS];
};
uint32_t ChecksumBytes(uint32_t running, const uint8_t *data, size_t size); // running 0 at first
int FormatCommitRecord(const CommitRecord *c, char *out, size_t outSize);
// -1 when the bytes are not a whole commit record (an older, empty commit
// file included).
int ParseCommitRecord(const uint8_t *data, size_t size, CommitRecord *c);
// The marker of a save holds its sentence and, from this version on, a second
// line with what each file of the set holds, in the commit record's form.
// -1 when there is no whole second line (a marker of an older copy).
int ParseSaveMarkerRecord(const uint8_t *data, size_t size, CommitRecord *c);

// The note of a session whose notes could not be saved: the system error
// of the last try. Parse: -1 when the bytes are not a whole note.
int FormatUnsavedNote(uint32_t error, char *out, size_t outSize);
int ParseUnsavedNote(const uint8_t *data, size_t size, uint32_t *error);

// The note of the session in its room of SESSION_NOTE_BYTES, reserved at
// start-up while nothing is to be said (lost false) and rewritten in place
// when a session ends unsaved. Parse: -1 when the bytes are not a whole note.
enum { SESSION_NOTE_BYTES = 31 };
int FormatSessionNote(bool lost, uint32_t error, char *out, size_t outSize);
int ParseSessionNote(const uint8_t *data, size_t size, bool *lost, uint32_t *error);

// Tray icon resource shown after `saved` of `used` notes are written.
int SaveProgressIcon(int saved, int used);

// A cursor over a block read from a file.
struct ByteReader {
    const uint8_t *data;
    size_t size;
    size_t position;
};
inline size_t BytesLeft(const ByteReader *r)
{
    return r->position < r->size ? r->size - r->position : 0;
}

// ---------------------------------------------------------------- record file
struct RecordFileHead {
    int32_t storedSchemeCount;
    int32_t schemeCount; // kept: 0..ZETTLY_MAX_SCHEMES
    ZettlyColourScheme schemes[ZETTLY_MAX_SCHEMES];
    ZettlyRecord defaults; // unpacked as stored, not yet sanitised
};
// Reads the scheme count, the schemes and the default record. Schemes beyond
// the table's 50 are skipped. -1 when the head is not whole.
int ReadRecordFileHead(ByteReader *r, RecordFileHead *head);
// -1 when no whole record is left.
int ReadNextRecord(ByteReader *r, ZettlyRecord *record);

void AppendRecordFileHead(ByteBuffer *out, const ZettlyColourScheme *schemes, int32_t count,
                          const ZettlyRecord *defaults);
void AppendRecord(ByteBuffer *out, const ZettlyRecord *record);

// A member's group link names a slot; the loader puts the n-th stored record
// into slot n. Given, for every slot 0..255, its position in the stored order
// (-1 when not stored), returns the group link to store for a member.
int32_t StoredGroupSlot(const ZettlyRecord *member, const int *storedIndexOfSlot);

// ---------------------------------------------------------------- text file
// A note's text is stored as its RTF, one 0 byte that ends it and one more 0
// byte. The 0 bytes of the control's output are left out of the RTF.
void AppendNoteText(ByteBuffer *out, const uint8_t *rtf, size_t length);

enum NoteTextResult { NOTE_TEXT_WHOLE = 0, NOTE_TEXT_CUT = -1 };
// One note's text as read back from the text file.
struct NoteText {
    ByteBuffer rtf;
    // Cut off by the end of the file, mended from pieces that a stray 0
    // byte had split, or run together with a text whose start is lost.
    bool damaged;
    // The start of this note's text is gone: rtf holds the rest that could
    // be told apart (no RTF header), or nothing when missing.
    bool startLost;
    bool missing;
    // Its bytes lie among damage that cannot be told apart from its
    // neighbours' texts: the note gets no text rather than another's.
    bool unplaced;
};
// What the save writes into a note's record about its text, in fields whose
// stored value no copy reads back: the text's length and its checksum.
struct TextStamp {
    uint32_t length;
    uint32_t checksum;
};
TextStamp StampNoteText(const uint8_t *rtf, size_t length);
// The record and the note's text, the record stamped with the text as stored.
void AppendSavedNote(ByteBuffer *records, ByteBuffer *texts, const ZettlyRecord *record,
                     const uint8_t *rtf, size_t length);
// The stamp of every whole record of a record file; -1 without a whole head.
int ReadTextStamps(const uint8_t *recordFile, size_t size, std::vector<TextStamp> *stamps);
// Splits a text file of rich texts into the notes' texts, in stored order.
// With the records' stamps (expectedTexts of them) a text is its note's
// where its bytes match the note's stamp, and damaged bytes go only to the
// notes saved between two such texts, by the stamps' lengths. Without them
// each text is found by what it is: it starts with an RTF header (or at the
// start of the file), and its outer group's close is found by counting
// braces; a piece that starts no text is the rest of the text before it when
// nothing properly ended that one (a stray 0 byte), else garbage, skipped.
// When expectedTexts is more than the texts found, lost texts are placed
// only where the bytes show it. Either way no note is given bytes of a text
// saved for another. Returns the number of garbage pieces skipped.
int SplitRichNoteTexts(const uint8_t *data, size_t size, std::vector<NoteText> *texts,
                       long expectedTexts = -1, const TextStamp *stamps = nullptr);
// Whether the bytes start as a whole RTF text does.
bool StartsRichText(const uint8_t *data, size_t size);
// The older plain form: a 32-bit length L, then L bytes of text and a NUL.
// A negative length carries no text. CUT when the bytes are not all there.
int TakePlainNoteText(ByteReader *r, const uint8_t **text, size_t *length);
// Whether the plain form reads cleanly at the reader's position while the
// text there does not begin as RTF.
bool LooksLikePlainNoteText(const ByteReader *r);

// ---------------------------------------------------------------- check lists
enum { CHECK_LIST_TEXT_CHARS = 4095 };
struct CheckListItem {
    bool checked;
    const uint8_t *text; // into the buffer read; not terminated
    size_t length;       // at most CHECK_LIST_TEXT_CHARS
};
// One note's items, up to the flag byte of 0 that ends its list (consumed).
// CUT when the data ends first, or when an item is not a flag digit and a
// comma (the rest of that list is skipped); the items read before are kept.
int TakeCheckList(ByteReader *r, std::vector<CheckListItem> *items);
// The items of one note without the list's ending 0 byte.
void AppendCheckListItem(ByteBuffer *out, bool checked, const char *text, size_t length);

// ---------------------------------------------------------------- reading a whole set
// What a load could not read, for the message that tells the user.
struct LoadDamage {
    bool missingRecordFile;    // the record file is gone or unreadable
    bool shortHead;            // count, schemes or default record cut off
    bool partialRecord;        // the record file ends inside a record
    bool missingTextFile;      // the text file is gone or unreadable
    int recordsBeyondTable;    // whole records that did not fit slots 0..254
    int damagedTexts;          // texts cut off, mended from pieces or unreadable
    int missingTexts;          // notes whose text is not in the file at all
    int lostTexts;             // texts run into the one before them past telling apart
    int unplacedTexts;         // texts among damage that cannot be told apart: left empty
    int extraTexts;            // texts left over without a record
    int garbagePieces;         // damaged bytes that are no note's text, left out
    int cutCheckLists;         // check lists cut off by the end of the file or damaged
    int missingCheckLists;     // notes with a check list while the check-list file is gone
    int notesNotCreated;       // records whose window could not be made
    unsigned changedFiles;     // bit per file kind: not what the last save wrote
    unsigned folderFiles;      // bit per file kind: the name is a folder's
    bool notKeptAside;         // the damaged files could not be copied aside
};
bool HasDamage(const LoadDamage *d);
// The text of the message; the empty text when there is no damage.
// canRollBack: the message ends with the question whether to roll back.
int DescribeLoadDamage(const LoadDamage *d, bool canRollBack, char *out, size_t outSize);

#include "notes_file.h"

#include <richedit.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "data_folder.h"
#include "notes_file_ids.h"
#include "notes_file_io.h"
#include "notes_phase_times.h"
#include "rich_text_stream.h"
#include "streamed_rich_text.h"
#include "ui_seams.h"
#include "zettly_slots.h"

int PrepareNotesFiles(NotesFiles *files)
{
    if (files->prepared)
        return 0;
    const char *folder = DataFolder();
    if (!folder || BuildZettlyFileSet(folder, &files->names) != 0)
        return -1;
    char name[64];
    if (MakeSaveMutexName(folder, name, sizeof name) != 0)
        return -1;
    files->saveMutex = CreateMutexA(nullptr, FALSE, name);
    if (!files->saveMutex)
        return -1;
    files->prepared = true;
    return 0;
}

void CloseNotesFiles(NotesFiles *files)
{
    if (files->saveMutex)
        CloseHandle(files->saveMutex);
    files->saveMutex = nullptr;
    files->prepared = false;
    files->currentSetKnownGood = false;
    files->keepPriorSet = false;
    files->knowsSetInPlace = false;
    files->lastSaveWentAside = false;
    for (HeldCheckList &held : files->held) {
        held.owner = nullptr;
        ByteBuffer().swap(held.items);
    }
    for (NoteNotSavedWhole &note : files->notWhole)
        note = NoteNotSavedWhole{};
    ForgetDataFolder();
}

// ---------------------------------------------------------------- saving

static bool IsFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The base name of a notes file whose name a folder has taken, or null. A
// save would fail only at its renames, with its new files half in place.
static const char *FolderInTheWay(const ZettlyFileSet &f)
{
    const char *names[4 * ZETTLY_FILE_KINDS + 2] = {f.marker, f.committing};
    int count = 2;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        names[count++] = f.current[kind];
        names[count++] = f.prior[kind];
        names[count++] = f.saving[kind];
        names[count++] = f.aside[kind];
    }
    for (int i = 0; i < count; ++i)
        if (IsFolder(names[i])) {
            const char *base = std::strrchr(names[i], '\\');
            return base ? base + 1 : names[i];
        }
    return nullptr;
}

// The auto-save runs on its own thread; the note windows belong to the GUI
// thread, which takes their content while this thread waits.
static bool AskNoteWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT *answer = nullptr)
{
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        LRESULT result = SendMessageA(window, message, wParam, lParam);
        if (answer)
            *answer = result;
        return true;
    }
    // No time limit: a request given up on is still answered later, into the
    // buffers, stream and file of a save that has freed them by then. The GUI
    // thread answers while it waits for a save (WaitForSaveMutex), so only a
    // hung GUI thread keeps an auto-save waiting, and nothing waits for that.
    // A window gone meanwhile still fails the request.
    DWORD_PTR reply = 0;
    bool answered = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, INFINITE,
                                        &reply) != 0;
    if (answer)
        *answer = (LRESULT)reply;
    return answered;
}

// A note edit control with the program's subclass answers from the text it
// kept when nothing can have changed it since, and with what it kept when
// the control cannot write it out whole; a bare control streams out.
// Returns a NoteTextTaken.
static int TakeNoteContent(HWND edit, MemoryWriter *rtf)
{
    LRESULT taken = 0;
    if (!AskNoteWindow(edit, TakeNoteTextMessage(), 0, (LPARAM)rtf, &taken))
        return NOTE_TEXT_FAILED;
    if (taken != NOTE_TEXT_NOT_ANSWERED)
        return taken >= NOTE_TEXT_CURRENT && taken <= NOTE_TEXT_PLAIN ? (int)taken
                                                                        : NOTE_TEXT_FAILED;
    DWORD start = rtf->used;
    EDITSTREAM stream = {(DWORD_PTR)rtf, 0, StreamOutToMemory};
    if (!AskNoteWindow(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&stream) || stream.dwError != 0 ||
        !rtf->block || !IsWholeStreamedRichText(rtf->block + start, rtf->used - start))
        return NOTE_TEXT_FAILED;
    return NOTE_TEXT_CURRENT;
}

// A note saved with less than its content is told once, until it is saved whole again.
static void NoteWhatWasTaken(NotesFiles *files, int slot, HWND window, int taken)
{
    NoteNotSavedWhole &note = files->notWhole[slot];
    if (taken == NOTE_TEXT_CURRENT) {
        note = NoteNotSavedWhole{};
    } else if (note.window != window || note.taken != taken) {
        note.window = window;
        note.taken = taken;
        note.told = false;
    }
}

static HWND LiveCheckList(const ZettlyRecord *z)
{
    HWND list = z->checkListWindow;
    return list && IsWindow(list) && GetWindow(list, GW_OWNER) == z->window ? list : nullptr;
}

static int WriteCheckList(const HeldCheckList &held, const ZettlyRecord *z, FILE *out)
{
    HWND list = LiveCheckList(z);
    if (list) {
        if (!AskNoteWindow(list, WM_USER, CHECK_LIST_WRITE, (LPARAM)out))
            return -1;
    } else {
        if (held.owner == z->window && !held.items.empty() &&
            std::fwrite(held.items.data(), 1, held.items.size(), out) != held.items.size())
            return -1;
    }
    return std::fputc(0, out) == EOF ? -1 : 0;
}

struct SaveImages {
    ByteBuffer records;
    ByteBuffer texts;
    FILE *checkLists;
    MemoryWriter rtf; // one block for every note's RTF, grown as needed
};

// -1 when the note's content could not be taken or the note went away while
// it was being taken: a save that misses a note is no save.
static int SaveOneNote(NotesFileWork *w, int slot, const int *storedIndexOfSlot,
                       SaveImages *images)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    HWND window = z->window;
    if (!window)
        return -1;
    CaptureZettly(slot, FALSE);
    MemoryWriter *rtf = &images->rtf;
    rtf->used = 0;
    if (z->editWindow) {
        NotesPhaseMark mark(PHASE_STREAM_OUT);
        int taken = TakeNoteContent(z->editWindow, rtf);
        NoteWhatWasTaken(w->files, slot, window, taken);
        if (taken == NOTE_TEXT_FAILED)
            return -1;
    }
    ZettlyRecord record = *z;
    if (record.window != window)
        return -1;
    record.groupSlot = StoredGroupSlot(&record, storedIndexOfSlot);
    AppendSavedNote(&images->records, &images->texts, &record, (const uint8_t *)rtf->block,
                    rtf->used);
    if (record.checkListWindow && images->checkLists)
        return WriteCheckList(w->files->held[slot], &record, images->checkLists);
    return 0;
}

static int CloseCheckListFile(NotesFileWork *w, FILE *file)
{
    if (!file)
        return 0;
    bool ok = std::fflush(file) == 0 && !std::ferror(file) && _commit(_fileno(file)) == 0;
    if (!ok)
        KeepFailure(w);
    ok = std::fclose(file) == 0 && ok;
    FileStep(w);
    return ok ? 0 : -1;
}

static CommitFile DescribeBytes(const ByteBuffer &bytes)
{
    return CommitFile{(uint32_t)bytes.size(), ChecksumBytes(0, bytes.data(), bytes.size())};
}

// A missing file holds nothing.
static bool DescribeCurrentSet(const ZettlyFileSet &f, CommitRecord *holds)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        ByteBuffer bytes;
        if (ReadWholeNotesFile(f.current[kind], &bytes) == -2)
            return false;
        holds->files[kind] = DescribeBytes(bytes);
    }
    return true;
}

static bool FileHolds(const char *path, const CommitFile &expected)
{
    ByteBuffer bytes;
    if (ReadWholeNotesFile(path, &bytes) != 0)
        return false;
    CommitFile found = DescribeBytes(bytes);
    return found.size == expected.size && found.checksum == expected.checksum;
}

// The record file last: it decides how many notes a load reads.
static const int RenameOrder[ZETTLY_FILE_KINDS] = {CHECK_LIST_FILE, TEXT_FILE, RECORD_FILE};

static bool RestoreFromPrior(NotesFileWork *w, int kind)
{
    const ZettlyFileSet &f = w->files->names;
    if (FileExists(f.prior[kind]))
        return CopyWhole(w, f.prior[kind], f.current[kind]) == 0;
    return DeleteFileA(f.current[kind]) || IsMissing(GetLastError());
}

// The new files are complete beside the current ones. The backups take the
// current files only when those are known good. The commit file then says
// that the new files are whole: from there on a start that finds it finishes
// the renaming, so neither a crash nor the roll-back question can leave a set
// of mixed files in place. The marker goes, the new files are renamed into
// place and the marker comes back.
static int PutSavedFilesInPlace(NotesFileWork *w, const CommitRecord *commit)
{
    NotesFiles *files = w->files;
    const ZettlyFileSet &f = files->names;
    bool marked = FileExists(f.marker);
    bool backedUp = false;
    if (marked && files->currentSetKnownGood && !files->keepPriorSet) {
        for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
            bool ok = FileExists(f.current[kind]) ? CopyWhole(w, f.current[kind], f.prior[kind]) == 0
                                                  : (DeleteFileA(f.prior[kind]) ||
                                                     IsMissing(GetLastError()));
            if (!ok)
                return -1;
        }
        backedUp = true;
    }
    char described[128];
    int length = FormatCommitRecord(commit, described, sizeof described);
    if (length < 0 || WriteWholeFile(w, f.committing, described, (size_t)length) != 0)
        return -1;
    if (marked) {
        if (!DeleteFileA(f.marker)) {
            KeepFailure(w);
            DeleteFileA(f.committing);
            return -1;
        }
        FileStep(w);
    }
    for (int i = 0; i < ZETTLY_FILE_KINDS; ++i) {
        int kind = RenameOrder[i];
        if (!MoveFileExA(f.saving[kind], f.current[kind],
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            // A file held open by another program. Without a whole backup
            // to put back, the commit file and the new files still beside
            // stay: with those already renamed they are this save's whole
            // set, which the next start puts in place or loads, never a mix
            // of two saves.
            KeepFailure(w);
            files->currentSetKnownGood = false;
            if (!backedUp)
                return -1;
            // Put back the files already replaced, so that the set that was
            // in place stays the one the next start loads without asking.
            DeleteFileA(f.committing);
            bool restored = true;
            for (int k = 0; k < i; ++k)
                restored = RestoreFromPrior(w, RenameOrder[k]) && restored;
            CommitRecord holds;
            if (restored && DescribeCurrentSet(f, &holds) && WriteSaveMarker(w, &holds) == 0)
                files->currentSetKnownGood = true;
            return -1;
        }
        FileStep(w);
    }
    int marker = WriteSaveMarker(w, commit);
    // Without a marker the commit file stays: the next start writes it.
    if (marker == 0 && DeleteFileA(f.committing))
        FileStep(w);
    files->currentSetKnownGood = marker == 0;
    return marker;
}

// Another copy of the program on this folder saved since this run last read
// or wrote the files in place: they are not this run's to replace.
static bool AnotherCopySavedOver(NotesFiles *files)
{
    CommitRecord now;
    if (!files->knowsSetInPlace || !DescribeCurrentSet(files->names, &now))
        return false;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (now.files[kind].size != files->setInPlace.files[kind].size ||
            now.files[kind].checksum != files->setInPlace.files[kind].checksum)
            return true;
    return false;
}

// The earlier set kept aside goes first, and the record file comes last: a
// stop half-way leaves no record file there, so no mix of two saves is ever
// offered.
static int PutSavedFilesAside(NotesFileWork *w)
{
    const ZettlyFileSet &f = w->files->names;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (!DeleteFileA(f.aside[kind]) && !IsMissing(GetLastError()))
            return KeepFailure(w);
    for (int kind : RenameOrder) {
        if (!MoveFileExA(f.saving[kind], f.aside[kind],
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return KeepFailure(w);
        FileStep(w);
    }
    w->files->lastSaveWentAside = true;
    return 0;
}

static void Show(void (*call)(void *context), void *context)
{
    NotesPhaseMark mark(PHASE_PROGRESS);
    if (call)
        call(context);
}

static int SaveAllNotes(NotesFileWork *w, const SaveShowing *showing)
{
    const ZettlyFileSet &f = w->files->names;
    const char *blocked = FolderInTheWay(f);
    if (blocked) {
        std::snprintf(w->files->folderInTheWay, sizeof w->files->folderInTheWay, "%s", blocked);
        SetLastError(ERROR_DIRECTORY);
        return KeepFailure(w);
    }
    // A commit file left by an earlier save speaks for files that are not
    // these: a start must never take this save's files on its word.
    if (FileExists(f.committing) && !DeleteFileA(f.committing))
        return KeepFailure(w);
    DeleteSavingFiles(f);
    int usedSlots[ZETTLY_LAST_NOTE_SLOT + 1];
    int storedIndexOfSlot[ZETTLY_SLOTS];
    int used = 0;
    for (int slot = 0; slot < ZETTLY_SLOTS; ++slot)
        storedIndexOfSlot[slot] = -1;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window) {
            storedIndexOfSlot[slot] = used;
            usedSlots[used++] = slot;
        }

    SaveImages images = {};
    images.records.reserve(4 + 12 * ZETTLY_MAX_SCHEMES + (size_t)(used + 1) * ZETTLY_RECORD_BYTES);
    images.texts.reserve((size_t)used * 4096);
    AppendRecordFileHead(&images.records, ZettlySchemes.entries, ZettlySchemes.count,
                         &ZettlyTable[ZETTLY_DEFAULT_SLOT]);
    if (NotesFileWriteFault())
        SetLastError(NotesFileWriteFault());
    else
        images.checkLists = std::fopen(f.saving[CHECK_LIST_FILE], "wb");
    int result = images.checkLists ? 0 : KeepFailure(w);
    if (images.checkLists)
        FileStep(w);

    if (showing->started) {
        NotesPhaseMark mark(PHASE_PROGRESS);
        showing->started(showing->context, used);
    }
    for (int i = 0; i < used && result == 0; ++i) {
        result = SaveOneNote(w, usedSlots[i], storedIndexOfSlot, &images);
        if (showing->noteSaved) {
            NotesPhaseMark mark(PHASE_PROGRESS);
            showing->noteSaved(showing->context, i + 1, used);
        }
    }
    std::free(images.rtf.block);
    if (CloseCheckListFile(w, images.checkLists) != 0)
        result = -1;
    Show(showing->notesTaken, showing->context);

    if (result == 0)
        result = WriteWholeFile(w, f.saving[TEXT_FILE], images.texts.data(), images.texts.size());
    if (result == 0)
        result = WriteWholeFile(w, f.saving[RECORD_FILE], images.records.data(),
                                images.records.size());
    CommitRecord commit = {};
    if (result == 0) {
        ByteBuffer lists;
        result = ReadWholeNotesFile(f.saving[CHECK_LIST_FILE], &lists) == 0 ? 0 : KeepFailure(w);
        commit.files[RECORD_FILE] = DescribeBytes(images.records);
        commit.files[TEXT_FILE] = DescribeBytes(images.texts);
        commit.files[CHECK_LIST_FILE] = DescribeBytes(lists);
    }
    NotesFiles *files = w->files;
    files->lastSaveWentAside = false;
    if (result == 0 && AnotherCopySavedOver(files)) {
        result = PutSavedFilesAside(w);
    } else if (result == 0) {
        result = PutSavedFilesInPlace(w, &commit);
        files->setInPlace = commit;
        files->knowsSetInPlace =
            result == 0 || DescribeCurrentSet(files->names, &files->setInPlace);
    }
    // New files named by a commit file that stays are kept for the next start.
    if (!FileExists(f.committing))
        DeleteSavingFiles(f);
    if (showing->ended)
        showing->ended(showing->context);
    return result;
}

// While it waits, the GUI thread answers the messages that a save running on
// the auto-save thread sends to the note windows; posted messages wait.
static bool WaitForSaveMutex(HANDLE mutex, DWORD limitMs)
{
    DWORD now = WaitForSingleObject(mutex, 0);
    if (now == WAIT_OBJECT_0 || now == WAIT_ABANDONED_0)
        return true;
    ReachNotesFileStep(SAVE_STEP_WAITING);
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed >= limitMs ? 0 : limitMs - elapsed;
        DWORD got = MsgWaitForMultipleObjects(1, &mutex, FALSE, left, QS_SENDMESSAGE);
        // An abandoned mutex is ours: the save that died left only its own new files.
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED_0)
            return true;
        if (got != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

int SaveNotesFiles(NotesFiles *files, DWORD mutexWaitMs, const SaveShowing *showing)
{
    // The same thread entering a save again (through a message it handles in
    // the middle of one) would find the mutex its own: it is turned away instead.
    if (files->savingThread == GetCurrentThreadId())
        return -1;
    files->lastSaveError = 0;
    if (PrepareNotesFiles(files) != 0) {
        files->lastSaveError = GetLastError();
        return -1;
    }
    if (!WaitForSaveMutex(files->saveMutex, mutexWaitMs)) {
        files->lastSaveError = ERROR_TIMEOUT;
        return -1;
    }
    files->savingThread = GetCurrentThreadId();
    NotesFileWork work = {files, 0, 0};
    int result = SaveAllNotes(&work, showing);
    files->lastSaveError = result == 0 ? 0 : work.error;
    files->savingThread = 0;
    ReleaseMutex(files->saveMutex);
    return result;
}

const char *DescribeSaveFailure(DWORD error, char *out, size_t outSize)
{
    const char *cause = nullptr;
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        cause = "the disk is full";
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        cause = "access to the data folder is denied";
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        cause = "a zettly file is in use by another program";
        break;
    case ERROR_TIMEOUT:
        cause = "another save did not finish in time";
        break;
    case 0:
        cause = "a zettly could not be read for saving";
        break;
    case ERROR_DIRECTORY:
        cause = "a folder in the data folder has the name of a zettly file";
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        cause = "the data folder's path is too long for the zettly files";
        break;
    }
    if (outSize == 0)
        return out;
    if (cause)
        std::snprintf(out, outSize, "%s", cause);
    else
        std::snprintf(out, outSize, "Windows reported error %lu", (unsigned long)error);
    return out;
}

const char *DescribeLastSaveFailure(const NotesFiles *files, char *out, size_t outSize)
{
    if (files->lastSaveError == ERROR_DIRECTORY && files->folderInTheWay[0] && outSize) {
        std::snprintf(out, outSize, "\"%s\" in the data folder is a folder, not a zettly file",
                      files->folderInTheWay);
        return out;
    }
    return DescribeSaveFailure(files->lastSaveError, out, outSize);
}

int RecordUnsavedSession(NotesFiles *files, DWORD error)
{
    if (PrepareNotesFiles(files) != 0)
        return -1;
    char text[SESSION_NOTE_BYTES + 1];
    if (FormatSessionNote(true, (uint32_t)error, text, sizeof text) < 0)
        return -1;
    NotesFileWork work = {files, 0, 0};
    // The room taken at start-up first: where nothing new can be written,
    // that is the only place left.
    const char *path = files->names.sessionNote;
    if (RewriteInPlace(&work, path, text, SESSION_NOTE_BYTES) == 0)
        return 0;
    return WriteWholeFile(&work, path, text, SESSION_NOTE_BYTES);
}

// ---------------------------------------------------------------- loading

static bool AnyNotesFileExists(const ZettlyFileSet &f)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(f.current[kind]) || FileExists(f.prior[kind]))
            return true;
    return false;
}

static bool SetExists(char const (*names)[ZETTLY_PATH_CHARS])
{
    return CanOpenForReading(names[RECORD_FILE]) && CanOpenForReading(names[TEXT_FILE]);
}

// The backups are copied, not moved, into place: they stay the last good
// copy until a later save is known to be complete. The files they replace are
// kept under free "_damaged" names.
// False when a file could not be put in place (a folder closed to new
// files): the load then reads the set where it lies.
static bool RollBackTo(NotesFileWork *w, char const (*names)[ZETTLY_PATH_CHARS],
                       bool currentKeptAside)
{
    if (!currentKeptAside)
        SetCurrentFilesAside(w, true);
    bool inPlace = true, copied = false;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        if (!FileExists(names[kind]))
            continue;
        if (CopyWhole(w, names[kind], w->files->names.current[kind]) == 0) {
            copied = true;
        } else {
            w->files->keepPriorSet = true;
            inPlace = false;
        }
    }
    // A marker that stays speaks for the set in place now, not the one it
    // was written with.
    CommitRecord holds;
    if ((copied || !currentKeptAside) && FileExists(w->files->names.marker) &&
        (!DescribeCurrentSet(w->files->names, &holds) || WriteSaveMarker(w, &holds) != 0))
        DeleteFileA(w->files->names.marker);
    return inPlace;
}

static void LetSetGo(char const (*names)[ZETTLY_PATH_CHARS])
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        DeleteFileA(names[kind]);
}

static void LetHeldSetGo(const ZettlyFileSet &f)
{
    LetSetGo(f.held);
}

// The last good set goes aside under its own names when a load finds damage,
// unless one is held already: that one is older and whole.
static void HoldLastGoodSet(NotesFileWork *w)
{
    const ZettlyFileSet &f = w->files->names;
    if (SetExists(f.held) || !SetExists(f.prior))
        return;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(f.prior[kind]) && CopyWhole(w, f.prior[kind], f.held[kind]) != 0) {
            LetHeldSetGo(f);
            return;
        }
}

// The set a roll-back takes: the held one, or where none could be made
// (the folder takes no new files) the backups it would have been made of.
static char const (*LastGoodSet(const ZettlyFileSet &f))[ZETTLY_PATH_CHARS]
{
    return SetExists(f.held) ? f.held : SetExists(f.prior) ? f.prior : nullptr;
}

// Yes: roll back to the held set; Cancel: let it go; No: keep it for later.
// With Yes, *readFrom is the set a load reads when it could not be put in
// place, else null.
static bool AnswerHeldSet(NotesFileWork *w, int answer, bool currentKeptAside,
                          char const (**readFrom)[ZETTLY_PATH_CHARS] = nullptr)
{
    const ZettlyFileSet &f = w->files->names;
    if (answer == IDYES) {
        char const (*source)[ZETTLY_PATH_CHARS] = LastGoodSet(f);
        if (!source)
            return false;
        bool inPlace = RollBackTo(w, source, currentKeptAside);
        if (readFrom)
            *readFrom = inPlace ? nullptr : source;
        if (inPlace && source == f.held)
            LetHeldSetGo(f);
        return true;
    }
    if (answer == IDCANCEL)
        LetHeldSetGo(f);
    return false;
}

// A save that was stopped while it renamed its new files into place. Its
// commit file names the size and checksum of each new file: only files that
// match are put in place, so a commit file that outlived its own save never
// lets another save's half-written files in. Returns true when the matching
// files could not all be renamed into place (one is held open elsewhere): the
// load then reads them where they are.
static bool FinishInterruptedSave(NotesFileWork *w)
{
    const ZettlyFileSet &f = w->files->names;
    if (!FileExists(f.committing))
        return false;
    ByteBuffer bytes;
    CommitRecord commit;
    if (ReadWholeNotesFile(f.committing, &bytes) != 0 ||
        ParseCommitRecord(bytes.data(), bytes.size(), &commit) != 0) {
        // The commit file is written whole and flushed before the first file
        // is moved: one that is empty or cut off means the save stopped before
        // its renames, and the set in place is the one it left untouched.
        DeleteSavingFiles(f);
        DeleteFileA(f.committing);
        return false;
    }
    bool match = true;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS && match; ++kind) {
        // Gone: renamed into place before the stop.
        const char *file = FileExists(f.saving[kind]) ? f.saving[kind] : f.current[kind];
        match = FileHolds(file, commit.files[kind]);
    }
    if (!match) {
        DeleteSavingFiles(f);
        DeleteFileA(f.committing);
        ZtMessageBox(nullptr, COMMIT_REFUSED, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
        return false;
    }
    bool done = true;
    for (int kind : RenameOrder)
        if (FileExists(f.saving[kind]))
            done = MoveFileExA(f.saving[kind], f.current[kind],
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) &&
                   done;
    // The marker left from before the stop describes the files just replaced:
    // it is written again for the set now in place, before the commit file
    // goes, so that a stop in between only repeats this.
    if (done && WriteSaveMarker(w, &commit) == 0)
        DeleteFileA(f.committing);
    if (done)
        return false;
    ZtMessageBox(nullptr, COMMIT_UNFINISHED, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
    return true;
}

// A short file's bytes; false when it is missing, a folder or longer than limit.
static bool ReadShortFile(const char *path, size_t limit, ByteBuffer *bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA about;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &about) &&
           !(about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && about.nFileSizeHigh == 0 &&
           about.nFileSizeLow <= limit && ReadWholeNotesFile(path, bytes) == 0;
}

static void TellLostSession(bool causeKnown, uint32_t error)
{
    char cause[160] = "the reason was not recorded";
    if (causeKnown)
        DescribeSaveFailure(error, cause, sizeof cause);
    char text[512];
    std::snprintf(text, sizeof text, UNSAVED_SESSION, cause);
    ZtMessageBox(nullptr, text, UNSAVED_SESSION_CAPTION, MB_ICONEXCLAMATION);
}

// Said once: the note goes, or its room is cleared, when it has been told.
// Its bytes come from a file anyone can write: only a whole note names a
// cause. Afterwards the room is taken for this session's note.
static void TellUnsavedSession(NotesFileWork *w)
{
    const ZettlyFileSet &f = w->files->names;
    ByteBuffer bytes;
    uint32_t error = 0;
    if (FileExists(f.unsaved) && !IsFolder(f.unsaved)) {
        bool known = ReadShortFile(f.unsaved, 63, &bytes) &&
                     ParseUnsavedNote(bytes.data(), bytes.size(), &error) == 0;
        DeleteFileA(f.unsaved);
        TellLostSession(known, error);
    }
    char open[SESSION_NOTE_BYTES + 1];
    WIN32_FILE_ATTRIBUTE_DATA about;
    bool present = GetFileAttributesExA(f.sessionNote, GetFileExInfoStandard, &about) != 0;
    if (FormatSessionNote(false, 0, open, sizeof open) < 0 ||
        (present && (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)))
        return;
    bool lost = false;
    bool whole = present && ReadShortFile(f.sessionNote, SESSION_NOTE_BYTES, &bytes) &&
                 ParseSessionNote(bytes.data(), bytes.size(), &lost, &error) == 0;
    if (whole && !lost)
        return;
    // An empty room is a start stopped while it took it; anything else that
    // is not a whole note still says that a session was lost.
    bool tell = lost || (present && (about.nFileSizeLow != 0 || about.nFileSizeHigh != 0));
    if ((whole ? RewriteInPlace(w, f.sessionNote, open, SESSION_NOTE_BYTES)
               : WriteWholeFile(w, f.sessionNote, open, SESSION_NOTE_BYTES)) != 0 &&
        tell)
        DeleteFileA(f.sessionNote);
    if (tell)
        TellLostSession(whole, error);
}

// Returns whether the marker of a completed save was found.
static bool CheckLastSave(NotesFileWork *w)
{
    const ZettlyFileSet &f = w->files->names;
    if (SetExists(f.held) &&
        AnswerHeldSet(w,
                      ZtMessageBox(nullptr, ROLL_BACK_HELD, ROLL_BACK_CAPTION,
                                   MB_YESNOCANCEL | MB_ICONHAND),
                      false))
        return false;
    if (SetExists(f.aside)) {
        int answer = ZtMessageBox(nullptr, ASIDE_CHOICES, ROLL_BACK_CAPTION,
                                  MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        if (answer == IDYES)
            RollBackTo(w, f.aside, false);
        if (answer == IDYES || answer == IDCANCEL)
            LetSetGo(f.aside);
    }
    if (CanOpenForReading(f.marker))
        return true;
    if (SetExists(f.prior)) {
        if (ZtMessageBox(nullptr, ROLL_BACK_QUESTION, ROLL_BACK_CAPTION,
                         MB_YESNO | MB_ICONHAND) == IDYES)
            RollBackTo(w, f.prior, false);
    } else if (AnyNotesFileExists(f)) {
        // The very first start has no files at all and nothing to warn about.
        ZtMessageBox(nullptr, ROLL_BACK_IMPOSSIBLE, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
    }
    return false;
}

static void StreamTextIn(HWND edit, const uint8_t *text, size_t length, DWORD *error)
{
    NotesPhaseMark mark(PHASE_STREAM_IN);
    *error = StreamRichTextIn(edit, (const char *)text, length) == 0 ? 0 : 1;
}

static void SetPlainText(HWND edit, const uint8_t *text, size_t length)
{
    StreamPlainTextIn(edit, (const char *)text, length);
}

struct LoadState {
    NotesFileWork *work;
    const NotePlacing *placing;
    std::vector<NoteText> texts; // the rich form, split into the notes' texts
    size_t nextText;
    ByteReader plainTexts; // the older plain form, read as it goes
    bool plainForm;
    ByteReader checkLists;
    bool haveCheckLists;
    LoadDamage damage;
};

// Takes the note's text from the file whether or not its window exists, so
// that every later note still gets its own text.
static void LoadNoteText(LoadState *s, ZettlyRecord *z)
{
    HWND edit = z ? z->editWindow : nullptr;
    if (s->plainForm) {
        if (!BytesLeft(&s->plainTexts)) {
            ++s->damage.missingTexts;
            return;
        }
        const uint8_t *text;
        size_t length;
        if (TakePlainNoteText(&s->plainTexts, &text, &length) != NOTE_TEXT_WHOLE)
            ++s->damage.damagedTexts;
        if (edit && text)
            SetPlainText(edit, text, length);
        if (z) {
            z->textLength = (int32_t)length;
            z->pendingText = nullptr;
        }
        return;
    }
    if (s->nextText >= s->texts.size()) {
        ++s->damage.missingTexts;
        return;
    }
    const NoteText &text = s->texts[s->nextText++];
    if (text.unplaced) {
        ++s->damage.unplacedTexts;
        return;
    }
    if (text.missing) {
        ++s->damage.lostTexts;
        return;
    }
    bool damaged = text.damaged;
    if (edit && !text.rtf.empty()) {
        DWORD error = 0;
        if (text.startLost) {
            // The rest of a text whose header is gone: under a header of its
            // own it shows its words as it can.
            static const char Header[] = "{\\rtf1\\ansi ";
            ByteBuffer whole(Header, Header + sizeof Header - 1);
            whole.insert(whole.end(), text.rtf.begin(), text.rtf.end());
            StreamTextIn(edit, whole.data(), whole.size(), &error);
        } else {
            StreamTextIn(edit, text.rtf.data(), text.rtf.size(), &error);
        }
        if (error != 0) {
            // Unreadable as RTF: the note keeps the bytes as its text.
            SetPlainText(edit, text.rtf.data(), text.rtf.size());
            damaged = true;
        } else if (!damaged && s->placing->holdText) {
            s->placing->holdText(s->placing->context, edit, text.rtf.data(), text.rtf.size());
        }
    }
    if (damaged)
        ++s->damage.damagedTexts;
}

static void LoadCheckList(LoadState *s, int slot, bool hasCheckList, bool created)
{
    if (!hasCheckList)
        return;
    if (!s->haveCheckLists) {
        // The list's items are gone with their file: the held last good set
        // still has them, so this is damage, not an empty list.
        ++s->damage.missingCheckLists;
        return;
    }
    size_t start = s->checkLists.position;
    std::vector<CheckListItem> items;
    if (TakeCheckList(&s->checkLists, &items) != NOTE_TEXT_WHOLE)
        ++s->damage.cutCheckLists;
    if (!created)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    HWND list = LiveCheckList(z);
    if (list) {
        // Exactly this note's bytes of the image already read: a list that
        // reads badly cannot reach into the next one.
        if (s->placing->readCheckList)
            s->placing->readCheckList(s->placing->context, list, s->checkLists.data + start,
                                      s->checkLists.position - start);
        return;
    }
    HeldCheckList &held = s->work->files->held[slot];
    held.owner = z->window;
    held.items.clear();
    for (const CheckListItem &item : items)
        AppendCheckListItem(&held.items, item.checked, (const char *)item.text, item.length);
}

// Returns the user's answer: IDYES asks for the roll-back to the held set.
static int TellDamage(const LoadDamage *damage, bool canRollBack)
{
    char text[1200];
    if (DescribeLoadDamage(damage, canRollBack, text, sizeof text) <= 0)
        return IDOK;
    return ZtMessageBox(nullptr, text, ROLL_BACK_CAPTION,
                        canRollBack ? MB_YESNOCANCEL | MB_ICONHAND : MB_ICONEXCLAMATION);
}

static int LoadRecords(const ByteBuffer &recordBytes, LoadState *s)
{
    ByteReader records = {recordBytes.data(), recordBytes.size(), 0};
    RecordFileHead head;
    if (ReadRecordFileHead(&records, &head) != 0) {
        s->damage.shortHead = true;
        return 0;
    }
    ZettlySchemes.count = head.schemeCount;
    std::memcpy(ZettlySchemes.entries, head.schemes, sizeof ZettlySchemes.entries);
    SanitiseZettlyRecord(&head.defaults, ZETTLY_SANITISE_KEEP_GROUP);
    head.defaults.title[0] = 0;
    ZettlyTable[ZETTLY_DEFAULT_SLOT] = head.defaults;

    const NotePlacing *placing = s->placing;
    int count = 0;
    ZettlyRecord record;
    while (ReadNextRecord(&records, &record) == 0) {
        bool hasCheckList = record.checkListWindow != nullptr;
        if (count > ZETTLY_LAST_NOTE_SLOT) {
            ++s->damage.recordsBeyondTable;
            LoadNoteText(s, nullptr);
            LoadCheckList(s, ZETTLY_LAST_NOTE_SLOT, hasCheckList, false);
            continue;
        }
        SanitiseZettlyRecord(&record, ZETTLY_SANITISE_KEEP_GROUP);
        record.consoleRunning = 0;
        record.pendingText = nullptr;
        record.textLength = 0;
        ZettlyTable[count] = record;
        bool created;
        {
            NotesPhaseMark mark(PHASE_WINDOWS);
            // Hidden until its text is in: the control lays the text out once
            // and nothing is painted twice.
            created = placing->createNote && placing->createNote(placing->context, count) == 0;
        }
        if (!created)
            ++s->damage.notesNotCreated;
        LoadNoteText(s, created ? &ZettlyTable[count] : nullptr);
        LoadCheckList(s, count, hasCheckList, created);
        if (placing->noteLoaded)
            placing->noteLoaded(placing->context, count);
        ++count;
    }
    if (placing->allLoaded)
        placing->allLoaded(placing->context);
    if (BytesLeft(&records))
        s->damage.partialRecord = true;
    while (s->plainForm && BytesLeft(&s->plainTexts)) {
        const uint8_t *text;
        size_t length;
        TakePlainNoteText(&s->plainTexts, &text, &length);
        ++s->damage.extraTexts;
    }
    if (s->nextText < s->texts.size())
        s->damage.extraTexts += (int)(s->texts.size() - s->nextText);
    return count;
}

static void DestroyLoadedNotes(NotesFiles *files)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && IsWindow(ZettlyTable[slot].window))
            DestroyWindow(ZettlyTable[slot].window);
    std::memset(ZettlyTable, 0, sizeof(ZettlyRecord) * (ZETTLY_LAST_NOTE_SLOT + 1));
    for (HeldCheckList &held : files->held) {
        held.owner = nullptr;
        held.items.clear();
    }
}

// What the marker says the set holds; false for a marker without it.
static bool ReadMarkerRecord(const ZettlyFileSet &f, CommitRecord *holds)
{
    WIN32_FILE_ATTRIBUTE_DATA about;
    ByteBuffer bytes;
    return GetFileAttributesExA(f.marker, GetFileExInfoStandard, &about) &&
           about.nFileSizeHigh == 0 && about.nFileSizeLow <= 1024 &&
           ReadWholeNotesFile(f.marker, &bytes) == 0 &&
           ParseSaveMarkerRecord(bytes.data(), bytes.size(), holds) == 0;
}

// The file a load reads: while an interrupted save cannot be put in place,
// its new file where one is left beside the current one.
// Or the set a roll-back could not put in place, where it lies.
static const char *LoadPath(const ZettlyFileSet &f, int kind, bool fromCommit,
                            char const (*rolledFrom)[ZETTLY_PATH_CHARS])
{
    if (rolledFrom)
        return rolledFrom[kind];
    return fromCommit && FileExists(f.saving[kind]) ? f.saving[kind] : f.current[kind];
}

static int LoadFileSet(NotesFileWork *w, const NotePlacing *placing, bool marked,
                       bool fromCommit, LoadDamage *damage,
                       char const (*rolledFrom)[ZETTLY_PATH_CHARS] = nullptr)
{
    const ZettlyFileSet &f = w->files->names;
    ByteBuffer recordBytes, textBytes, checkBytes;
    LoadState s = {};
    s.work = w;
    s.placing = placing;
    int gotRecords, gotTexts, gotCheckLists;
    {
        NotesPhaseMark mark(PHASE_READING);
        gotRecords = ReadWholeNotesFile(LoadPath(f, RECORD_FILE, fromCommit, rolledFrom), &recordBytes);
        gotTexts = ReadWholeNotesFile(LoadPath(f, TEXT_FILE, fromCommit, rolledFrom), &textBytes);
        gotCheckLists = ReadWholeNotesFile(LoadPath(f, CHECK_LIST_FILE, fromCommit, rolledFrom), &checkBytes);
        // Nothing saved yet; with the marker of a completed save, both files lost.
        if (gotRecords == -1 && gotTexts == -1 && !marked)
            return 0;
        s.plainTexts = ByteReader{textBytes.data(), textBytes.size(), 0};
        s.plainForm = LooksLikePlainNoteText(&s.plainTexts);
        if (!s.plainForm) {
            std::vector<TextStamp> stamps;
            long stored = ReadTextStamps(recordBytes.data(), recordBytes.size(), &stamps);
            s.damage.garbagePieces = SplitRichNoteTexts(textBytes.data(), textBytes.size(),
                                                     &s.texts, stored, stamps.data());
        }
    }
    s.checkLists = ByteReader{checkBytes.data(), checkBytes.size(), 0};
    s.haveCheckLists = gotCheckLists == 0;
    CommitRecord holds;
    if (marked && ReadMarkerRecord(f, &holds)) {
        const ByteBuffer *read[ZETTLY_FILE_KINDS] = {&recordBytes, &textBytes, &checkBytes};
        for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
            CommitFile found = DescribeBytes(*read[kind]);
            if (found.size != holds.files[kind].size ||
                found.checksum != holds.files[kind].checksum)
                s.damage.changedFiles |= 1u << kind;
        }
    }
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (IsFolder(LoadPath(f, kind, fromCommit, rolledFrom)))
            s.damage.folderFiles |= 1u << kind;
    if (gotTexts != 0)
        s.damage.missingTextFile = true;
    int count = 0;
    if (gotRecords != 0)
        s.damage.missingRecordFile = true;
    else
        count = LoadRecords(recordBytes, &s);
    *damage = s.damage;
    return count;
}

int LoadNotesFiles(NotesFiles *files, const NotePlacing *placing)
{
    if (PrepareNotesFiles(files) != 0)
        return 0;
    NotesFileWork work = {files, 0, 0};
    TellUnsavedSession(&work);
    // An unfinished save's set matched what it wrote: no roll-back question,
    // but not a set to make backups from either.
    bool unfinished = FinishInterruptedSave(&work);
    bool marked = !unfinished && CheckLastSave(&work);
    LoadDamage damage = {};
    int count = LoadFileSet(&work, placing, marked, unfinished, &damage);
    bool damaged = HasDamage(&damage);
    if (damaged) {
        files->keepPriorSet = true;
        damage.notKeptAside = !SetCurrentFilesAside(&work, false);
        HoldLastGoodSet(&work);
        int answer = TellDamage(&damage, LastGoodSet(files->names) != nullptr);
        if (answer == IDCANCEL)
            AnswerHeldSet(&work, IDCANCEL, true);
        char const (*readFrom)[ZETTLY_PATH_CHARS] = nullptr;
        if (answer == IDYES && AnswerHeldSet(&work, IDYES, true, &readFrom)) {
            DestroyLoadedNotes(files);
            marked = false;
            count = LoadFileSet(&work, placing, false, false, &damage, readFrom);
            damaged = HasDamage(&damage);
            if (damaged)
                TellDamage(&damage, false);
        }
    }
    if (placing->linkGroups)
        placing->linkGroups(placing->context);
    files->currentSetKnownGood = marked && !damaged;
    files->knowsSetInPlace = DescribeCurrentSet(files->names, &files->setInPlace);
    return count;
}

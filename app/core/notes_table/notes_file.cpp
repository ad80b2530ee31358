#include "notes_file.h"

#include <mmsystem.h>
#include <richedit.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "core/main_window/alarms.h"
#include "core/note_window/group_window.h"
#include "core/main_window/main_window.h"
#include "notes_file_ids.h"
#include "notes_phase_times.h"
#include "rich_text_stream.h"
#include "save_progress.h"
#include "core/main_window/startup.h"
#include "core/main_window/tray_icon.h"
#include "core/note_editor/note_edit.h"
#include "core/note_editor/note_text_cache.h"
#include "sound_seam.h"
#include "ui_seams.h"
#include "zettly_slots.h"

HANDLE SaveMutex;
ZettlyFileSet ZettlyFiles;

static bool FilesPrepared;
// The current files are a whole set this run loaded or wrote itself: only such
// a set may become the backups. Anything else (an incomplete save, a damaged
// load, a roll-back) leaves the backups as the last good copy.
static bool CurrentSetKnownGood;
// A load found damage: the backups are not replaced for the rest of the run.
static bool KeepPriorSet;
static NotesFileStepHook StepHook;
static int StepCount;

// Check-list items read for a note whose list window does not exist: written
// back unchanged by the saves, so that no item is lost.
struct HeldCheckList {
    HWND owner;
    ByteBuffer items;
};
static HeldCheckList HeldCheckLists[ZETTLY_LAST_NOTE_SLOT + 1];

enum : DWORD { PROGRESS_STEP_MS = 150 };
static const DWORD MaxReadBytes = 0x40000000;

NotesFileStepHook SetNotesFileStepHook(NotesFileStepHook hook)
{
    NotesFileStepHook previous = StepHook;
    StepHook = hook;
    return previous;
}

static void FileStep(void)
{
    ++StepCount;
    if (StepHook)
        StepHook(StepCount);
}

int PrepareZettlyFileSet(void)
{
    if (FilesPrepared)
        return 0;
    char folder[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return -1;
    if (BuildZettlyFileSet(folder, &ZettlyFiles) != 0)
        return -1;
    char name[64];
    if (MakeSaveMutexName(folder, name, sizeof name) != 0)
        return -1;
    SaveMutex = CreateMutexA(nullptr, FALSE, name);
    if (!SaveMutex)
        return -1;
    FilesPrepared = true;
    return 0;
}

int DataFolderPath(const char *name, char *out, size_t outSize)
{
    if (!name || PrepareZettlyFileSet() != 0)
        return -1;
    return ResolveInFolder(ZettlyFiles.folder, name, out, outSize);
}

BOOL PlayDataFolderSound(const char *path, DWORD flags)
{
    char full[MAX_PATH];
    if (!path || !path[0] || DataFolderPath(path, full, sizeof full) != 0)
        return FALSE;
    return ZtPlaySound(full, flags | SND_FILENAME);
}

void CloseZettlyFileSet(void)
{
    if (SaveMutex)
        CloseHandle(SaveMutex);
    SaveMutex = nullptr;
    FilesPrepared = false;
    CurrentSetKnownGood = false;
    KeepPriorSet = false;
    for (HeldCheckList &held : HeldCheckLists) {
        held.owner = nullptr;
        ByteBuffer().swap(held.items);
    }
}

// ---------------------------------------------------------------- files

static bool FileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static bool CanOpenForReading(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

static bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// 0 read; -1 missing; -2 present but unreadable.
static int ReadWholeFile(const char *path, ByteBuffer *out)
{
    out->clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return IsMissing(GetLastError()) ? -1 : -2;
    LARGE_INTEGER size;
    int result = -2;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= MaxReadBytes) {
        out->resize((size_t)size.QuadPart);
        DWORD done = 0;
        result = 0;
        while (done < out->size()) {
            DWORD got = 0;
            if (!ReadFile(file, out->data() + done, (DWORD)out->size() - done, &got, nullptr) ||
                got == 0) {
                result = -2;
                break;
            }
            done += got;
        }
    }
    CloseHandle(file);
    return result;
}

static int WriteWholeFile(const char *path, const void *bytes, size_t size)
{
    NotesPhaseMark mark(PHASE_WRITING);
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    FileStep();
    DWORD written = 0;
    bool ok = size == 0 || (WriteFile(file, bytes, (DWORD)size, &written, nullptr) &&
                            written == (DWORD)size);
    FileStep();
    // On the disk before it is renamed into place: a power cut must not leave
    // a renamed file without its bytes.
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    FileStep();
    if (!ok)
        DeleteFileA(path);
    return ok ? 0 : -1;
}

// A copy is written beside its target and renamed into place once flushed, so
// that a copy stopped half-way never leaves a short file under the target's name.
static int CopyWhole(const char *from, const char *to)
{
    char part[ZETTLY_PATH_CHARS + 8];
    int n = std::snprintf(part, sizeof part, "%s_new", to);
    if (n <= 0 || (size_t)n >= sizeof part)
        return -1;
    ByteBuffer bytes;
    if (ReadWholeFile(from, &bytes) != 0 || WriteWholeFile(part, bytes.data(), bytes.size()) != 0)
        return -1;
    if (!MoveFileExA(part, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(part);
        return -1;
    }
    FileStep();
    return 0;
}

// The first free set of "_damaged" names: an earlier damaged set is never
// written over. kind -1 asks only for the number.
static int FreeDamagedNumber(void)
{
    for (int number = 1; number < 100; ++number) {
        bool taken = false;
        for (int kind = 0; kind < ZETTLY_FILE_KINDS && !taken; ++kind) {
            char name[ZETTLY_PATH_CHARS + 4];
            std::snprintf(name, sizeof name, number == 1 ? "%s" : "%s%d",
                          ZettlyFiles.damaged[kind], number);
            taken = FileExists(name);
        }
        if (!taken)
            return number;
    }
    return 99;
}

static void DamagedName(int kind, int number, char *out, size_t outSize)
{
    std::snprintf(out, outSize, number == 1 ? "%s" : "%s%d", ZettlyFiles.damaged[kind], number);
}

// Copies the current files aside under free "_damaged" names; move: rename
// them instead (they are about to be replaced).
static void SetCurrentFilesAside(bool move)
{
    int number = FreeDamagedNumber();
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        if (!FileExists(ZettlyFiles.current[kind]))
            continue;
        char name[ZETTLY_PATH_CHARS + 4];
        DamagedName(kind, number, name, sizeof name);
        if (move)
            MoveFileExA(ZettlyFiles.current[kind], name, MOVEFILE_REPLACE_EXISTING);
        else
            CopyWhole(ZettlyFiles.current[kind], name);
    }
}

static void DeleteSavingFiles(void)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        DeleteFileA(ZettlyFiles.saving[kind]);
}

static int WriteSaveMarker(void)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    struct tm t = {};
    t.tm_year = now.wYear - 1900;
    t.tm_mon = now.wMonth - 1;
    t.tm_mday = now.wDay;
    t.tm_wday = now.wDayOfWeek;
    t.tm_hour = now.wHour;
    t.tm_min = now.wMinute;
    t.tm_sec = now.wSecond;
    char text[128];
    int length = FormatSaveMarker(&t, text, sizeof text);
    if (length < 0)
        return -1;
    return WriteWholeFile(ZettlyFiles.marker, text, (size_t)length);
}

// ---------------------------------------------------------------- saving

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
// kept when nothing can have changed it since; a bare control streams out.
static int TakeNoteContent(HWND edit, MemoryWriter *rtf)
{
    LRESULT taken = 0;
    if (!AskNoteWindow(edit, TakeNoteTextMessage(), 0, (LPARAM)rtf, &taken))
        return -1;
    if (taken != 0)
        return taken == 1 ? 0 : -1;
    EDITSTREAM stream = {(DWORD_PTR)rtf, 0, StreamOutToMemory};
    if (!AskNoteWindow(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&stream) || stream.dwError != 0)
        return -1;
    return 0;
}

static HWND LiveCheckList(const ZettlyRecord *z)
{
    HWND list = z->checkListWindow;
    return list && IsWindow(list) && GetWindow(list, GW_OWNER) == z->window ? list : nullptr;
}

static int WriteCheckList(int slot, const ZettlyRecord *z, FILE *out)
{
    HWND list = LiveCheckList(z);
    if (list) {
        if (!AskNoteWindow(list, WM_USER, 1, (LPARAM)out))
            return -1;
    } else {
        const HeldCheckList &held = HeldCheckLists[slot];
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
static int SaveOneNote(int slot, const int *storedIndexOfSlot, SaveImages *images)
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
        if (TakeNoteContent(z->editWindow, rtf) != 0)
            return -1;
    }
    ZettlyRecord record = *z;
    if (record.window != window)
        return -1;
    record.groupSlot = StoredGroupSlot(&record, storedIndexOfSlot);
    AppendRecord(&images->records, &record);
    AppendNoteText(&images->texts, (const uint8_t *)rtf->block, rtf->used);
    if (record.checkListWindow && images->checkLists)
        return WriteCheckList(slot, &record, images->checkLists);
    return 0;
}

static int CloseCheckListFile(FILE *file)
{
    if (!file)
        return 0;
    bool ok = std::fflush(file) == 0 && !std::ferror(file) && _commit(_fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    FileStep();
    return ok ? 0 : -1;
}

static CommitFile DescribeBytes(const ByteBuffer &bytes)
{
    return CommitFile{(uint32_t)bytes.size(), ChecksumBytes(0, bytes.data(), bytes.size())};
}

static bool FileHolds(const char *path, const CommitFile &expected)
{
    ByteBuffer bytes;
    if (ReadWholeFile(path, &bytes) != 0)
        return false;
    CommitFile found = DescribeBytes(bytes);
    return found.size == expected.size && found.checksum == expected.checksum;
}

// The record file last: it decides how many notes a load reads.
static const int RenameOrder[ZETTLY_FILE_KINDS] = {CHECK_LIST_FILE, TEXT_FILE, RECORD_FILE};

static bool RestoreFromPrior(int kind)
{
    const ZettlyFileSet &f = ZettlyFiles;
    if (FileExists(f.prior[kind]))
        return CopyWhole(f.prior[kind], f.current[kind]) == 0;
    return DeleteFileA(f.current[kind]) || IsMissing(GetLastError());
}

// The new files are complete beside the current ones. The backups take the
// current files only when those are known good. The commit file then says
// that the new files are whole: from there on a start that finds it finishes
// the renaming, so neither a crash nor the roll-back question can leave a set
// of mixed files in place. The marker goes, the new files are renamed into
// place and the marker comes back.
static int PutSavedFilesInPlace(const CommitRecord *commit)
{
    const ZettlyFileSet &f = ZettlyFiles;
    bool marked = FileExists(f.marker);
    bool backedUp = false;
    if (marked && CurrentSetKnownGood && !KeepPriorSet) {
        for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
            bool ok = FileExists(f.current[kind]) ? CopyWhole(f.current[kind], f.prior[kind]) == 0
                                                  : (DeleteFileA(f.prior[kind]) ||
                                                     IsMissing(GetLastError()));
            if (!ok)
                return -1;
        }
        backedUp = true;
    }
    char described[128];
    int length = FormatCommitRecord(commit, described, sizeof described);
    if (length < 0 || WriteWholeFile(f.committing, described, (size_t)length) != 0)
        return -1;
    if (marked) {
        if (!DeleteFileA(f.marker)) {
            DeleteFileA(f.committing);
            return -1;
        }
        FileStep();
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
            CurrentSetKnownGood = false;
            if (!backedUp)
                return -1;
            // Put back the files already replaced, so that the set that was
            // in place stays the one the next start loads without asking.
            DeleteFileA(f.committing);
            bool restored = true;
            for (int k = 0; k < i; ++k)
                restored = RestoreFromPrior(RenameOrder[k]) && restored;
            if (restored && WriteSaveMarker() == 0)
                CurrentSetKnownGood = true;
            return -1;
        }
        FileStep();
    }
    int marker = WriteSaveMarker();
    // Without a marker the commit file stays: the next start writes it.
    if (marker == 0 && DeleteFileA(f.committing))
        FileStep();
    CurrentSetKnownGood = marker == 0;
    return marker;
}

static int SaveAllNotes(HWND owner)
{
    StepCount = 0;
    // A commit file left by an earlier save speaks for files that are not
    // these: a start must never take this save's files on its word.
    if (FileExists(ZettlyFiles.committing) && !DeleteFileA(ZettlyFiles.committing))
        return -1;
    DeleteSavingFiles();
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
    AppendRecordFileHead(&images.records, ZettlySchemes, ZettlySchemeCount,
                         &ZettlyTable[ZETTLY_DEFAULT_SLOT]);
    images.checkLists = std::fopen(ZettlyFiles.saving[CHECK_LIST_FILE], "wb");
    int result = images.checkLists ? 0 : -1;
    if (images.checkLists)
        FileStep();

    HWND progress;
    {
        NotesPhaseMark mark(PHASE_PROGRESS);
        progress = owner ? nullptr : CreateSaveProgress(MainWindow);
        SetZettlyTrayIcon(IDI_SAVE_0, TRAY_TIP_SAVING);
    }
    int shownIcon = IDI_SAVE_0;
    DWORD shownAt = GetTickCount();
    for (int i = 0; i < used && result == 0; ++i) {
        result = SaveOneNote(usedSlots[i], storedIndexOfSlot, &images);
        NotesPhaseMark mark(PHASE_PROGRESS);
        int icon = SaveProgressIcon(i + 1, used);
        if (icon != shownIcon) {
            SetZettlyTrayIcon(icon, TRAY_TIP_SAVING);
            shownIcon = icon;
        }
        // A step painted per note costs more than the note's content: the
        // dialog moves a few times a second and shows the last step.
        DWORD now = GetTickCount();
        if (progress && (i + 1 == used || now - shownAt >= PROGRESS_STEP_MS)) {
            ShowSaveProgress(progress, i + 1, used);
            shownAt = now;
        }
    }
    std::free(images.rtf.block);
    if (CloseCheckListFile(images.checkLists) != 0)
        result = -1;
    if (progress) {
        NotesPhaseMark mark(PHASE_PROGRESS);
        DestroyWindow(progress);
    }

    if (result == 0)
        result = WriteWholeFile(ZettlyFiles.saving[TEXT_FILE], images.texts.data(),
                                images.texts.size());
    if (result == 0)
        result = WriteWholeFile(ZettlyFiles.saving[RECORD_FILE], images.records.data(),
                                images.records.size());
    CommitRecord commit = {};
    if (result == 0) {
        ByteBuffer lists;
        result = ReadWholeFile(ZettlyFiles.saving[CHECK_LIST_FILE], &lists) == 0 ? 0 : -1;
        commit.files[RECORD_FILE] = DescribeBytes(images.records);
        commit.files[TEXT_FILE] = DescribeBytes(images.texts);
        commit.files[CHECK_LIST_FILE] = DescribeBytes(lists);
    }
    if (result == 0)
        result = PutSavedFilesInPlace(&commit);
    // New files named by a commit file that stays are kept for the next start.
    if (!FileExists(ZettlyFiles.committing))
        DeleteSavingFiles();
    SetZettlyTrayIcon(IDI_ZETTLIES, TRAY_TIP_SAVED);
    return result;
}

// The same thread entering a save again (through a message it handles in the
// middle of one) would find the mutex its own: it is turned away instead.
static thread_local bool SavingOnThisThread;

// While it waits, the GUI thread answers the messages that a save running on
// the auto-save thread sends to the note windows; posted messages wait.
static bool WaitForSaveMutex(DWORD limitMs)
{
    DWORD now = WaitForSingleObject(SaveMutex, 0);
    if (now == WAIT_OBJECT_0 || now == WAIT_ABANDONED_0)
        return true;
    if (StepHook)
        StepHook(SAVE_STEP_WAITING);
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed >= limitMs ? 0 : limitMs - elapsed;
        DWORD got = MsgWaitForMultipleObjects(1, &SaveMutex, FALSE, left, QS_SENDMESSAGE);
        // An abandoned mutex is ours: the save that died left only its own new files.
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED_0)
            return true;
        if (got != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

int SaveZettliesWithin(HWND owner, DWORD mutexWaitMs)
{
    if (SavingOnThisThread)
        return -1;
    if (PrepareZettlyFileSet() != 0)
        return -1;
    if (!WaitForSaveMutex(mutexWaitMs))
        return -1;
    SavingOnThisThread = true;
    int result = SaveAllNotes(owner);
    SavingOnThisThread = false;
    ReleaseMutex(SaveMutex);
    return result;
}

int SaveZettlies(HWND owner)
{
    return SaveZettliesWithin(owner, SAVE_MUTEX_WAIT_MS);
}

// ---------------------------------------------------------------- loading

static bool AnyNotesFileExists(void)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(ZettlyFiles.current[kind]) || FileExists(ZettlyFiles.prior[kind]))
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
static void RollBackTo(char const (*names)[ZETTLY_PATH_CHARS], bool currentKeptAside)
{
    if (!currentKeptAside)
        SetCurrentFilesAside(true);
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(names[kind]) && CopyWhole(names[kind], ZettlyFiles.current[kind]) != 0)
            KeepPriorSet = true;
}

static void LetHeldSetGo(void)
{
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        DeleteFileA(ZettlyFiles.held[kind]);
}

// The last good set goes aside under its own names when a load finds damage,
// unless one is held already: that one is older and whole.
static void HoldLastGoodSet(void)
{
    const ZettlyFileSet &f = ZettlyFiles;
    if (SetExists(f.held) || !SetExists(f.prior))
        return;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(f.prior[kind]) && CopyWhole(f.prior[kind], f.held[kind]) != 0) {
            LetHeldSetGo();
            return;
        }
}

// Yes: roll back to the held set; Cancel: let it go; No: keep it for later.
static bool AnswerHeldSet(int answer, bool currentKeptAside)
{
    if (answer == IDYES) {
        RollBackTo(ZettlyFiles.held, currentKeptAside);
        LetHeldSetGo();
        return true;
    }
    if (answer == IDCANCEL)
        LetHeldSetGo();
    return false;
}

// A save that was stopped while it renamed its new files into place. Its
// commit file names the size and checksum of each new file: only files that
// match are put in place, so a commit file that outlived its own save never
// lets another save's half-written files in. Returns true when the matching
// files could not all be renamed into place (one is held open elsewhere): the
// load then reads them where they are.
static bool FinishInterruptedSave(void)
{
    const ZettlyFileSet &f = ZettlyFiles;
    if (!FileExists(f.committing))
        return false;
    ByteBuffer bytes;
    CommitRecord commit;
    bool match = ReadWholeFile(f.committing, &bytes) == 0 &&
                 ParseCommitRecord(bytes.data(), bytes.size(), &commit) == 0;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS && match; ++kind) {
        // Gone: renamed into place before the stop.
        const char *file = FileExists(f.saving[kind]) ? f.saving[kind] : f.current[kind];
        match = FileHolds(file, commit.files[kind]);
    }
    if (!match) {
        DeleteSavingFiles();
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
    if (done && (FileExists(f.marker) || WriteSaveMarker() == 0))
        DeleteFileA(f.committing);
    if (done)
        return false;
    ZtMessageBox(nullptr, COMMIT_UNFINISHED, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
    return true;
}

// Returns whether the marker of a completed save was found.
static bool CheckLastSave(void)
{
    if (SetExists(ZettlyFiles.held) &&
        AnswerHeldSet(ZtMessageBox(nullptr, ROLL_BACK_HELD, ROLL_BACK_CAPTION,
                                   MB_YESNOCANCEL | MB_ICONHAND),
                      false))
        return false;
    if (CanOpenForReading(ZettlyFiles.marker))
        return true;
    if (SetExists(ZettlyFiles.prior)) {
        if (ZtMessageBox(nullptr, ROLL_BACK_QUESTION, ROLL_BACK_CAPTION,
                         MB_YESNO | MB_ICONHAND) == IDYES)
            RollBackTo(ZettlyFiles.prior, false);
    } else if (AnyNotesFileExists()) {
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
    bool damaged = text.damaged;
    if (edit && !text.rtf.empty()) {
        DWORD error = 0;
        StreamTextIn(edit, text.rtf.data(), text.rtf.size(), &error);
        if (error != 0) {
            // Unreadable as RTF: the note keeps the bytes as its text.
            SetPlainText(edit, text.rtf.data(), text.rtf.size());
            damaged = true;
        } else if (!damaged) {
            HoldLoadedNoteText(edit, text.rtf.data(), text.rtf.size());
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
        ReadCheckListItems(list, s->checkLists.data + start, s->checkLists.position - start);
        return;
    }
    HeldCheckList &held = HeldCheckLists[slot];
    held.owner = z->window;
    held.items.clear();
    for (const CheckListItem &item : items)
        AppendCheckListItem(&held.items, item.checked, (const char *)item.text, item.length);
}

static bool RelinkGroupMembers(void)
{
    bool relinked = false;
    HINSTANCE instance = ZettliesInstance ? ZettliesInstance : GetModuleHandleA(nullptr);
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        ZettlyRecord *z = &ZettlyTable[slot];
        if (!z->window || !z->isMember)
            continue;
        int group = z->groupSlot;
        if (group >= 0 && group <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[group].isGroup &&
            AttachToGroup(group, slot) == 0) {
            int x = z->windowRect.left, y = z->windowRect.top;
            int width = z->windowRect.right - z->windowRect.left;
            int height = z->windowRect.bottom - z->windowRect.top;
            PlaceInGroup(slot, &x, &y, TRUE);
            MoveWindow(z->window, x, y, width, height, FALSE);
            ShowWindow(z->window, z->showCommand);
        } else {
            DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RELINK_GROUP), GetDesktopWindow(),
                            RelinkDlgProc, (LPARAM)slot);
            relinked = true;
        }
    }
    return relinked;
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

// A loaded note is shown as soon as its text is in, without taking the
// activation: under Wine, showing 254 notes made hidden costs nearly twice as
// much as showing each as it is made, and activating each in turn repaints
// every frame twice. The note that showing them all in order would have left
// active is activated at the end.
static bool ShowingActivates(int command)
{
    return command == SW_SHOWNORMAL || command == SW_SHOWMINIMIZED ||
           command == SW_SHOWMAXIMIZED || command == SW_SHOW || command == SW_RESTORE ||
           command == SW_SHOWDEFAULT;
}

static void ShowLoadedNote(int slot, int *lastActivating)
{
    NotesPhaseMark mark(PHASE_SHOWING);
    ZettlyRecord *z = &ZettlyTable[slot];
    if (!z->window || z->isMember)
        return;
    int command = z->showCommand;
    if (ShowingActivates(command))
        *lastActivating = slot;
    if (command == SW_SHOWNORMAL)
        command = SW_SHOWNOACTIVATE;
    else if (command == SW_SHOW)
        command = SW_SHOWNA;
    else if (command == SW_SHOWMINIMIZED)
        command = SW_SHOWMINNOACTIVE;
    ShowWindow(z->window, command);
}

static void ActivateLastShown(int slot)
{
    NotesPhaseMark mark(PHASE_SHOWING);
    if (slot >= 0 && ZettlyTable[slot].window)
        SetActiveWindow(ZettlyTable[slot].window);
}

static int LoadRecords(const ByteBuffer &recordBytes, LoadState *s)
{
    ByteReader records = {recordBytes.data(), recordBytes.size(), 0};
    RecordFileHead head;
    if (ReadRecordFileHead(&records, &head) != 0) {
        s->damage.shortHead = true;
        return 0;
    }
    ZettlySchemeCount = head.schemeCount;
    std::memcpy(ZettlySchemes, head.schemes, sizeof ZettlySchemes);
    SanitiseZettlyRecord(&head.defaults, ZETTLY_SANITISE_KEEP_GROUP);
    head.defaults.title[0] = 0;
    ZettlyTable[ZETTLY_DEFAULT_SLOT] = head.defaults;

    int count = 0, lastActivating = -1;
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
            created = CreateZettlyWindow(MainWindow, count, FALSE, FALSE) == 0;
        }
        if (!created)
            ++s->damage.notesNotCreated;
        LoadNoteText(s, created ? &ZettlyTable[count] : nullptr);
        LoadCheckList(s, count, hasCheckList, created);
        ShowLoadedNote(count, &lastActivating);
        ++count;
    }
    ActivateLastShown(lastActivating);
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

static void DestroyLoadedNotes(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && IsWindow(ZettlyTable[slot].window))
            DestroyWindow(ZettlyTable[slot].window);
    std::memset(ZettlyTable, 0, sizeof(ZettlyRecord) * (ZETTLY_LAST_NOTE_SLOT + 1));
    for (HeldCheckList &held : HeldCheckLists) {
        held.owner = nullptr;
        held.items.clear();
    }
}

// The file a load reads: while an interrupted save cannot be put in place,
// its new file where one is left beside the current one.
static const char *LoadPath(int kind, bool fromCommit)
{
    const ZettlyFileSet &f = ZettlyFiles;
    return fromCommit && FileExists(f.saving[kind]) ? f.saving[kind] : f.current[kind];
}

static int LoadFileSet(bool marked, bool fromCommit, LoadDamage *damage)
{
    ByteBuffer recordBytes, textBytes, checkBytes;
    LoadState s = {};
    int gotRecords, gotTexts, gotCheckLists;
    {
        NotesPhaseMark mark(PHASE_READING);
        gotRecords = ReadWholeFile(LoadPath(RECORD_FILE, fromCommit), &recordBytes);
        gotTexts = ReadWholeFile(LoadPath(TEXT_FILE, fromCommit), &textBytes);
        gotCheckLists = ReadWholeFile(LoadPath(CHECK_LIST_FILE, fromCommit), &checkBytes);
        // Nothing saved yet; with the marker of a completed save, both files lost.
        if (gotRecords == -1 && gotTexts == -1 && !marked)
            return 0;
        s.plainTexts = ByteReader{textBytes.data(), textBytes.size(), 0};
        s.plainForm = LooksLikePlainNoteText(&s.plainTexts);
        if (!s.plainForm)
            s.damage.extraTexts =
                SplitRichNoteTexts(textBytes.data(), textBytes.size(), &s.texts);
    }
    s.checkLists = ByteReader{checkBytes.data(), checkBytes.size(), 0};
    s.haveCheckLists = gotCheckLists == 0;
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

int LoadZettlies(void)
{
    if (PrepareZettlyFileSet() != 0)
        return 0;
    // An unfinished save's set matched what it wrote: no roll-back question,
    // but not a set to make backups from either.
    bool unfinished = FinishInterruptedSave();
    bool marked = !unfinished && CheckLastSave();
    LoadDamage damage = {};
    int count = LoadFileSet(marked, unfinished, &damage);
    bool damaged = HasDamage(&damage);
    if (damaged) {
        KeepPriorSet = true;
        SetCurrentFilesAside(false);
        HoldLastGoodSet();
        int answer = TellDamage(&damage, SetExists(ZettlyFiles.held));
        if (answer == IDCANCEL)
            AnswerHeldSet(IDCANCEL, true);
        if (answer == IDYES && AnswerHeldSet(IDYES, true)) {
            DestroyLoadedNotes();
            marked = false;
            count = LoadFileSet(false, false, &damage);
            damaged = HasDamage(&damage);
            if (damaged)
                TellDamage(&damage, false);
        }
    }
    if (RelinkGroupMembers())
        ZtMessageBox(nullptr, RE_ALIGN_TEXT, RE_ALIGN_CAPTION, MB_ICONASTERISK);
    CurrentSetKnownGood = marked && !damaged;
    CheckMissedAlarms();
    return count;
}

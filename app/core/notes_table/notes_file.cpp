#include "notes_file.h"

#include <richedit.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/main_window/alarms.h"
#include "core/note_window/group_window.h"
#include "core/main_window/main_window.h"
#include "notes_file_ids.h"
#include "rich_text_stream.h"
#include "save_progress.h"
#include "core/main_window/startup.h"
#include "core/main_window/tray_icon.h"
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

enum : DWORD { NOTE_REPLY_WAIT_MS = 10000 };
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
static bool AskNoteWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        SendMessageA(window, message, wParam, lParam);
        return true;
    }
    DWORD_PTR reply;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               NOTE_REPLY_WAIT_MS, &reply) != 0;
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
        EDITSTREAM stream = {(DWORD_PTR)rtf, 0, StreamOutToMemory};
        if (!AskNoteWindow(z->editWindow, EM_STREAMOUT, SF_RTF, (LPARAM)&stream) ||
            stream.dwError != 0)
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

// The record file last: it decides how many notes a load reads.
static const int RenameOrder[ZETTLY_FILE_KINDS] = {CHECK_LIST_FILE, TEXT_FILE, RECORD_FILE};

static bool RestoreFromPrior(int kind)
{
    const ZettlyFileSet &f = ZettlyFiles;
    if (FileExists(f.prior[kind]))
        return CopyFileA(f.prior[kind], f.current[kind], FALSE) != 0;
    return DeleteFileA(f.current[kind]) || IsMissing(GetLastError());
}

// The new files are complete beside the current ones. The backups take the
// current files only when those are known good. The commit file then says
// that the new files are whole: from there on a start that finds it finishes
// the renaming, so neither a crash nor the roll-back question can leave a set
// of mixed files in place. The marker goes, the new files are renamed into
// place and the marker comes back.
static int PutSavedFilesInPlace(void)
{
    const ZettlyFileSet &f = ZettlyFiles;
    bool marked = FileExists(f.marker);
    bool backedUp = false;
    if (marked && CurrentSetKnownGood && !KeepPriorSet) {
        for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
            bool ok = FileExists(f.current[kind]) ? CopyFileA(f.current[kind], f.prior[kind], FALSE)
                                                  : (DeleteFileA(f.prior[kind]) ||
                                                     IsMissing(GetLastError()));
            FileStep();
            if (!ok)
                return -1;
        }
        backedUp = true;
    }
    if (WriteWholeFile(f.committing, "", 0) != 0)
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
            // Put back the files already replaced, so that the set that was
            // in place stays the one the next start loads without asking.
            DeleteFileA(f.committing);
            if (backedUp) {
                bool restored = true;
                for (int k = 0; k < i; ++k)
                    restored = RestoreFromPrior(RenameOrder[k]) && restored;
                if (restored && WriteSaveMarker() == 0)
                    return -1;
            }
            CurrentSetKnownGood = false;
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

    HWND progress = owner ? nullptr : CreateSaveProgress(MainWindow);
    SetZettlyTrayIcon(IDI_SAVE_0, TRAY_TIP_SAVING);
    int shownIcon = IDI_SAVE_0;
    for (int i = 0; i < used && result == 0; ++i) {
        result = SaveOneNote(usedSlots[i], storedIndexOfSlot, &images);
        int icon = SaveProgressIcon(i + 1, used);
        if (icon != shownIcon) {
            SetZettlyTrayIcon(icon, TRAY_TIP_SAVING);
            shownIcon = icon;
        }
        ShowSaveProgress(progress, i + 1, used);
    }
    std::free(images.rtf.block);
    if (CloseCheckListFile(images.checkLists) != 0)
        result = -1;
    if (progress)
        DestroyWindow(progress);

    if (result == 0)
        result = WriteWholeFile(ZettlyFiles.saving[TEXT_FILE], images.texts.data(),
                                images.texts.size());
    if (result == 0)
        result = WriteWholeFile(ZettlyFiles.saving[RECORD_FILE], images.records.data(),
                                images.records.size());
    if (result == 0)
        result = PutSavedFilesInPlace();
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

// The backups are copied, not moved, into place: they stay the last good
// copy until a later save is known to be complete.
static void RollBack(void)
{
    const ZettlyFileSet &f = ZettlyFiles;
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        DeleteFileA(f.damaged[kind]);
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        MoveFileExA(f.current[kind], f.damaged[kind], MOVEFILE_REPLACE_EXISTING);
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        if (FileExists(f.prior[kind]) && !CopyFileA(f.prior[kind], f.current[kind], FALSE))
            KeepPriorSet = true;
}

// A save that was stopped while it renamed its complete new files into place.
static void FinishInterruptedSave(void)
{
    const ZettlyFileSet &f = ZettlyFiles;
    if (!FileExists(f.committing))
        return;
    bool done = true;
    for (int kind : RenameOrder)
        if (FileExists(f.saving[kind]))
            done = MoveFileExA(f.saving[kind], f.current[kind],
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) &&
                   done;
    if (done && (FileExists(f.marker) || WriteSaveMarker() == 0))
        DeleteFileA(f.committing);
}

// Returns whether the marker of a completed save was found.
static bool CheckLastSave(void)
{
    if (CanOpenForReading(ZettlyFiles.marker))
        return true;
    if (CanOpenForReading(ZettlyFiles.prior[RECORD_FILE]) &&
        CanOpenForReading(ZettlyFiles.prior[TEXT_FILE])) {
        if (ZtMessageBox(nullptr, ROLL_BACK_QUESTION, ROLL_BACK_CAPTION,
                         MB_YESNO | MB_ICONHAND) == IDYES)
            RollBack();
    } else if (AnyNotesFileExists()) {
        // The very first start has no files at all and nothing to warn about.
        ZtMessageBox(nullptr, ROLL_BACK_IMPOSSIBLE, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
    }
    return false;
}

static void StreamTextIn(HWND edit, const uint8_t *text, size_t length, DWORD *error)
{
    MemoryReader reader = {(const char *)text, (DWORD)length, 0};
    EDITSTREAM stream = {(DWORD_PTR)&reader, 0, StreamInFromMemory};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, (LPARAM)&stream);
    *error = stream.dwError;
}

static void SetPlainText(HWND edit, const uint8_t *text, size_t length)
{
    char *copy = (char *)std::malloc(length + 1);
    if (!copy)
        return;
    if (length)
        std::memcpy(copy, text, length);
    copy[length] = 0;
    SetWindowTextA(edit, copy);
    std::free(copy);
}

struct LoadState {
    ByteReader texts;
    ByteReader checkLists;
    bool haveCheckLists;
    bool plainForm;
    LoadDamage damage;
};

// Takes the note's text from the file whether or not its window exists, so
// that every later note still gets its own text.
static void LoadNoteText(LoadState *s, ZettlyRecord *z)
{
    HWND edit = z ? z->editWindow : nullptr;
    size_t mark = s->texts.position;
    if (!s->plainForm && LooksLikePlainNoteText(&s->texts))
        s->plainForm = true;
    const uint8_t *text;
    size_t length;
    if (!s->plainForm) {
        if (TakeRichNoteText(&s->texts, &text, &length) != NOTE_TEXT_WHOLE)
            ++s->damage.cutTexts;
        DWORD error = 0;
        if (edit)
            StreamTextIn(edit, text, length, &error);
        if (error == 0)
            return;
        size_t next = s->texts.position;
        s->texts.position = mark;
        if (!LooksLikePlainNoteText(&s->texts)) {
            // Unreadable as RTF and not the plain form either: the note keeps
            // the bytes as its text and the notes after it keep their own.
            s->texts.position = next;
            SetPlainText(edit, text, length);
            ++s->damage.cutTexts;
            return;
        }
        s->plainForm = true;
    }
    if (TakePlainNoteText(&s->texts, &text, &length) != NOTE_TEXT_WHOLE)
        ++s->damage.cutTexts;
    if (edit && text)
        SetPlainText(edit, text, length);
    if (z) {
        z->textLength = (int32_t)length;
        z->pendingText = nullptr;
    }
}

static void LoadCheckList(LoadState *s, int slot, bool hasCheckList, bool created)
{
    if (!hasCheckList || !s->haveCheckLists)
        return;
    size_t start = s->checkLists.position;
    std::vector<CheckListItem> items;
    if (TakeCheckList(&s->checkLists, &items) != NOTE_TEXT_WHOLE)
        ++s->damage.cutCheckLists;
    if (!created)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    HWND list = LiveCheckList(z);
    if (list) {
        FILE *file = std::fopen(ZettlyFiles.current[CHECK_LIST_FILE], "rb");
        if (file && std::fseek(file, (long)start, SEEK_SET) == 0)
            SendMessageA(list, WM_USER, 2, (LPARAM)file);
        if (file)
            std::fclose(file);
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

static void TellDamage(const LoadDamage *damage)
{
    char text[600];
    if (DescribeLoadDamage(damage, text, sizeof text) > 0)
        ZtMessageBox(nullptr, text, ROLL_BACK_CAPTION, MB_ICONEXCLAMATION);
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
        bool created = CreateZettlyWindow(MainWindow, count, FALSE, !record.isMember) == 0;
        if (!created)
            ++s->damage.notesNotCreated;
        LoadNoteText(s, created ? &ZettlyTable[count] : nullptr);
        LoadCheckList(s, count, hasCheckList, created);
        ++count;
    }
    if (BytesLeft(&records))
        s->damage.partialRecord = true;
    while (BytesLeft(&s->texts)) {
        const uint8_t *text;
        size_t length;
        if (s->plainForm)
            TakePlainNoteText(&s->texts, &text, &length);
        else
            TakeRichNoteText(&s->texts, &text, &length);
        ++s->damage.extraTexts;
    }
    return count;
}

int LoadZettlies(void)
{
    if (PrepareZettlyFileSet() != 0)
        return 0;
    FinishInterruptedSave();
    bool marked = CheckLastSave();
    ByteBuffer recordBytes, textBytes, checkBytes;
    int gotRecords = ReadWholeFile(ZettlyFiles.current[RECORD_FILE], &recordBytes);
    int gotTexts = ReadWholeFile(ZettlyFiles.current[TEXT_FILE], &textBytes);
    int gotCheckLists = ReadWholeFile(ZettlyFiles.current[CHECK_LIST_FILE], &checkBytes);
    if (gotRecords == -1 && gotTexts == -1) {
        // Nothing saved yet: the first save may not take the backups' place
        // unless it completes.
        CurrentSetKnownGood = false;
        return 0;
    }

    LoadState s = {};
    s.texts = ByteReader{textBytes.data(), textBytes.size(), 0};
    s.checkLists = ByteReader{checkBytes.data(), checkBytes.size(), 0};
    s.haveCheckLists = gotCheckLists == 0;
    int count = 0;
    if (gotRecords != 0)
        s.damage.shortHead = true;
    else
        count = LoadRecords(recordBytes, &s);
    if (gotTexts != 0 && count > 0)
        s.damage.cutTexts = count;

    if (RelinkGroupMembers())
        ZtMessageBox(nullptr, RE_ALIGN_TEXT, RE_ALIGN_CAPTION, MB_ICONASTERISK);
    bool damaged = HasDamage(&s.damage);
    if (damaged) {
        KeepPriorSet = true;
        TellDamage(&s.damage);
    }
    CurrentSetKnownGood = marked && !damaged;
    CheckMissedAlarms();
    return count;
}

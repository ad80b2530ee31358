#include "zettlies_files.h"

#include <cstdio>

#include "alarms.h"
#include "core/core_ids.h"
#include "core/editing_features.h"
#include "core/note_editor/note_edit.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_window.h"
#include "core/note_window/window_creation.h"
#include "core/notes_table/notes_file_ids.h"
#include "core/notes_table/notes_phase_times.h"
#include "core/notes_table/rich_text_stream.h"
#include "core/notes_table/zettly_slots.h"
#include "save_progress.h"
#include "tray_icon.h"
#include "ui_seams.h"

#include <cstdio>
#include <string>

// One per program: the notes files of the data folder.
static NotesFiles Files;

enum : DWORD { PROGRESS_STEP_MS = 150 };

int PrepareZettlyFileSet(void)
{
    return PrepareNotesFiles(&Files);
}

void CloseZettlyFileSet(void)
{
    CloseNotesFiles(&Files);
}

const ZettlyFileSet &ZettlyFileNames(void)
{
    return Files.names;
}

// ---------------------------------------------------------------- saving

// What one save shows: the tray icon always, the dialog on a direct save.
struct SaveShown {
    bool withDialog;
    HWND progress;
    int shownIcon;
    DWORD shownAt;
};

static void OnSaveStarted(void *context, int usedNotes)
{
    SaveShown *s = (SaveShown *)context;
    s->progress = s->withDialog ? CreateSaveProgress(MainWindow) : nullptr;
    SetZettlyTrayIcon(IDI_SAVE_0, TRAY_TIP_SAVING);
    s->shownIcon = IDI_SAVE_0;
    s->shownAt = GetTickCount();
}

static void OnNoteSaved(void *context, int saved, int usedNotes)
{
    SaveShown *s = (SaveShown *)context;
    int icon = SaveProgressIcon(saved, usedNotes);
    if (icon != s->shownIcon) {
        SetZettlyTrayIcon(icon, TRAY_TIP_SAVING);
        s->shownIcon = icon;
    }
    // A step painted per note costs more than the note's content: the
    // dialog moves a few times a second and shows the last step.
    DWORD now = GetTickCount();
    if (s->progress && (saved == usedNotes || now - s->shownAt >= PROGRESS_STEP_MS)) {
        ShowSaveProgress(s->progress, saved, usedNotes);
        s->shownAt = now;
    }
}

static void OnNotesTaken(void *context)
{
    SaveShown *s = (SaveShown *)context;
    if (s->progress)
        DestroyWindow(s->progress);
    s->progress = nullptr;
}

static void OnSaveEnded(void *context)
{
    SetZettlyTrayIcon(IDI_ZETTLIES, TRAY_TIP_SAVED);
}

// One message for the notes a save stored with less than their content,
// each named once until it is saved whole again; after the save, so that the
// box holds up no other save.
static void TellNotesNotSavedWhole(void)
{
    std::string lines;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        NoteNotSavedWhole &note = Files.notWhole[slot];
        if (!note.window || note.told || note.window != ZettlyTable[slot].window)
            continue;
        note.told = true;
        char line[ZETTLY_TITLE_BYTES + 160];
        const char *title = ZettlyTable[slot].title[0] ? ZettlyTable[slot].title : NOTE_UNTITLED;
        std::snprintf(line, sizeof line, NOTE_NOT_WHOLE_LINE, title, NoteTextLoss(note.taken));
        lines += line;
    }
    if (!lines.empty())
        ZtMessageBox(nullptr, (NOTE_NOT_WHOLE_HEAD + lines + NOTE_NOT_WHOLE_TAIL).c_str(),
                     NOTE_NOT_WHOLE_CAPTION, MB_ICONEXCLAMATION);
}

int SaveZettliesWithin(HWND owner, DWORD mutexWaitMs)
{
    SaveShown shown = {owner == nullptr, nullptr, IDI_SAVE_0, 0};
    SaveShowing showing = {&shown, OnSaveStarted, OnNoteSaved, OnNotesTaken, OnSaveEnded};
    int result = SaveNotesFiles(&Files, mutexWaitMs, &showing);
    if (result == 0)
        TellNotesNotSavedWhole();
    return result;
}

int SaveZettlies(HWND owner)
{
    return SaveZettliesWithin(owner, SAVE_MUTEX_WAIT_MS);
}

const char *LastSaveFailure(char *out, size_t outSize)
{
    return DescribeLastSaveFailure(&Files, out, outSize);
}

int RecordUnsavedSession(void)
{
    return RecordUnsavedSession(&Files, Files.lastSaveError);
}

void TellSavedAside(HWND owner)
{
    if (Files.lastSaveWentAside)
        ZtMessageBox(owner, SAVED_ASIDE, SAVED_ASIDE_CAPTION, MB_ICONEXCLAMATION);
}

void TellSaveFailure(HWND owner)
{
    char cause[160], text[320];
    std::snprintf(text, sizeof text, SAVE_NOW_FAILED, LastSaveFailure(cause, sizeof cause));
    ZtMessageBox(owner, text, SAVE_FAILED_CAPTION, MB_ICONHAND);
}

// ---------------------------------------------------------------- loading

struct LoadPlaced {
    int lastActivating; // the note that showing them all in order would leave active
};

static int OnCreateNote(void *context, int slot)
{
    return CreateZettlyWindow(MainWindow, slot, FALSE, FALSE);
}

static void OnHoldText(void *context, HWND edit, const uint8_t *rtf, size_t size)
{
    HoldLoadedNoteText(edit, rtf, size);
}

static int OnReadCheckList(void *context, HWND list, const uint8_t *bytes, size_t size)
{
    return Editing().readCheckListItems(list, bytes, size);
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

static void OnNoteLoaded(void *context, int slot)
{
    LoadPlaced *placed = (LoadPlaced *)context;
    NotesPhaseMark mark(PHASE_SHOWING);
    ZettlyRecord *z = &ZettlyTable[slot];
    if (!z->window || z->isMember)
        return;
    int command = z->showCommand;
    if (ShowingActivates(command))
        placed->lastActivating = slot;
    if (command == SW_SHOWNORMAL)
        command = SW_SHOWNOACTIVATE;
    else if (command == SW_SHOW)
        command = SW_SHOWNA;
    else if (command == SW_SHOWMINIMIZED)
        command = SW_SHOWMINNOACTIVE;
    ShowWindow(z->window, command);
}

static void OnAllLoaded(void *context)
{
    LoadPlaced *placed = (LoadPlaced *)context;
    NotesPhaseMark mark(PHASE_SHOWING);
    int slot = placed->lastActivating;
    if (slot >= 0 && ZettlyTable[slot].window)
        SetActiveWindow(ZettlyTable[slot].window);
    placed->lastActivating = -1;
}

static bool RelinkGroupMembers(void)
{
    bool relinked = false;
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
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RELINK_GROUP),
                            GetDesktopWindow(), RelinkDlgProc, (LPARAM)slot);
            relinked = true;
        }
    }
    return relinked;
}

static void OnLinkGroups(void *context)
{
    if (RelinkGroupMembers())
        ZtMessageBox(nullptr, RE_ALIGN_TEXT, RE_ALIGN_CAPTION, MB_ICONASTERISK);
}

int LoadZettlies(void)
{
    if (PrepareNotesFiles(&Files) != 0)
        return 0;
    LoadPlaced placed = {-1};
    NotePlacing placing = {&placed,      OnCreateNote, OnHoldText,  OnReadCheckList,
                           OnNoteLoaded, OnAllLoaded,  OnLinkGroups};
    int count = LoadNotesFiles(&Files, &placing);
    CheckMissedAlarms();
    return count;
}

// Saving and loading all notes: the three notes files, their backups, the
// marker of a completed save and the roll-back after an incomplete one. The
// store reads the files into the note table and writes the table out; what
// happens on the screen meanwhile (windows made, texts held, progress shown)
// is done by the windows above it, through the calls they hand in.
#pragma once
#include <windows.h>

#include <atomic>

#include "notes_file_format.h"

// Check-list items read for a note whose list window does not exist: written
// back unchanged by the saves, so that no item is lost.
struct HeldCheckList {
    HWND owner;
    ByteBuffer items;
};

// A note whose content a save could not take whole, and what it stored
// instead (a NoteTextTaken); told to the user once.
struct NoteNotSavedWhole {
    HWND window; // 0 while the note was last saved whole
    int taken;
    bool told;
};

// The notes files of the data folder as this run knows them, from the first
// load or save to the last: one per program, kept with the main window.
struct NotesFiles {
    bool prepared;
    ZettlyFileSet names;
    // Keeps two saves apart, also between copies of the program on one data folder.
    HANDLE saveMutex;
    // The thread whose save holds the mutex, 0 when none: a message it handles
    // in the middle of its save must not start another one.
    std::atomic<DWORD> savingThread;
    // The current files are a whole set this run loaded or wrote itself: only
    // such a set may become the backups. Anything else (an incomplete save, a
    // damaged load, a roll-back) leaves the backups as the last good copy.
    bool currentSetKnownGood;
    // A load found damage: the backups are not replaced for the rest of the run.
    bool keepPriorSet;
    // What the files in place held when this run last read or wrote them:
    // another copy of the program on the same folder may have saved since.
    bool knowsSetInPlace;
    CommitRecord setInPlace;
    // The last save was kept beside the files in place (another copy had
    // saved over them), to be offered at the next start.
    bool lastSaveWentAside;
    // Why the last save failed: the system's error code, 0 when it was no
    // system error (or the save did not fail).
    DWORD lastSaveError;
    // With ERROR_DIRECTORY: the notes file whose name a folder has taken.
    char folderInTheWay[40];
    HeldCheckList held[ZETTLY_LAST_NOTE_SLOT + 1];
    NoteNotSavedWhole notWhole[ZETTLY_LAST_NOTE_SLOT + 1];
};

// Takes the data folder (see data_folder.h) as the home of the notes files
// for the whole run and creates the save mutex; once. 0 / -1.
int PrepareNotesFiles(NotesFiles *files);
// Closes the save mutex and forgets what was known; after the last save.
void CloseNotesFiles(NotesFiles *files);

enum { SAVE_MUTEX_WAIT_MS = 15000 };

// What a save shows while it runs. Every entry is called on the saving thread.
struct SaveShowing {
    void *context;
    void (*started)(void *context, int usedNotes);
    void (*noteSaved)(void *context, int saved, int usedNotes);
    // Every note's content is taken; the files are written next.
    void (*notesTaken)(void *context);
    // The files are written, or the save failed on the way.
    void (*ended)(void *context);
};

// Writes every used slot of the note table. 0 when every note was written
// and the save marked complete; -1 when the mutex was not had within the
// limit, a note's content could not be taken or a file not written.
int SaveNotesFiles(NotesFiles *files, DWORD mutexWaitMs, const SaveShowing *showing);

// The cause of a failed save in a few words, from its system error: "the
// disk is full", "access to the data folder is denied", ... Returns out.
const char *DescribeSaveFailure(DWORD error, char *out, size_t outSize);

// The same for the last save of files, naming what is in the way where known.
const char *DescribeLastSaveFailure(const NotesFiles *files, char *out, size_t outSize);

// A session that ended while its notes could not be saved: a note beside the
// notes files, so that the next start says once why that session's changes
// are lost. 0 / -1.
int RecordUnsavedSession(NotesFiles *files, DWORD error);

// What a load asks of the windows above the store, on the loading thread.
struct NotePlacing {
    void *context;
    // Makes the window of the record just put into slot, hidden until its
    // text is in: 0, or -1 when it could not be made.
    int (*createNote)(void *context, int slot);
    // The rich text went whole into the note's control: the next save takes
    // these bytes while the note stays unchanged.
    void (*holdText)(void *context, HWND edit, const uint8_t *rtf, size_t size);
    // Gives the note's check-list window the items of its list, in the item
    // stream form up to the list's ending 0 byte. 0, or -1 when damaged.
    int (*readCheckList)(void *context, HWND list, const uint8_t *bytes, size_t size);
    // The note's text and check list are in.
    void (*noteLoaded)(void *context, int slot);
    // Every record of the file is in.
    void (*allLoaded)(void *context);
    // The load is over and its damage told: member notes go into their groups.
    void (*linkGroups)(void *context);
};

// Reads the notes files into slots 0, 1, 2, ... of the note table, asking
// about a roll-back and telling about damage where it finds them. Returns the
// number of records read.
int LoadNotesFiles(NotesFiles *files, const NotePlacing *placing);

// Tests step in here after every file operation of a save or load (to stop a
// save at any point), and with SAVE_STEP_WAITING when a save finds the mutex
// taken and starts to wait; the program sets nothing. Each save or load counts
// its own operations from 1. Returns the previous hook.
enum { SAVE_STEP_WAITING = -1 };
typedef void (*NotesFileStepHook)(int step);
NotesFileStepHook SetNotesFileStepHook(NotesFileStepHook hook);
// Tests make every file that a save creates fail with this system error
// (ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ...) while it is not 0.
void SetNotesFileWriteFault(DWORD error);

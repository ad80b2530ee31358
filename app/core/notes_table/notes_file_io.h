// The file operations of the notes files' saves and loads: whole files read,
// written and copied with every failure kept, the damaged copies set aside and
// the marker of a completed save. Used by notes_file.cpp only.
#pragma once
#include <windows.h>

#include "notes_file.h"

// One save or load at work: the files it works on, how many file operations
// it has done and the system error of the first that failed.
struct NotesFileWork {
    NotesFiles *files;
    int steps;
    DWORD error;
};

// Keeps the system error of the first operation that failed, for the message
// that names the cause; call it before anything else can change the error.
// Returns -1.
int KeepFailure(NotesFileWork *w);
// Counts one file operation done and tells the test's step hook, if any.
void FileStep(NotesFileWork *w);
// Tells the test's step hook, if any, that the save reached the step.
void ReachNotesFileStep(int step);
// The system error a test gives every file a save creates, 0 for none.
DWORD NotesFileWriteFault(void);

bool FileExists(const char *path);
bool CanOpenForReading(const char *path);
bool IsMissing(DWORD error);
// 0 read; -1 missing; -2 present but unreadable.
int ReadWholeNotesFile(const char *path, ByteBuffer *out);
int WriteWholeFile(NotesFileWork *w, const char *path, const void *bytes, size_t size);
// Writes over the first bytes of an existing file that holds at least size
// bytes, without growing it or taking new room: what a full disk or a folder
// closed to new files still allows. 0 / -1.
int RewriteInPlace(NotesFileWork *w, const char *path, const void *bytes, size_t size);
// Written beside the target and renamed into place once flushed.
int CopyWhole(NotesFileWork *w, const char *from, const char *to);
// Copies the current files aside under free "_damaged" names; move: renames
// them instead (they are about to be replaced). False when one could not be
// kept aside.
bool SetCurrentFilesAside(NotesFileWork *w, bool move);
void DeleteSavingFiles(const ZettlyFileSet &f);
// The marker's sentence, then what each file of the set holds when holds is given.
int WriteSaveMarker(NotesFileWork *w, const CommitRecord *holds);

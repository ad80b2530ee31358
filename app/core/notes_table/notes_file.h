// Saving and loading all notes: the three notes files, their backups, the
// marker of a completed save and the roll-back after an incomplete one.
#pragma once
#include <windows.h>

#include "notes_file_format.h"

// Keeps two saves apart, also between copies of the program on one data folder.
extern HANDLE SaveMutex;
// The absolute names of the notes files of the data folder.
extern ZettlyFileSet ZettlyFiles;

// Takes the current folder (the data folder, entered at start-up) as the home
// of the notes files for the whole run and creates the save mutex. The first
// load or save calls it; 0 / -1.
int PrepareZettlyFileSet(void);
// A file of the data folder by its full path (a full path stays as it is).
// Everything the program keeps in the data folder is reached this way: the
// process's current folder is shared with every thread and may change. 0 / -1.
int DataFolderPath(const char *name, char *out, size_t outSize);
// Plays a sound file of the settings through the sound seam: a relative path
// names a file of the data folder, wherever the process's current folder is.
BOOL PlayDataFolderSound(const char *path, DWORD flags);
// Closes the save mutex; after the last save.
void CloseZettlyFileSet(void);

enum { SAVE_MUTEX_WAIT_MS = 15000 };

// owner 0: a direct save with the progress dialog (Save Now, quit, session
// end); the auto-save thread passes the main window and shows no dialog.
// 0 when every note was written and the save marked complete, else -1.
int SaveZettlies(HWND owner);
// The same with another limit on the wait for the save mutex.
int SaveZettliesWithin(HWND owner, DWORD mutexWaitMs);

// The auto-save: SaveZettlies on its own thread, parameter the main window.
DWORD WINAPI SaveZettliesThread(LPVOID mainWindow);
// Starts that thread and lets it run; 0 / -1.
int StartSaveThread(HWND mainWindow);

// Loads every note, creating its window. Returns the number of records read.
int LoadZettlies(void);

// Tests step in here after every file operation of a save (to stop a save at
// any point), and with SAVE_STEP_WAITING when a save finds the mutex taken and
// starts to wait; the program sets nothing. Returns the previous hook.
enum { SAVE_STEP_WAITING = -1 };
typedef void (*NotesFileStepHook)(int step);
NotesFileStepHook SetNotesFileStepHook(NotesFileStepHook hook);

// All notes saved and loaded as the program does it: the store's notes files
// together with the windows, the tray icon and the progress dialog. The
// program has one set of notes files, kept here with the main window.
#pragma once
#include <windows.h>

#include "core/notes_table/data_folder.h"
#include "core/notes_table/notes_file.h"

// Takes the current folder (the data folder, entered at start-up) as the home
// of the notes files for the whole run and creates the save mutex. The first
// load or save calls it; 0 / -1.
int PrepareZettlyFileSet(void);
// Closes the save mutex; after the last save.
void CloseZettlyFileSet(void);
// The names of the notes files, once prepared.
const ZettlyFileSet &ZettlyFileNames(void);

// owner 0: a direct save with the progress dialog (Save Now, quit, session
// end); the auto-save thread passes the main window and shows no dialog.
// 0 when every note was written and the save marked complete, else -1.
int SaveZettlies(HWND owner);
// The same with another limit on the wait for the save mutex.
int SaveZettliesWithin(HWND owner, DWORD mutexWaitMs);

// The cause of the last failed save in a few words ("the disk is full").
const char *LastSaveFailure(char *out, size_t outSize);
// The session ends with its notes unsaved: the next start says so once.
int RecordUnsavedSession(void);
// After a save that succeeded: when it was kept beside the files in place
// (another copy had saved over them), says so in a box owned by owner.
void TellSavedAside(HWND owner);
// After a save that failed where the user can only be told: the cause in a box.
void TellSaveFailure(HWND owner);

// The auto-save: SaveZettlies on its own thread, parameter the main window.
DWORD WINAPI SaveZettliesThread(LPVOID mainWindow);
// Starts that thread and lets it run; 0 / -1.
int StartSaveThread(HWND mainWindow);

// Loads every note, creating its window, puts members into their groups and
// checks the alarms missed meanwhile. Returns the number of records read.
int LoadZettlies(void);

// The program's entry, its one message loop and its teardown.
#pragma once
#include <windows.h>

int ZettliesMain(HINSTANCE instance, HINSTANCE previous, const char *commandLine, int show);

// Makes the data folder current: APPDATA itself, else (or when asked) the
// program's folder. Returns the result of SetCurrentDirectory.
BOOL EnterAppDataFolder(BOOL programFolderOnly);

// Runs the GUI thread's loop until WM_QUIT; returns its wParam, or -1 when
// GetMessage fails.
int RunMessageLoop(void);

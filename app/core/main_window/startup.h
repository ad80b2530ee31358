// The program's entry, its one message loop and its teardown.
#pragma once
#include <windows.h>

int ZettliesMain(HINSTANCE instance, HINSTANCE previous, const char *commandLine, int show);

// Makes the data folder current: APPDATA itself, else (or when asked) the
// program's folder. Returns the result of SetCurrentDirectory.
BOOL EnterAppDataFolder(BOOL programFolderOnly);

// Runs the GUI thread's loop until WM_QUIT and returns its wParam. A failed
// GetMessage (Wine's, when a DDE transfer of megabytes cannot be delivered)
// is noted once and the loop goes on. getMessage is GetMessageA except in tests.
typedef BOOL(WINAPI *GetMessageFunction)(MSG *msg, HWND window, UINT first, UINT last);
int RunMessageLoop(GetMessageFunction getMessage = GetMessageA);

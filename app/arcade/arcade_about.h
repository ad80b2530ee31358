// What the rest of the program sees of the emulator's About dialog.
#pragma once
#include <windows.h>

// 1 while the emulation thread runs; written by that thread, read by the message loop.
extern volatile int VuvovirRunning;
// The About dialog while it is open, null otherwise.
extern HWND VuvovirDialogWindow;

// The commands of the tray menus and the keyboard shortcuts, carried out by
// the main window.
#pragma once
#include <windows.h>

// Carries out a WM_COMMAND id; FALSE when the id is none of the main window's.
BOOL RunMainCommand(HWND mainWindow, int command, LRESULT *result);

// A new note (or group) in the first free slot 0..253: the slot, or -1 when
// there is no room (the user is told) or its window could not be made.
int NewZettly(HWND mainWindow, BOOL isGroup);

// Brings the note forward, unrolling it and its group and showing it if hidden.
void JumpToZettly(int slot);

// A code 1..7 of WM_USER 104; FALSE for any other code.
BOOL RunShortcut(HWND mainWindow, int code);

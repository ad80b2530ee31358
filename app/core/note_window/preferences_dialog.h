// The preferences dialog, for one note or group or for the defaults (slot 255).
#pragma once
#include <windows.h>

// Set while a preferences dialog is open anywhere: there is only ever one.
extern int PreferencesDialogOpen;

// Runs the dialog; 1 after O.K, 0 after Cancel, -1 when it could not be shown.
INT_PTR RunPreferencesDialog(HWND owner, int slot);

// Dialog 4002, the choice for a file dropped on a note: ends with the id of
// the button pressed (209 over-write, 210 append, 211 new note, 1010 cancel).
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

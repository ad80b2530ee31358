// The preferences dialog, for one note or group or for the defaults (slot 255).
#pragma once
#include <windows.h>

// Set while a preferences dialog is open anywhere: there is only ever one.
extern int PreferencesDialogOpen;

// Runs the dialog; 1 after O.K, 0 after Cancel, -1 when it could not be shown.
INT_PTR RunPreferencesDialog(HWND owner, int slot);

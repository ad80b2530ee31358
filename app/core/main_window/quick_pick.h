// The quick-pick list that the keyboard shortcuts open over the desktop.
#pragma once
#include <windows.h>

// The note in the list's name strip, -1 for none; it outlives the list.
extern int QuickPickSelectedSlot;

// Creates the list modeless, owned by the main window; null when it cannot.
HWND OpenQuickPickList(HWND owner);

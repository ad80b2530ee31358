// The one floating edit toolbar that follows the focused note.
#pragma once
#include <windows.h>

HWND CreateEditBar(void);
// Attaches the bar to a note and gives it the note's transparency. Returns 1, or 0.
int AttachEditBar(HWND bar, int slot);
// The slot the bar is attached to, or -1.
int EditBarSlot(HWND bar);
// Moves the bar to the note's bottom-left corner and shows it.
void PlaceEditBar(HWND bar, int slot);
// Shows the font size at the caret of the edit control.
void RefreshEditBar(HWND bar, HWND edit);

// The one floating edit toolbar that follows the focused note: formatting
// buttons, font and size boxes, colour drop-downs and a few note commands,
// each only turned into a command for the attached note.
#pragma once
#include <windows.h>

// The bar, or null when it cannot be made.
HWND CreateEditBar(void);
// Attaches the bar to a note and gives it the note's transparency. Returns 1, or 0.
int AttachEditBar(HWND bar, int slot);
// The slot the bar is attached to, or -1.
int EditBarSlot(HWND bar);
// Moves the bar to the note's bottom-left corner and shows it.
void PlaceEditBar(HWND bar, int slot);
// Shows the font size at the caret of the edit control.
void RefreshEditBar(HWND bar, HWND edit);

// The window procedure that replaces the bar class's default one.
LRESULT CALLBACK EditBarWndProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the bar shows its bands (false while collapsed to its strip).
bool EditBarExpanded(HWND bar);

// The font size the bar shows for a height in twips: whole points, rounded.
inline int PointsFromTwips(long twips)
{
    return (int)((twips + 10) / 20);
}

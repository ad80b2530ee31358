// Layered-window alpha for notes and their helper windows, and the help file.
#pragma once
#include <windows.h>

// alpha 0 or more makes the window layered with that alpha (above 255 counts
// as 255); a negative alpha makes it opaque again. Nothing happens where the
// system has no layered windows.
void SetWindowAlpha(HWND window, int alpha);
// The transparency that holds for the note of this slot, applied to the window
// (the note itself, its tooltip or its check list).
void ApplyZettlyAlpha(HWND window, int slot);
// Opens "zettlies.chm" from the help folder of the Windows folder.
void OpenHelpFile(void);

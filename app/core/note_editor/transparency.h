// Layered-window alpha for notes and their helper windows, and the help file.
#pragma once
#include <windows.h>

#include "window_alpha.h"

// The transparency that holds for the note of this slot, applied to the window
// (the note itself, its tooltip or its check list).
void ApplyZettlyAlpha(HWND window, int slot);
// Opens "zettlies.chm" from the help folder of the Windows folder.
void OpenHelpFile(void);

// Layered-window alpha, looked up at run time, and the help file.
#pragma once
#include <windows.h>

// alpha 0..255 (more counts as 255) makes the window layered; negative removes it.
void SetWindowAlpha(HWND window, int alpha);
// The transparency that holds for a note, applied to one of its windows.
void ApplyZettlyAlpha(HWND window, int slot);
void OpenHelpFile(void);

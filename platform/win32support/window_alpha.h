// Layered-window transparency, looked up at run time.
#pragma once
#include <windows.h>

// alpha 0 or more makes the window layered with that alpha (above 255 counts
// as 255); a negative alpha makes it opaque again. Nothing happens where the
// system has no layered windows.
void SetWindowAlpha(HWND window, int alpha);

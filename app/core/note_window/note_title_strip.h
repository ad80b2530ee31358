// Painting of a note's title strip and its icons.
#pragma once
#include <windows.h>

// Paints the strip into dc, or into the window's own context when dc is null.
void PaintTitleStrip(HWND note, int slot, HDC dc);

// Draws the close button in its normal or held form.
void DrawCloseButton(HWND note, int slot, BOOL held);

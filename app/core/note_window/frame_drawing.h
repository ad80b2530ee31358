// Colour helpers shared by the title strips, frames and tray menu entries.
#pragma once
#include <windows.h>

#include "note_frame.h" // NearestColour, FillGradientRect

// The colour with 30 off each channel, not below 0.
COLORREF ShadeColour(COLORREF colour);

// A menu entry that stands for a note or group (the tray lists, the note
// menu's groups): its title in its title font, +4 each way; drawn on the
// shaded background (a gradient to the blink colour with the psychedelic
// setting), colours swapped while selected.
void MeasureTitleEntry(HWND window, int slot, MEASUREITEMSTRUCT *item);
void DrawTitleEntry(HDC dc, RECT r, int slot, bool selected);

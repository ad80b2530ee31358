// Colour helpers shared by the title strips, frames, the editor's colour
// menus, the preferences and the tray menu entries.
#pragma once
#include <windows.h>

// The title strip's colour: 30 off each channel, then the nearest the device shows.
COLORREF NearestColour(HDC dc, COLORREF colour);
void FillGradientRect(HDC dc, COLORREF left, COLORREF right, const RECT *r);

// The colour dialog, fully open, starting at *colour; custom holds its 16
// custom colours and keeps what the user changed there. True with the colour
// chosen in *colour; false, *colour untouched, when the user cancelled.
bool PickColour(HWND owner, COLORREF *colour, COLORREF custom[16]);

// The colour with 30 off each channel, not below 0.
COLORREF ShadeColour(COLORREF colour);
// Fills the rectangle with the colour through a brush of its own.
void FillSolidRect(HDC dc, const RECT *r, COLORREF colour);

// A menu entry that stands for a note or group (the tray lists, the note
// menu's groups): its title in its title font, +4 each way; drawn on the
// shaded background (a gradient to the blink colour with the psychedelic
// setting), colours swapped while selected.
void MeasureTitleEntry(HWND window, int slot, MEASUREITEMSTRUCT *item);
void DrawTitleEntry(HDC dc, RECT r, int slot, bool selected);

// Colour helpers shared by the title strips, frames and tray menu entries.
#pragma once
#include <windows.h>

// The title strip's colour: 30 off each of red, green and blue (not below 0),
// then the nearest colour the device can show.
COLORREF NearestColour(HDC dc, COLORREF colour);
// The colour with 30 off each channel, not below 0.
COLORREF ShadeColour(COLORREF colour);
// A horizontal gradient, one column of one pixel at a time.
void FillGradientRect(HDC dc, COLORREF left, COLORREF right, const RECT *rect);

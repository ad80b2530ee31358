// Colour helpers shared by the title strips, frames and tray menu entries.
#pragma once
#include <windows.h>

#include "note_frame.h" // NearestColour, FillGradientRect

// The colour with 30 off each channel, not below 0.
COLORREF ShadeColour(COLORREF colour);
// Fills the rectangle with the colour through a brush of its own.
void FillSolidRect(HDC dc, const RECT *r, COLORREF colour);

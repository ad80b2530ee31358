// Day and night on the clock's map bitmaps: the shading state of the map
// copy and the spans it brightens or restores through GDI.
#pragma once
#include <windows.h>

#include "sun_shade.h"

// The shading of one clock's map copy.
struct SunShadeGdi {
    SunShadeState state;
    SunShadeState *current; // null until the first initialisation
    HDC destination, source;
};

// Starts afresh for a copy (destination) of the source map, both selected
// into the given DCs; 0, or -1 when the state could not be had.
int InitSunShade(SunShadeGdi *shade, HDC destination, HDC source, int width, int height);
// Shades the copy for the clock's current time; returns the sub-solar column, -1 without state.
int UpdateSunShade(SunShadeGdi *shade);
void FreeSunShade(SunShadeGdi *shade);
// The span's pixels of the copy become the source's plus the source's, saturated;
// per pixel when the blend is not available.
void BrightenMapSpan(HDC destination, HDC source, int row, int x, int width);

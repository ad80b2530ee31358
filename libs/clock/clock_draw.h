// Painting the clock: the whole face over the map, and the second hand alone.
#pragma once
#include <windows.h>

#include "clock_face.h"

// The full redraw into the back buffer (or straight onto the window without a map).
// secondHandEnd keeps where the second hand was drawn, for the next move.
void DrawClockFace(HWND window, HBITMAP backBuffer, const SYSTEMTIME &time, HBITMAP map,
                   double mapShift, int view180, int round, FacePoint *secondHandEnd);
// The map's columns that end at the shift's longitude, row by row into the
// visible part of the face.
void DrawClockMap(HWND window, HDC target, HBITMAP map, int left, int top, int right, int bottom,
                  double mapShift, int view180);
// Moves the inverted second hand without repainting the face; x or y below 1
// in secondHandEnd means none is drawn yet.
void DrawSecondHand(HWND window, const SYSTEMTIME &time, FacePoint *secondHandEnd);

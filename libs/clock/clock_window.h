// The clock window: creation, its window procedure and what tests look at.
#pragma once
#include <windows.h>

#include "clock_info.h"

// Registers the class, creates and shows the clock; its handle, or null.
HWND CreateClockWindow(void);
LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetClockTransparency(HWND window, int alpha);

// A clock window's settings and state, for tests.
const ClockSettings &CurrentClockSettings(HWND window);
bool ClockHasMap(HWND window);
void ClockMapBitmaps(HWND window, HBITMAP *source, HBITMAP *shaded);
bool ClockIsShiftMode(HWND window);
bool ClockIsResizeMode(HWND window);
HWND ClockTooltipWindow(HWND window);
const char *ClockTooltipText(HWND window);

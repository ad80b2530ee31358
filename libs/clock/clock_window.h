// The clock window: creation, its window procedure and what tests look at.
#pragma once
#include <windows.h>

#include "clock_info.h"

// Registers the class, creates and shows the clock; its handle, or null.
HWND CreateClockWindow(void);
LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetClockTransparency(HWND window, int alpha);

// The open clock's settings and state, for tests.
const ClockSettings &CurrentClockSettings(void);
bool ClockHasMap(void);
void ClockMapBitmaps(HBITMAP *source, HBITMAP *shaded);
bool ClockIsShiftMode(void);
bool ClockIsResizeMode(void);
HWND ClockTooltipWindow(void);
const char *ClockTooltipText(void);

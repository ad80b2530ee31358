// "ClockInfo" in the registry and the calendar dialog.
#pragma once
#include <windows.h>

#include "clock_info.h"

// Reads the stored settings over the given ones (what is missing keeps its
// value) and brings the rectangle onto the desktop. 0, or -1 when the key or
// value could not be read.
int LoadClockInfo(ClockSettings *settings);
// Writes the settings; on failure tells the user and returns -1.
int SaveClockInfo(const ClockSettings &settings);

INT_PTR CALLBACK CalendarDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Opens the calendar modally under the clock; returns what the dialog ended with.
INT_PTR ShowCalendar(HWND clock);

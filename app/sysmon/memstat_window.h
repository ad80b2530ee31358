// The load meter: a small captionless window with one bar per memory, disk and
// processor load, refreshed every second, and the graph painter that the
// process tree shares.
#pragma once
#include <windows.h>

#include "core/sysmon_features.h"
#include "memstat_rules.h"

struct PerfCounterContext;

LRESULT CALLBACK MemStatWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Stores the window's rectangle and writes the settings.
int MemStatSaveSettings(HWND window);
// The settings as last read or written (tests look at them).
const MemStatSettings &CurrentMemStatSettings(void);

// Draws every row into the target's client area and gives the tooltip the
// values. reuse takes the processor loads of the last query instead of a new one.
LRESULT MemStatPaintGraph(HWND target, HWND tooltip, int force, int reuse,
                          PerfCounterContext *context);
// A topmost tooltip window owned by the given window, or null.
HWND CreateToolTipWindow(HWND owner);

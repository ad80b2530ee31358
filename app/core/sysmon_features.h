// What the notes core asks of the system monitor (app/sysmon): the tray
// commands open its windows through these calls only, so the monitor may
// build on the core while the core never includes from it.
#pragma once
#include <windows.h>

// memstat_window.cpp: opens the load meter owned by the given window; null
// (after a message) on failure.
HWND MemStatCreateWindow(HWND owner);

// process_tree_dialog.cpp: runs the process-tree dialog modally; returns when
// it closes.
INT_PTR RunProcessTree(HWND owner);

// The companion tools the tray menu opens: media player, clock, background
// changer and load meter (windows the main window keeps) and the process tree
// (a modal dialog).
#pragma once
#include <windows.h>

enum Companion {
    COMPANION_PLAYER,
    COMPANION_CLOCK,
    COMPANION_CHANGER,
    COMPANION_METER,
    COMPANION_COUNT,
};

// Creates the companion's window and returns it, or null.
typedef HWND (*CompanionLauncher)(HWND mainWindow);

struct CompanionEntry {
    HWND window;            // 0 while closed
    int command;            // its tray menu command, toggles it
    const char *resetKey;   // its own settings key, null when it has no reset command
    CompanionLauncher launch;
};

extern CompanionEntry Companions[COMPANION_COUNT];

// Tests put stand-ins in place of the libraries; null restores the real one.
void SetCompanionLauncher(Companion which, CompanionLauncher launcher);

// The companion whose tray command this is, or -1.
int CompanionOfCommand(int command);

// The window if it still exists; a handle whose window is gone is forgotten
// first, so nothing ever destroys a stranger that reused it.
HWND LiveCompanionWindow(Companion which);

// Opens or closes the companion, keeping the tray check mark in step.
void ToggleCompanion(HWND mainWindow, Companion which);
// Closes it if open (the player saves its state first) and forgets it.
void CloseCompanion(Companion which);

// Runs the process-tree dialog; returns when it closes.
INT_PTR RunProcessTreeDialog(HWND owner);

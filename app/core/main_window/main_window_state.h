// What the hidden main window keeps: its user data from WM_NCCREATE to
// WM_NCDESTROY. The main window's own files reach it through MainStateOf.
#pragma once
#include <windows.h>

#include "core/notes_table/alarm_rules.h"

struct MainWindowState {
    int autoSavePeriodInForce;
    BOOL destroying;
    BOOL settingsWritten;       // by WM_CLOSE or the end of the session, once
    BOOL keyboardHookInstalled;
    // The notes' last save is settled: saved at quit or at the end of the
    // session, or given up by the user; the destruction saves no more.
    BOOL notesSettled;
    BOOL sessionSaveTried;      // at WM_QUERYENDSESSION
    BOOL sessionSaved;          // and it worked
    // The quick-pick list while it is open, and the note selected in it,
    // which outlives the list (-1 for none).
    HWND quickPick;
    int quickPickSlot;
    BOOL processTreeOpen;       // one process tree at a time
    BOOL processEndsWithLoop;   // MainWindowStart
    // The minute the alarm checks last looked at, once they have.
    BOOL alarmsChecked;
    AlarmClock lastAlarmCheck;
};

// Null for a null window, or before WM_NCCREATE and after WM_NCDESTROY.
MainWindowState *MainStateOf(HWND mainWindow);

// The tray menu, its "Zettlies Utils" submenu and the two submenus of notes
// ("Hidden Zettlies", "Quick Jump To Zettly") made again at every right click.
#pragma once
#include <windows.h>

// The submenus are reached through it by position: the note submenus are
// replaced at every right click.
extern HMENU TrayMenu;

enum {
    TRAY_POS_HIDDEN = 3,
    TRAY_POS_QUICK_JUMP = 4,
    TRAY_POS_UTILS = 5,
};

// 0, or -1 when the menu resource cannot be loaded.
int BuildTrayMenus(void);
void DestroyTrayMenus(void);
void CheckTrayMenuItem(int command, BOOL checked);

// Lists the notes again in the two note submenus.
void RebuildNoteMenus(void);
// Closes companion windows the user has hidden and forgets vanished ones.
void DropStaleCompanions(void);

// The tray icon's callback, lParam of WM_TRAY_CALLBACK.
void OnTrayCallback(HWND mainWindow, UINT mouseMessage);

// Owner-drawn note entries; FALSE when the item is not one of ours.
BOOL MeasureTrayItem(HWND mainWindow, MEASUREITEMSTRUCT *item);
BOOL DrawTrayItem(const DRAWITEMSTRUCT *item);

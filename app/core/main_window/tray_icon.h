// The program's one icon in the notification area, the main window's.
#pragma once
#include <windows.h>

// Adds the icon (icon 99, tip "Zettly Stuff") for the main window. 0 or -1.
int AddTrayIcon(HWND mainWindow);
// Shows another icon and tip while there is a main window; the save calls it
// as it goes.
void SetZettlyTrayIcon(int iconId, const char *tip);
void DeleteTrayIcon(HWND mainWindow);

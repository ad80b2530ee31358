// Export files: one note per file, written and read in the export format.
#pragma once
#include <windows.h>

// Asks for a file and imports it as a new note; the new slot, or -1. slot is
// the calling note or group, 0 from the tray menu.
int ImportZettlyDialog(int slot);
// group -1: every note; a group slot: that group's members. 0 when cancelled, else 1.
int ExportZettliesToFolder(HWND owner, int group);
// Imports every file of a folder the user picks. 0 when cancelled, else 1.
int ImportZettliesFromFolder(HWND owner);

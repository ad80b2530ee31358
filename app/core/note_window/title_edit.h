// In-place editing of a note's title over its title strip.
#pragma once
#include <windows.h>

// A hidden single-line edit, child of the note; null on failure.
HWND CreateTitleEdit(HWND note, int slot);
LRESULT CALLBACK TitleEditProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Command 20130: shows the edit over the strip with the current title.
LRESULT ShowTitleEdit(HWND note, int slot);

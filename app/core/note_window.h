// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The slot of the note that last had the focus, or -1.
extern int LastFocusedZettly;

// Average character width of the slot's title font; |lfWidth| when it cannot be measured.
int GetFontCharWidth(HWND window, int slot);

// EnumChildWindows callback: stores the first child into *(HWND *)out and stops.
BOOL CALLBACK FirstChildEnumProc(HWND child, LPARAM out);

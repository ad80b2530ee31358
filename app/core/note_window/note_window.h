// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

void RegisterNoteClass(HINSTANCE instance);
void UnregisterNoteClass(HINSTANCE instance);
LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The slot of the note that last had the focus, or -1.
extern int LastFocusedZettly;

// EnumChildWindows callback: stores the first child into *(HWND *)out and stops.
BOOL CALLBACK FirstChildEnumProc(HWND child, LPARAM out);

// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

void RegisterNoteClass(HINSTANCE instance);
void UnregisterNoteClass(HINSTANCE instance);
LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hidden main window, which notes and groups ask for what concerns the
// whole program; set by its creation, null before and after it.
extern HWND MainWindow;

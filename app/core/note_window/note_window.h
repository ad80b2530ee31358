// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

void RegisterNoteClass(HINSTANCE instance);
void UnregisterNoteClass(HINSTANCE instance);
LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The slot of the note that last had the focus, or -1.
extern int LastFocusedZettly;
// The hidden main window, which notes and groups ask for what concerns the
// whole program; set by its creation, null before and after it.
extern HWND MainWindow;
// The class of a note's edit child: "RICHEDIT", set by start-up once its
// library is loaded; tests name a class that does not exist to see a note
// fail to get its control.
extern char RichEditClassName[16];

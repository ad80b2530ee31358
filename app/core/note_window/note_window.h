// The note window: title strip and rich-edit child.
#pragma once
#include <windows.h>

void RegisterNoteClass(HINSTANCE instance);
void UnregisterNoteClass(HINSTANCE instance);
LRESULT CALLBACK ZettlyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the end of the note in the slot does something outside this
// process: it stops the note's console interpreter, or closes the servers of
// the objects embedded in its text. The end of the process does neither.
BOOL NoteEndReachesOutside(int slot);

// The hidden main window, which notes and groups ask for what concerns the
// whole program; set by its creation, null before and after it.
extern HWND MainWindow;

// What a window beside the notes may read of the note table: the windows of
// the notes and groups in use, for the About box to repaint those it had
// covered. No windows.h.
#pragma once

struct HWND__;

// Calls visit with the window of every note and group in use, in slot order.
void ForEachNoteWindow(void (*visit)(HWND__ *window, void *context), void *context);

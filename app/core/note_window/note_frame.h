// Moving notes with latching, and the drawing shared by notes and groups.
#pragma once
#include <windows.h>

#include "core/note_editor/note_colours.h"

// Moves the window so the grip point (anchor, client coordinates) stays under
// the pointer (the mouse message's lParam), latching onto other notes.
void MoveZettlyWindow(HWND window, LPARAM pointer, int anchorX, int anchorY, int slot);

// Paints the non-client frame of a note or group window (WM_NCPAINT).
void PaintZettlyFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int slot);

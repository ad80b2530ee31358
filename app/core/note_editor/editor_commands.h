// Commands of a note's edit control.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// Runs the command; the caller passes the message on to the control
// afterwards either way.
void RunEditorCommand(HWND edit, ZettlyEditState *state, WPARAM wParam, LPARAM lParam);

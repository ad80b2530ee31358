// The calculator that evaluates a note's line or selection.
#pragma once
#include <windows.h>

// Evaluates the caret's line or the selection of the note's editor and
// writes the result on a new line behind it.
void RunEditTextOp(HWND note);

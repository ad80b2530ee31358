// The calculator on a note's text: Enter in calculator mode and "Calc Selection".
#pragma once
#include <windows.h>

#include <string>

// The text the calculator sees: the caret's line when nothing is selected,
// else the selection; followed by one blank. Returns 0, or -1 when the
// selection is too long.
int GatherCalcText(HWND edit, std::string *text);

// Evaluates the caret's line (or the selection) of the note's edit control
// and writes the result, or the error text, on a new line behind it.
// Returns 0, or -1 when nothing could be evaluated.
int RunEditTextOp(HWND note);

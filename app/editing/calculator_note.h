// The calculator on a note's text: Enter in calculator mode and "Calc Selection".
#pragma once
#include <windows.h>

#include "core/editing_features.h"

#include <string>

// The text the calculator sees: the caret's line when nothing is selected,
// else the selection; followed by one blank. Returns 0, or -1 when the
// selection is too long.
int GatherCalcText(HWND edit, std::string *text);

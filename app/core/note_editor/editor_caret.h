// The custom caret of a note's editor.
#pragma once
#include <windows.h>

// Shows the caret style of the settings at the control's caret; reset
// forgets where a line caret last stood. Each note's editor keeps its own
// measurements and line caret in its state.
void UpdateZettlyCaret(HWND edit, BOOL reset);

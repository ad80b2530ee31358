// The custom caret of a note's editor.
#pragma once
#include <windows.h>

void UpdateZettlyCaret(HWND edit, BOOL reset);

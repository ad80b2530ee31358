// The check list that floats beside or docks to a note.
#pragma once
#include <windows.h>

// The check-list dialog for the note, or null.
HWND CreateCheckList(HWND owner, int slot);

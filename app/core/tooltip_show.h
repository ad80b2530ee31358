// The line/column window that hangs below a note.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// A new hidden tooltip window for the note whose editor owns the state
// block, or null when its class is not registered.
HWND ShowZettlyToolTip(ZettlyEditState *state);

// The right-click menu of a note's editor.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// Shows the editor's context menu at the screen point; returns 0.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY);

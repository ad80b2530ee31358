// The right-click menu of a note's editor.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// Shows the editor's context menu at the screen point; returns 0.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY);

// Discards the current menu, loads menu 131 and completes it.
void BuildSyntaxMenu(void);
// Takes the note menu out of the first item, then destroys the menu.
void RemoveSyntaxMenu(void);
// The current menu, or null.
HMENU CurrentSyntaxMenu(void);

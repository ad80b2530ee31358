// The right-click menu of a note's editor.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// Shows the editor's context menu at the screen point; returns 0.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY);

// The editor's context menu (menu 131 completed) while it exists, else null;
// one for the whole process. The OLE container asks for it before a right
// click shows it and discards it when an object is clicked instead.
extern HMENU EditorContextMenu;
void BuildSyntaxMenu(void);
void RemoveSyntaxMenu(void);

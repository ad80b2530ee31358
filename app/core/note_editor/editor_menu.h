// The right-click menu of a note's editor: menu 131 completed with the
// palette swatches, the colour schemes and the syntax languages. One such
// menu exists at a time for the whole process.
#pragma once
#include <windows.h>

struct ZettlyEditState;

// Discards the current menu, loads menu 131 and completes it.
void BuildSyntaxMenu(void);
// Takes the note menu out of the first item, then destroys the menu.
void RemoveSyntaxMenu(void);
// The current menu, or null.
HMENU CurrentSyntaxMenu(void);

// Builds the menu, sets its marks from the selection and tracks it at the
// screen point with the control as owner. Returns 0.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY);

// Owner-drawn swatches, schemes and the syntax-colour item; false for other items.
BOOL MeasureEditorMenuItem(HWND edit, MEASUREITEMSTRUCT *item);
BOOL DrawEditorMenuItem(HWND edit, ZettlyEditState *state, const DRAWITEMSTRUCT *item);

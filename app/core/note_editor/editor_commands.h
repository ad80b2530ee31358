// Commands of a note's edit control: formatting, colours, fonts, paragraph
// layout, block highlighting, indenting, case, trimming and syntax colouring.
#pragma once
#include <windows.h>

#include "editor_ids.h"

struct ZettlyEditState;

// The colour menus' palette, and the custom colours of every colour dialog
// opened from a note, so that a colour defined there shows up in the menus.
extern COLORREF EditorPalette[EDIT_PALETTE_SIZE];

// Runs the command; the caller passes the message on to the control
// afterwards either way.
void RunEditorCommand(HWND edit, ZettlyEditState *state, WPARAM wParam, LPARAM lParam);

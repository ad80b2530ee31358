// The note menu and the note commands that the title strip and the edit
// control hand to the note window.
#pragma once
#include <windows.h>

// The one menu shared by all note windows.
void BuildNoteMenu(void);
void DestroyNoteMenu(void);

// WM_CONTEXTMENU: with wParam 0 returns the menu without showing it.
LRESULT NoteContextMenu(HWND note, int slot, WPARAM wParam, LPARAM lParam);

// Runs a note command other than those of the title strip; false when the
// command is not one of the note's (the caller passes it on).
BOOL RunNoteCommand(HWND note, int slot, WPARAM wParam, LPARAM lParam, LRESULT *result);

// Owner-drawn group items of the note menu; false when the item is not one.
BOOL NoteMenuMeasureItem(HWND note, MEASUREITEMSTRUCT *item);
BOOL NoteMenuDrawItem(HWND note, const DRAWITEMSTRUCT *item);

// Files dropped on the note (drop 0 with lParam 1: the import command).
void OnZettlyDropFiles(HWND note, int slot, HDROP drop, LPARAM lParam);

// The note menu and the note commands that the menu, the note keys, the
// title strip and the main window send to a note window.
#pragma once
#include <windows.h>

// The one menu shared by all note windows: each note window takes it when
// made and releases it when destroyed; the first builds it, the last
// destroys it.
void TakeNoteMenu(void);
void ReleaseNoteMenu(void);

// WM_CONTEXTMENU: brings the marks and the group list up to date; with
// wParam 0 returns the menu without showing it, else shows it at the
// screen point in lParam.
LRESULT NoteContextMenu(HWND note, int slot, WPARAM wParam, LPARAM lParam);

// Runs a note command; false when the id is not a note command (the caller
// passes it on).
BOOL RunNoteCommand(HWND note, int slot, WPARAM wParam, LPARAM lParam, LRESULT *result);

// Owner-drawn group items of the note menu; false when the item is not one.
BOOL NoteMenuMeasureItem(HWND note, MEASUREITEMSTRUCT *item);
BOOL NoteMenuDrawItem(HWND note, const DRAWITEMSTRUCT *item);

// Files dropped on the note (drop 0 with lParam 1: the import command).
void OnZettlyDropFiles(HWND note, int slot, HDROP drop, LPARAM lParam);
// The index-th file of a drop as a string of its own (free it), or null
// when there is no memory for it.
char *DroppedFilePath(HDROP drop, UINT index);

// A new note from this one (its look, size and group); the new slot, or -1.
int NewZettlyFromNote(int slot);

// Makes the note's window again with the record's present options; its rich
// text and check list go over to the new window, and a colour that changed
// from the old ones is given to all of the text. On failure the old window
// stays as it was. 0 or -1.
int RecreateZettlyWindow(int slot, COLORREF oldBack, COLORREF oldText);

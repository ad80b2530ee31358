#include "note_commands.h"

// Least form: an empty shared menu and no commands, until the note
// commands are built.
static HMENU NoteMenu;

void BuildNoteMenu(void)
{
    if (!NoteMenu)
        NoteMenu = CreatePopupMenu();
}

void DestroyNoteMenu(void)
{
    if (NoteMenu)
        DestroyMenu(NoteMenu);
    NoteMenu = nullptr;
}

LRESULT NoteContextMenu(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    if (wParam == 0)
        return (LRESULT)NoteMenu;
    return 0;
}

BOOL RunNoteCommand(HWND note, int slot, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    return FALSE;
}

BOOL NoteMenuMeasureItem(HWND note, MEASUREITEMSTRUCT *item)
{
    return FALSE;
}

BOOL NoteMenuDrawItem(HWND note, const DRAWITEMSTRUCT *item)
{
    return FALSE;
}

void OnZettlyDropFiles(HWND note, int slot, HDROP drop, LPARAM lParam)
{
    if (drop)
        DragFinish(drop);
}

#include "group_window.h"

#include "core/core_ids.h"
#include "core/notes_table/zettly_slots.h"

void RegisterGroupClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = GroupWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = ZETTLY_GROUP_CLASS;
    RegisterClassA(&wc);
}

void UnregisterGroupClass(HINSTANCE instance)
{
    UnregisterClassA(ZETTLY_GROUP_CLASS, instance);
}

void LayoutGroupScrollBars(int groupSlot)
{
    (void)groupSlot;
}

int AttachToGroup(int groupSlot, int noteSlot)
{
    if (groupSlot < 0 || groupSlot > ZETTLY_LAST_NOTE_SLOT || noteSlot < 0 ||
        noteSlot > ZETTLY_LAST_NOTE_SLOT)
        return -1;
    ZettlyRecord *note = &ZettlyTable[noteSlot];
    HWND group = ZettlyTable[groupSlot].window;
    if (!group || !note->window)
        return -1;
    if (note->editWindow)
        SendMessageA(note->editWindow, WM_USER, 1, 0);
    // A top-level note has no parent, so a null result alone is no failure.
    SetLastError(0);
    if (!SetParent(note->window, group) && GetLastError() != 0)
        return -1;
    note->isGroup = 0;
    note->isMember = 1;
    note->groupSlot = groupSlot;
    LayoutGroupScrollBars(groupSlot);
    return 0;
}

INT_PTR CALLBACK RelinkDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

LRESULT CALLBACK GroupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        const CREATESTRUCTA *cs = (const CREATESTRUCTA *)lParam;
        int slot = (int)((UINT_PTR)cs->lpCreateParams & 0xFFFF);
        if (slot <= ZETTLY_LAST_NOTE_SLOT)
            ZettlyTable[slot].window = window;
        break;
    }
    case WM_DESTROY:
        ReleaseZettlySlot(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Least form until groups let their members go.
void DetachFromGroup(int groupSlot, int noteSlot)
{
}

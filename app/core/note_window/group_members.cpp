#include "group_members.h"

#include <windowsx.h>

#include "core/core_ids.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "dialog_ids.h"
#include "core/note_editor/note_colours.h"
#include "group_geometry.h"
#include "note_frame.h"
#include "ui_seams.h"
#include "window_creation.h"

static HCURSOR GroupCursor(int id)
{
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    return cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
}

static int GroupUnderCursor(int slot)
{
    POINT at;
    GetCursorPos(&at);
    for (int group = 0; group <= ZETTLY_LAST_NOTE_SLOT; ++group) {
        const ZettlyRecord &g = ZettlyTable[group];
        if (group == slot || !g.window || !g.isGroup || !IsWindowVisible(g.window))
            continue;
        RECT r;
        if (!GetWindowRect(g.window, &r))
            continue;
        if (at.x >= r.left && at.x <= r.right && at.y >= r.top && at.y <= r.bottom)
            return group;
    }
    return -1;
}

int DragIntoGroup(int slot, long mousePosition, int pressX, int pressY)
{
    (void)pressX;
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window)
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    if (z->isGroup)
        return -1;
    if (!z->isMember) {
        int group = GroupUnderCursor(slot);
        SetCursor(group >= 0 ? GroupCursor(IDC_GROUP_CURSOR_ENTER) : LoadCursor(nullptr, IDC_ARROW));
        return group;
    }
    int group = z->groupSlot;
    if (group < 0 || group > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[group].window)
        return -1;
    HWND groupWindow = ZettlyTable[group].window;
    RECT note;
    if (!GetWindowRect(z->window, &note))
        return -1;
    MapWindowPoints(nullptr, groupWindow, (POINT *)&note, 2);
    int strip = GetFontCharHeight(groupWindow, group);
    int rel = GET_Y_LPARAM((LPARAM)mousePosition) - pressY + note.top;
    if (rel >= -strip) {
        SetCursor(rel >= strip ? LoadCursor(nullptr, IDC_ARROW)
                               : GroupCursor(IDC_GROUP_CURSOR_LEAVE));
        LayoutGroupScrollBars(group);
        return -1;
    }
    ShowWindow(z->window, SW_HIDE);
    DetachFromGroup(group, slot);
    ShowWindow(z->window, SW_SHOW);
    SetForegroundWindow(z->window);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return -1;
}

// ---------------------------------------------------------------- re-link dialog 151

// Where "Unlink Zettly" puts the next released note; kept for the run.
static StripStack UnlinkedStack;

static void DrawRelinkEntry(const DRAWITEMSTRUCT *item)
{
    if (item->itemID == (UINT)-1 || !(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    int group = (int)item->itemData;
    if (group < 0 || group > ZETTLY_LAST_NOTE_SLOT)
        return;
    DrawTitleEntry(item->hDC, item->rcItem, group, (item->itemState & ODS_SELECTED) != 0);
}

static void FillRelinkList(HWND dialog, int slot)
{
    HWND list = GetDlgItem(dialog, IDC_RELINK_GROUPS);
    for (int group = 0; group <= ZETTLY_LAST_NOTE_SLOT; ++group) {
        if (group == slot || !ZettlyTable[group].window || !ZettlyTable[group].isGroup)
            continue;
        // A title read from a file may fill its field without an end.
        char title[ZETTLY_TITLE_BYTES];
        lstrcpynA(title, ZettlyTable[group].title, sizeof title);
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)title);
        if (index >= 0)
            SendMessageA(list, LB_SETITEMDATA, index, group);
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    char title[ZETTLY_TITLE_BYTES];
    lstrcpynA(title, ZettlyTable[slot].title, sizeof title);
    SetDlgItemTextA(dialog, IDC_RELINK_TITLE, title);
}

static void LinkSelected(HWND dialog, int slot)
{
    HWND list = GetDlgItem(dialog, IDC_RELINK_GROUPS);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        ZtMessageBox(dialog, "No zettly group selected to re-link...", "Select a group!",
                     MB_ICONINFORMATION);
        return;
    }
    int group = (int)SendMessageA(list, LB_GETITEMDATA, index, 0);
    ZettlyRecord *z = &ZettlyTable[slot];
    ZettlyRect stored = z->windowRect;
    // AttachToGroup refuses a note that still claims membership elsewhere
    // only by its own checks; the stale link is cleared first.
    z->isMember = 0;
    if (AttachToGroup(group, slot) != 0) {
        z->isMember = 1;
        z->groupSlot = group;
        return;
    }
    int x = stored.left, y = stored.top;
    PlaceInGroup(slot, &x, &y, TRUE);
    MoveWindow(z->window, x, y, stored.right - stored.left, stored.bottom - stored.top, FALSE);
    ShowWindow(z->window, z->showCommand);
    EndDialog(dialog, 1);
}

static void UnlinkToStack(HWND dialog, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    ShowWindow(z->window, SW_HIDE);
    z->isGroup = 0;
    z->groupLastX = z->groupLastY = 0;
    z->isMember = 0;
    z->groupSlot = 0;
    SetParent(z->window, nullptr);
    StackAsStrip(slot, &UnlinkedStack, 0, GetSystemMetrics(SM_CYSCREEN));
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK RelinkDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        int slot = (int)lParam;
        if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_USER, slot);
        FillRelinkList(dialog, slot);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *item = (MEASUREITEMSTRUCT *)lParam;
        item->itemHeight = 20;
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawRelinkEntry((const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_COMMAND: {
        int slot = (int)GetWindowLongPtrA(dialog, DWLP_USER);
        if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDC_RELINK_LINK:
            LinkSelected(dialog, slot);
            return TRUE;
        case IDC_RELINK_UNLINK:
            UnlinkToStack(dialog, slot);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    }
    return FALSE;
}

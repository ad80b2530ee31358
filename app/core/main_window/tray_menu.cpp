#include "tray_menu.h"

#include <cstring>

#include "companions.h"
#include "core/core_ids.h"
#include "core/note_editor/note_colours.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

HMENU TrayMenu;

static const char HIDDEN_TEXT[] = "Hidden Zettlies";
static const char QUICK_JUMP_TEXT[] = "Quick Jump To Zettly";

int BuildTrayMenus(void)
{
    HMENU loaded = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!loaded)
        return -1;
    // The resource is a bar holding the one popup; keep the popup on its own.
    TrayMenu = GetSubMenu(loaded, 0);
    RemoveMenu(loaded, 0, MF_BYPOSITION);
    DestroyMenu(loaded);
    if (!TrayMenu)
        return -1;
    // The process tree reads what only the NT line of Windows provides.
    if (GetVersion() & 0x80000000u)
        EnableMenuItem(TrayMenu, CMD_SHOW_PROCESS_TREE, MF_BYCOMMAND | MF_GRAYED);
    return 0;
}

void DestroyTrayMenus(void)
{
    // The submenus go with the menu that holds them.
    if (TrayMenu)
        DestroyMenu(TrayMenu);
    TrayMenu = nullptr;
}

void CheckTrayMenuItem(int command, BOOL checked)
{
    if (TrayMenu)
        CheckMenuItem(TrayMenu, (UINT)command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

static void AppendNoteEntry(HMENU menu, int slot)
{
    AppendMenuA(menu, MF_OWNERDRAW, CMD_JUMP_FIRST + slot, (LPCSTR)ZettlyTable[slot].title);
}

static bool IsShownNote(int slot)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    return z.window && z.showCommand != 0;
}

static void FillHiddenMenu(HMENU menu)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && ZettlyTable[slot].showCommand == 0)
            AppendNoteEntry(menu, slot);
}

// Members stand right under their group, so a group is read as one block.
static void FillQuickJumpMenu(HMENU menu)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        if (!IsShownNote(slot) || ZettlyTable[slot].isMember)
            continue;
        AppendNoteEntry(menu, slot);
        if (!ZettlyTable[slot].isGroup)
            continue;
        for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member)
            if (IsShownNote(member) && !ZettlyTable[member].isGroup &&
                ZettlyTable[member].isMember && ZettlyTable[member].groupSlot == slot)
                AppendNoteEntry(menu, member);
    }
}

static void ReplaceSubmenu(int position, const char *text, void (*fill)(HMENU))
{
    HMENU fresh = CreatePopupMenu();
    if (!fresh)
        return;
    fill(fresh);
    // Taken out, not destroyed, by the removal: the old one goes afterwards.
    HMENU current = GetSubMenu(TrayMenu, position);
    RemoveMenu(TrayMenu, position, MF_BYPOSITION);
    InsertMenuA(TrayMenu, position, MF_BYPOSITION | MF_POPUP | MF_STRING, (UINT_PTR)fresh, text);
    if (current)
        DestroyMenu(current);
}

void RebuildNoteMenus(void)
{
    if (!TrayMenu)
        return;
    ReplaceSubmenu(TRAY_POS_HIDDEN, HIDDEN_TEXT, FillHiddenMenu);
    ReplaceSubmenu(TRAY_POS_QUICK_JUMP, QUICK_JUMP_TEXT, FillQuickJumpMenu);
}

void DropStaleCompanions(void)
{
    // The changer's window is never visible; only its disappearance counts.
    LiveCompanionWindow(COMPANION_CHANGER);
    const Companion visibleOnes[] = {COMPANION_PLAYER, COMPANION_CLOCK, COMPANION_METER};
    for (Companion which : visibleOnes) {
        HWND window = LiveCompanionWindow(which);
        if (window && !IsWindowVisible(window))
            CloseCompanion(which);
    }
}

static void BringAllForward(HWND mainWindow)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window)
            SetForegroundWindow(ZettlyTable[slot].window);
    const Companion order[] = {COMPANION_PLAYER, COMPANION_METER, COMPANION_CLOCK};
    for (Companion which : order)
        if (HWND window = LiveCompanionWindow(which))
            SetForegroundWindow(window);
    SetForegroundWindow(mainWindow);
}

static void ShowTrayMenu(HWND mainWindow)
{
    RebuildNoteMenus();
    DropStaleCompanions();
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(mainWindow);
    TrackPopupMenuEx(TrayMenu, 0, cursor.x, cursor.y, mainWindow, nullptr);
    // ...and without a message after it, the next click on the icon may be lost.
    PostMessageA(mainWindow, WM_NULL, 0, 0);
}

void OnTrayCallback(HWND mainWindow, UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        BringAllForward(mainWindow);
        break;
    case WM_LBUTTONDBLCLK:
        PostMessageA(mainWindow, WM_COMMAND, CMD_NEW_ZETTLY, 0);
        break;
    case WM_RBUTTONDOWN:
        if (TrayMenu)
            ShowTrayMenu(mainWindow);
        break;
    }
}

static int SlotOfItem(UINT id)
{
    if (id < CMD_JUMP_FIRST || id > CMD_JUMP_LAST)
        return -1;
    return (int)(id - CMD_JUMP_FIRST);
}

BOOL MeasureTrayItem(HWND mainWindow, MEASUREITEMSTRUCT *item)
{
    if (item->CtlType != ODT_MENU)
        return FALSE;
    if (item->itemID == CMD_THIN_SEPARATOR) {
        item->itemHeight = 2;
        return TRUE;
    }
    int slot = SlotOfItem(item->itemID);
    if (slot < 0)
        return FALSE;
    MeasureTitleEntry(mainWindow, slot, item);
    return TRUE;
}

BOOL DrawTrayItem(const DRAWITEMSTRUCT *item)
{
    if (item->CtlType != ODT_MENU)
        return FALSE;
    int slot = SlotOfItem(item->itemID);
    if (slot < 0)
        return FALSE;
    if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return TRUE;
    const ZettlyRecord &z = ZettlyTable[slot];
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    if (z.isMember) {
        SetViewportOrgEx(dc, 10, 0, nullptr);
        r.right -= 10;
    }
    DrawTitleEntry(dc, r, slot, (item->itemState & ODS_SELECTED) != 0);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    return TRUE;
}

#include "group_window.h"

#include <shellapi.h>
#include <mmsystem.h>
#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "note_window.h"
#include "core/note_editor/note_edit.h"
#include "core/notes_table/data_folder.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "dialog_ids.h"
#include "core/note_editor/note_colours.h"
#include "group_geometry.h"
#include "note_frame.h"
#include "note_title_strip.h"
#include "preferences_dialog.h"
#include "roll_animation.h"
#include "note_commands.h"
#include "title_edit.h"
#include "core/note_editor/transparency.h"
#include "ui_seams.h"
#include "core/window_block.h"
#include "window_class.h"
#include "window_creation.h"

static_assert(IDD_RELINK == 151 && CMD_ADD_TO_GROUP_FIRST + ZETTLY_LAST_NOTE_SLOT == 22254,
              "one add-to-group id per group slot 0..254");

// One menu serves every group, since only one can be open at a time; it
// lives while any group window does.
struct SharedGroupMenu {
    HMENU menu;
    int users; // group windows that hold it
};
static SharedGroupMenu GroupMenu;

// The strip's mouse memory of one group and its hold on the shared menu: the
// group window's user data from WM_NCCREATE to WM_NCDESTROY.
struct GroupMouse {
    BOOL holdsMenu;
    BOOL dragging;
    BOOL closeHot;
    POINT pressScreen;
    POINT anchor;
    RECT closeSquare;
};

static GroupMouse *MouseOf(HWND group)
{
    return (GroupMouse *)WindowBlock(group);
}

static bool IsSlot(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT;
}

static bool IsGroupSlot(int slot)
{
    return IsSlot(slot) && ZettlyTable[slot].window && ZettlyTable[slot].isGroup;
}

static bool IsMemberOf(int slot, int group)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    return z.window && z.isMember && z.groupSlot == group && slot != group;
}

static int StripHeight(HWND window, int slot)
{
    return IsSlot(slot) ? GetFontCharHeight(window, slot) : 0;
}

static int FrameHeight(const ZettlyRecord &z)
{
    return z.thinBorder ? 2 * GetSystemMetrics(SM_CYEDGE)
                        : 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYEDGE);
}

static void HideCompanions(int slot)
{
    if (ZettlyTable[slot].editWindow)
        SendMessageA(ZettlyTable[slot].editWindow, WM_USER, EDIT_HIDE_COMPANIONS, 0);
}

// A member's window rectangle in its group's client coordinates.
static RECT MemberRect(HWND group, HWND member)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(member, &r);
    MapWindowPoints(nullptr, group, (POINT *)&r, 2);
    return r;
}

// ---------------------------------------------------------------- class

void RegisterGroupClass(HINSTANCE instance)
{
    RegisterWindowClass(instance, ZETTLY_GROUP_CLASS, GroupWndProc,
                        {CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                         nullptr});
}

void UnregisterGroupClass(HINSTANCE instance)
{
    UnregisterClassA(ZETTLY_GROUP_CLASS, instance);
}

// ---------------------------------------------------------------- scroll bars

static void ApplyAxis(HWND window, int bar, const GroupScrollAxis &axis)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nMin = axis.min;
    info.nMax = axis.max;
    // A disabled bar gets a page over its whole range: no thumb to drag,
    // and the bar stays in place, greyed, rather than vanishing.
    info.nPage = axis.enabled ? (UINT)axis.page : (UINT)(axis.max - axis.min + 1);
    SetScrollInfo(window, bar, &info, FALSE);
    EnableScrollBar(window, bar, axis.enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void LayoutGroupScrollBars(int groupSlot)
{
    if (!IsGroupSlot(groupSlot))
        return;
    HWND group = ZettlyTable[groupSlot].window;
    RECT client;
    GetClientRect(group, &client);
    int strip = StripHeight(group, groupSlot);
    // Per call: the roll thread lays groups out while the GUI thread may too.
    ZettlyRect members[ZETTLY_LAST_NOTE_SLOT + 1];
    int count = 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        if (!IsMemberOf(slot, groupSlot))
            continue;
        RECT r = MemberRect(group, ZettlyTable[slot].window);
        members[count++] = ZettlyRect{r.left, r.top, r.right, r.bottom};
    }
    if (ZettlyTable[groupSlot].rolledUp) {
        ShowScrollBar(group, SB_BOTH, FALSE);
        return;
    }
    GroupScroll s = LayoutGroupScroll(client.right, client.bottom, strip, members, count);
    ApplyAxis(group, SB_HORZ, s.horizontal);
    ApplyAxis(group, SB_VERT, s.vertical);
}

static void OnGroupScroll(HWND group, int slot, int bar, int code)
{
    if (code > SB_ENDSCROLL || code == SB_ENDSCROLL)
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(group, bar, &info))
        return;
    int next = NextScrollPosition(code, info.nPos, info.nTrackPos, info.nMin, info.nMax,
                                  (int)info.nPage);
    int shift = info.nPos - next;
    if (shift == 0)
        return;
    SetScrollPos(group, bar, next, TRUE);
    for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member) {
        if (!IsMemberOf(member, slot))
            continue;
        RECT r = MemberRect(group, ZettlyTable[member].window);
        int dx = bar == SB_HORZ ? shift : 0, dy = bar == SB_VERT ? shift : 0;
        SetWindowPos(ZettlyTable[member].window, nullptr, r.left + dx, r.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (bar == SB_HORZ)
        ZettlyTable[slot].groupLastX = next;
    else
        ZettlyTable[slot].groupLastY = next;
    LayoutGroupScrollBars(slot);
}

// ---------------------------------------------------------------- members

int AttachToGroup(int groupSlot, int noteSlot)
{
    if (!IsSlot(groupSlot) || !IsSlot(noteSlot) || groupSlot == noteSlot)
        return -1;
    ZettlyRecord *note = &ZettlyTable[noteSlot];
    HWND group = ZettlyTable[groupSlot].window;
    if (!group || !note->window || !ZettlyTable[groupSlot].isGroup || note->isGroup)
        return -1;
    HideCompanions(noteSlot);
    int former = note->isMember ? note->groupSlot : -1;
    RECT before;
    GetWindowRect(note->window, &before);
    // A top-level note has no parent, so a null result alone is no failure.
    SetLastError(0);
    if (!SetParent(note->window, group) && GetLastError() != 0)
        return -1;
    note->isGroup = 0;
    note->isMember = 1;
    note->groupSlot = groupSlot;
    // Same place on the screen, now in the group's coordinates.
    int x = before.left, y = before.top;
    PlaceInGroup(noteSlot, &x, &y, TRUE);
    SetWindowPos(note->window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutGroupScrollBars(groupSlot);
    // The group it came from no longer holds it: its bars must not cover it.
    if (former != groupSlot && IsGroupSlot(former))
        LayoutGroupScrollBars(former);
    return 0;
}

int AttachToGroupInView(int groupSlot, int noteSlot)
{
    if (AttachToGroup(groupSlot, noteSlot) != 0)
        return -1;
    HWND group = ZettlyTable[groupSlot].window;
    HWND note = ZettlyTable[noteSlot].window;
    RECT client, inGroup = MemberRect(group, note), overlap;
    GetClientRect(group, &client);
    client.top = StripHeight(group, groupSlot);
    // A note chosen from a menu may stand anywhere on the screen; where it
    // would stay out of sight it starts under the group's title strip.
    if (!IntersectRect(&overlap, &client, &inGroup)) {
        SetWindowPos(note, nullptr, 0, client.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutGroupScrollBars(groupSlot);
    }
    return 0;
}

// Clears the group link and makes the window top-level where it stands.
static void ReleaseMember(int noteSlot)
{
    ZettlyRecord *note = &ZettlyTable[noteSlot];
    RECT before;
    GetWindowRect(note->window, &before);
    HideCompanions(noteSlot);
    note->isGroup = 0;
    note->isMember = 0;
    note->groupSlot = 0;
    SetParent(note->window, nullptr);
    SetWindowPos(note->window, nullptr, before.left, before.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DetachFromGroup(int groupSlot, int noteSlot)
{
    if (!IsSlot(noteSlot) || !ZettlyTable[noteSlot].window || !ZettlyTable[noteSlot].isMember)
        return;
    int former = ZettlyTable[noteSlot].groupSlot;
    (void)groupSlot; // the record knows its group; a stale caller's slot must not decide
    ReleaseMember(noteSlot);
    if (IsGroupSlot(former))
        LayoutGroupScrollBars(former);
}

// A note that arrived by import or drop goes into the group near its top left.
static void AdoptNewNote(int groupSlot, int noteSlot)
{
    if (!IsSlot(noteSlot) || !ZettlyTable[noteSlot].window || ZettlyTable[noteSlot].isMember)
        return;
    HWND group = ZettlyTable[groupSlot].window;
    HWND note = ZettlyTable[noteSlot].window;
    ShowWindow(note, SW_HIDE);
    if (AttachToGroup(groupSlot, noteSlot) != 0) {
        ShowWindow(note, ZettlyTable[noteSlot].showCommand);
        return;
    }
    SetWindowPos(note, nullptr, 0, StripHeight(group, groupSlot), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(note, ZettlyTable[noteSlot].showCommand ? ZettlyTable[noteSlot].showCommand
                                                         : SW_SHOWNORMAL);
    LayoutGroupScrollBars(groupSlot);
}

struct UsedSlots {
    bool used[ZETTLY_LAST_NOTE_SLOT + 1];
};

static void RememberUsedSlots(UsedSlots *u)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        u->used[slot] = ZettlyTable[slot].window != nullptr;
}

static void AdoptNotesMadeSince(int groupSlot, const UsedSlots *before)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (!before->used[slot] && ZettlyTable[slot].window && !ZettlyTable[slot].isGroup)
            AdoptNewNote(groupSlot, slot);
}

// ---------------------------------------------------------------- commands

static void NewGroup(HWND group, int slot)
{
    int fresh = FindFreeZettlySlot();
    if (fresh < 0) {
        ZtMessageBox(group, "Can't Create Any More Zettlies", "Out Of Array Space", MB_ICONHAND);
        return;
    }
    CloneZettly(slot, fresh);
    ZettlyTable[fresh].isGroup = 1;
    ZettlyTable[fresh].isMember = 0;
    if (CreateZettlyWindow(MainWindow, fresh, TRUE, TRUE) == 0)
        SetForegroundWindow(ZettlyTable[fresh].window);
}

static void PlaySoundIfOn(const char *path)
{
    if (ZettlyInfo.soundEffects)
        PlayDataFolderSound(path, SND_ASYNC | SND_NODEFAULT);
}

static void RollGroup(HWND group, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    if (ZettlyRollRunning(slot, group))
        return;
    RECT now;
    GetWindowRect(group, &now);
    ZettlyRect current = {now.left, now.top, now.right, now.bottom};
    int strip = StripHeight(group, slot);
    if (!z->rolledUp) {
        PlaySoundIfOn(ZettlySounds.rollup);
        ShowScrollBar(group, SB_BOTH, FALSE);
        z->windowRect = z->unrolledRect = current;
        z->unrolledRectValid = 1;
        if (!z->restoreRectValid) {
            z->restoreRect = current;
            z->restoreRectValid = 1;
        }
        int height = strip + FrameHeight(*z);
        int width = z->restoreRect.right - z->restoreRect.left;
        if (!ZettlyInfo.animateRoll) {
            z->rolledUp = 1;
            MoveWindow(group, now.left, now.top, width, height, TRUE);
            InvalidateRect(group, nullptr, TRUE);
            return;
        }
        RollParams p = {z->unrolledRect.top + height, z->unrolledRect.left + width, slot, nullptr,
                        1, group, ZettlyInfo.animationStep, 1, slot, 0, 0};
        StartRollAnimation(&p);
        return;
    }
    PlaySoundIfOn(ZettlySounds.unroll);
    z->rolledUp = 0;
    ShowScrollBar(group, SB_BOTH, TRUE);
    z->restoreRect = current;
    z->restoreRectValid = 1;
    if (!z->unrolledRectValid) {
        z->unrolledRect = z->windowRect;
        z->unrolledRectValid = 1;
    }
    int width = z->unrolledRect.right - z->unrolledRect.left;
    int height = z->unrolledRect.bottom - z->unrolledRect.top;
    if (ZettlyInfo.animateRoll) {
        RollParams p = {now.top + height, now.left + width, -1, nullptr, 0, group,
                        ZettlyInfo.animationStep, 1, slot, 0, 0};
        StartRollAnimation(&p);
    } else {
        MoveWindow(group, now.left, now.top, width, height, TRUE);
    }
    LayoutGroupScrollBars(slot);
}

static void RemakeTitleEdit(HWND group, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    if (z->titleEdit)
        DestroyWindow(z->titleEdit);
    z->titleEdit = CreateTitleEdit(group, slot);
    if (z->titleEdit)
        SetWindowFontFromLogFont(z->titleEdit, AsLOGFONT(&z->titleFont), &z->titleFontHandle);
}

// The group is not made again after O.K as a note is, so the options that
// live in its window styles are put on the window here.
static void ApplyGroupWindowOptions(HWND group, const ZettlyRecord &z)
{
    LONG_PTR ex = GetWindowLongPtrA(group, GWL_EXSTYLE);
    LONG_PTR wanted = z.thinBorder ? (ex | WS_EX_STATICEDGE) : (ex & ~(LONG_PTR)WS_EX_STATICEDGE);
    if (wanted != ex)
        SetWindowLongPtrA(group, GWL_EXSTYLE, wanted);
    SetWindowPos(group, z.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

static void OpenGroupPreferences(HWND group, int slot)
{
    if (PrefsDialog.open) {
        ZtMessageBox(group,
                     "Only one instance of the preference dialog box\ncan be open at a time.",
                     "Preference Open Error", MB_ICONINFORMATION);
        return;
    }
    PrefsDialog.open = 1;
    INT_PTR result = RunPreferencesDialog(group, slot);
    PrefsDialog.open = 0;
    if (result != 1 || ZettlyTable[slot].window != group)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    RemakeTitleEdit(group, slot);
    ApplyGroupWindowOptions(group, *z);
    if (z->backBrush)
        DeleteObject(z->backBrush);
    z->backBrush = CreateSolidBrush(z->backColour);
    ApplyPreferencesTransparency();
    LayoutGroupScrollBars(slot);
    InvalidateRect(group, nullptr, TRUE);
    if (MainWindow)
        PostMessageA(MainWindow, WM_USER, MAIN_SAVE_PERIOD_CHANGED, 0);
}

static void ToggleTopmost(HWND group, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    z->topMost = !z->topMost;
    SetWindowPos(group, z->topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void CloseZettlyGroup(HWND group, int slot)
{
    int answer = ZtMessageBox(
        group,
        "Do you want to close zettly group and unlink child zettlies\t(Yes).\r\nDo you want to "
        "close zettly group and remove all items\t(No).\r\nAbort this operation\t\t\t\t(Cancel)",
        ATTENTION_CAPTION, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
    if (answer == IDYES) {
        for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member)
            if (IsMemberOf(member, slot))
                ReleaseMember(member);
    } else if (answer == IDNO) {
        for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member) {
            if (!IsMemberOf(member, slot))
                continue;
            if (MainWindow)
                SetForegroundWindow(MainWindow);
            DestroyWindow(ZettlyTable[member].window);
        }
    } else {
        return;
    }
    if (MainWindow)
        SetForegroundWindow(MainWindow);
    DestroyWindow(group);
}

void StackAsStrip(int slot, StripStack *stack, int top, int limit)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    StoreZettlyRect(slot);
    ShowWindow(z->window, SW_HIDE);
    HideStripCompanions(slot);
    RECT now;
    GetWindowRect(z->window, &now);
    int width = now.right - now.left;
    if (!z->rolledUp) {
        z->rolledUp = 1;
        z->windowRect = ZettlyRect{now.left, now.top, now.right, now.bottom};
        z->unrolledRect = z->windowRect;
        z->unrolledRectValid = 1;
    }
    int frame = GetSystemMetrics(SM_CYFRAME);
    int gap = z->thinBorder ? GetSystemMetrics(SM_CYEDGE) : frame;
    int x, y;
    StackStrip(stack, top, limit, frame, GetFontCharHeight(z->window, slot), gap, width, &x, &y);
    // Height 0: the note's own size rule keeps its strip.
    MoveWindow(z->window, x, y, width, 0, FALSE);
    ShowWindow(z->window, SW_SHOW);
}

void RealignGroupMembers(HWND group, int slot)
{
    RECT client;
    GetClientRect(group, &client);
    int strip = StripHeight(group, slot);
    StripStack stack = {0, strip, 0};
    for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member)
        if (IsMemberOf(member, slot))
            StackAsStrip(member, &stack, strip, client.bottom);
    LayoutGroupScrollBars(slot);
}

static void MakeDefaultStyle(HWND group, int slot)
{
    if (ZtMessageBox(group,
                     "This is an unrecoverable action.\nAre you sure you want to make this\n"
                     "zettly your default zettly style?",
                     ATTENTION_CAPTION, MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    CloneZettly(slot, ZETTLY_DEFAULT_SLOT);
    ZettlyTable[ZETTLY_DEFAULT_SLOT].isGroup = 0;
}

static void ExportGroup(HWND group, int slot)
{
    if (ZtMessageBox(group,
                     "This action will export all of the zettlies contained in group.\nAre you "
                     "sure you want to do this?",
                     ATTENTION_CAPTION, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        Editing().exportZettliesToFolder(group, slot);
}

static void OnGroupDropFiles(HWND group, int slot, HDROP drop, LPARAM lParam)
{
    UsedSlots before;
    RememberUsedSlots(&before);
    if (!drop && lParam == 1) {
        int created = Editing().importZettlyDialog(slot);
        AdoptNotesMadeSince(slot, &before);
        if (created >= 0 && ZettlyTable[created].editWindow)
            SetFocus(ZettlyTable[created].editWindow);
    } else if (drop) {
        UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char *path = DroppedFilePath(drop, i);
            if (!path)
                break;
            if (path[0])
                Editing().insertFileIntoZettly(path, IDC_DROP_CREATE_NEW, slot);
            std::free(path);
            AdoptNotesMadeSince(slot, &before);
            RememberUsedSlots(&before);
        }
        DragFinish(drop);
    }
    LayoutGroupScrollBars(slot);
}

static void ShowGroupMenu(HWND group, int slot, LPARAM lParam)
{
    HMENU menu = GroupMenu.menu;
    if (!menu)
        return;
    const ZettlyRecord &z = ZettlyTable[slot];
    CheckMenuItem(menu, CMD_ALWAYS_ON_TOP, z.topMost ? MF_CHECKED : MF_UNCHECKED);
    ModifyMenuA(menu, CMD_ROLL_ZETTLY, MF_BYCOMMAND | MF_STRING, CMD_ROLL_ZETTLY,
                z.rolledUp ? "UnRoll Zettly\tAlt+Z" : "Roll Zettly\tAlt+Z");
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1)
        GetCursorPos(&at);
    TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, group, nullptr);
}

static LRESULT OnGroupCommand(HWND group, int slot, WPARAM wParam, LPARAM lParam)
{
    if (!IsSlot(slot))
        return DefWindowProcA(group, WM_COMMAND, wParam, lParam);
    switch (LOWORD(wParam)) {
    case CMD_NEW_ZETTLY:
        NewGroup(group, slot);
        return 0;
    case CMD_ROLL_ZETTLY:
        RollGroup(group, slot);
        return 0;
    case CMD_PREFERENCES:
        OpenGroupPreferences(group, slot);
        return 0;
    case CMD_SET_TITLE:
        return ShowTitleEdit(group, slot);
    case CMD_ALWAYS_ON_TOP:
        ToggleTopmost(group, slot);
        return 0;
    case CMD_CLOSE_ZETTLY:
        CloseZettlyGroup(group, slot);
        return 0;
    case CMD_IMPORT:
        SendMessageA(group, WM_DROPFILES, 0, 1);
        return 0;
    case CMD_EXPORT:
        ExportGroup(group, slot);
        return 0;
    case CMD_MAKE_DEFAULT:
        MakeDefaultStyle(group, slot);
        return 0;
    case CMD_GROUP_REALIGN:
        if (ZtMessageBox(group,
                         "This action will re-align zettly windows from the top left hand corner "
                         "of the group, downwards.\r\nAre you sure you want to do this?",
                         "Re-align Zettly Windows", MB_YESNO | MB_ICONHAND) == IDYES)
            RealignGroupMembers(group, slot);
        return 0;
    case CMD_HIDE_ZETTLY:
        // As a note hides: the tray's "Hidden Zettlies" brings it back.
        ZettlyTable[slot].showCommand = 0;
        ShowWindow(group, SW_HIDE);
        if (MainWindow)
            SetForegroundWindow(MainWindow);
        return 0;
    case CMD_SHOW_PROCESS_TREE:
        if (MainWindow)
            SendMessageA(MainWindow, WM_COMMAND, CMD_SHOW_PROCESS_TREE, 0);
        return 0;
    case CMD_STARTUP_CMD:
        ShellExecuteA(GetDesktopWindow(), "open", "cmd", nullptr, nullptr, SW_SHOWDEFAULT);
        return 0;
    }
    return DefWindowProcA(group, WM_COMMAND, wParam, lParam);
}

// ---------------------------------------------------------------- menu

static void BuildGroupMenu(void)
{
    HMENU menu = CreatePopupMenu();
    HMENU process = CreatePopupMenu();
    HMENU exchange = CreatePopupMenu();
    if (!menu || !process || !exchange) {
        if (menu)
            DestroyMenu(menu);
        if (process)
            DestroyMenu(process);
        if (exchange)
            DestroyMenu(exchange);
        return;
    }
    AppendMenuA(menu, MF_STRING, CMD_NEW_ZETTLY, "&New Zettly\tAlt+N");
    AppendMenuA(menu, MF_STRING, CMD_ROLL_ZETTLY, "Roll Zettly\tAlt+Z");
    AppendMenuA(menu, MF_STRING, CMD_SET_TITLE, "Set Zettly &Title\tAlt+T");
    AppendMenuA(menu, MF_STRING, CMD_PREFERENCES, "&Preferences\tAlt+P");
    AppendMenuA(menu, MF_STRING, CMD_ALWAYS_ON_TOP, "Always On Top\tAlt+V");
    AppendMenuA(menu, MF_STRING, CMD_HIDE_ZETTLY, "Hide Zettly\tAlt+H");
    AppendMenuA(menu, MF_STRING, CMD_GROUP_REALIGN, "Re-Align Child Zettlies");
    AppendMenuA(process, MF_STRING, CMD_SHOW_PROCESS_TREE, "Show Process Tree\tAlt+K");
    AppendMenuA(process, MF_STRING, CMD_STARTUP_CMD, "Start-up CMD\tAlt+M");
    UINT processFlags = MF_POPUP | (GetVersion() >= 0x80000000u ? MF_GRAYED : 0);
    AppendMenuA(menu, processFlags, (UINT_PTR)process, "Process Functions");
    AppendMenuA(exchange, MF_STRING, CMD_IMPORT, "Import Zettly");
    AppendMenuA(exchange, MF_STRING, CMD_EXPORT, "E&xport Zettly\tAlt+X");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)exchange, "Export/Import");
    AppendMenuA(menu, MF_STRING, CMD_MAKE_DEFAULT, "Make As &Default Style\tAlt+D");
    AppendMenuA(menu, MF_STRING, CMD_CLOSE_ZETTLY, "&Close Zettly\tAlt+F4");
    GroupMenu.menu = menu;
}

static void TakeGroupMenu(HWND group)
{
    GroupMouse *m = MouseOf(group);
    if (!m || m->holdsMenu)
        return;
    m->holdsMenu = TRUE;
    if (GroupMenu.users++ == 0)
        BuildGroupMenu();
}

// Only a window that took the menu gives it back: a group refused before it
// took it must not take the menu from the others. At WM_NCDESTROY: a window
// whose WM_CREATE failed gets no WM_DESTROY under Wine, only this.
static void ReleaseGroupMenu(HWND group)
{
    GroupMouse *m = MouseOf(group);
    if (!m || !m->holdsMenu)
        return;
    m->holdsMenu = FALSE;
    if (GroupMenu.users > 0 && --GroupMenu.users == 0 && GroupMenu.menu) {
        DestroyMenu(GroupMenu.menu);
        GroupMenu.menu = nullptr;
    }
}

// ---------------------------------------------------------------- window

static LRESULT OnGroupCreate(HWND group, const CREATESTRUCTA *cs)
{
    int slot = (int)((UINT_PTR)cs->lpCreateParams & 0xFFFF);
    if (!IsSlot(slot))
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    TakeGroupMenu(group);
    z->window = group;
    if (z->backBrush)
        DeleteObject(z->backBrush);
    z->backBrush = CreateSolidBrush(z->backColour);
    const ZettlyRect &r = z->windowRect;
    if (z->rolledUp)
        MoveWindow(group, r.left, r.top, 0, 0, FALSE);
    else
        MoveWindow(group, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    char title[ZETTLY_TITLE_BYTES];
    lstrcpynA(title, z->title, sizeof title);
    if (title[0])
        SetWindowTextA(group, title);
    if (z->showCommand == SW_SHOWMINIMIZED)
        z->minimised = 1;
    DragAcceptFiles(group, TRUE);
    ApplyZettlyAlpha(group, slot);
    z->titleEdit = CreateTitleEdit(group, slot);
    if (z->titleEdit)
        SetWindowFontFromLogFont(z->titleEdit, AsLOGFONT(&z->titleFont), &z->titleFontHandle);
    return 0;
}

static void OnGroupDestroy(HWND group)
{
    int slot = FindZettlyByWindow(group);
    if (slot >= 0) {
        ZettlyRecord *z = &ZettlyTable[slot];
        if (z->titleEdit)
            DestroyWindow(z->titleEdit);
        z->titleEdit = nullptr;
        // Members still inside go with the group: their slots must be free
        // before the group's slot can be taken again.
        for (int member = 0; member <= ZETTLY_LAST_NOTE_SLOT; ++member)
            if (IsMemberOf(member, slot) && IsChild(group, ZettlyTable[member].window))
                DestroyWindow(ZettlyTable[member].window);
    }
    ReleaseZettlySlot(group);
    DragAcceptFiles(group, FALSE);
}

static void OnGroupMinMax(HWND group, int slot, MINMAXINFO *info)
{
    if (!IsSlot(slot))
        return;
    const ZettlyRecord &z = ZettlyTable[slot];
    int strip = StripHeight(group, slot);
    int frame = FrameHeight(z);
    if (z.rolledUp && !z.minimised && !z.rollLimitOff)
        info->ptMaxTrackSize.y = strip + frame;
    info->ptMinTrackSize.y =
        z.rolledUp ? strip + frame : strip + frame + GetSystemMetrics(SM_CYVSCROLL);
}

static void OnGroupSize(HWND group, int slot, int width)
{
    if (!IsSlot(slot))
        return;
    LayoutGroupScrollBars(slot);
    ZettlyRecord *z = &ZettlyTable[slot];
    if (z->titleEdit)
        SetWindowPos(z->titleEdit, nullptr, 0, 0, width, StripHeight(group, slot),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT w;
    GetWindowRect(group, &w);
    HRGN region = CreateRoundRectRgn(0, 0, w.right - w.left + 1, w.bottom - w.top + 1, 8, 8);
    if (region && !SetWindowRgn(group, region, TRUE))
        DeleteObject(region);
}

static BOOL OnGroupEraseBackground(HWND group, int slot, HDC dc)
{
    if (!IsSlot(slot))
        return FALSE;
    RECT r;
    GetClientRect(group, &r);
    r.top = StripHeight(group, slot);
    FillSolidRect(dc, &r, ZettlyTable[slot].backColour);
    return TRUE;
}

static void OnGroupPaint(HWND group, int slot, HDC given)
{
    PAINTSTRUCT ps;
    HDC dc = given ? given : BeginPaint(group, &ps);
    PaintTitleStrip(group, slot, dc);
    if (!given)
        EndPaint(group, &ps);
}

static int ClientWidth(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return r.right;
}

static void OnGroupButtonDown(HWND group, int slot, int x, int y)
{
    GroupMouse *mouse = MouseOf(group);
    if (!mouse)
        return;
    int strip = StripHeight(group, slot);
    int width = ClientWidth(group);
    mouse->anchor = POINT{x, y};
    if (y <= strip && x < width - strip) {
        GetCursorPos(&mouse->pressScreen);
        SetTimer(group, NOTE_TITLE_TIMER, NOTE_TITLE_HOLD_MS, nullptr);
        SetCapture(group);
        mouse->dragging = TRUE;
    } else if (x >= width - strip && y <= strip && ZettlyInfo.closeButton) {
        DrawCloseButton(group, slot, TRUE);
        mouse->closeSquare = RECT{width - strip, 0, width, strip};
        mouse->closeHot = TRUE;
    } else {
        mouse->dragging = FALSE;
    }
}

static void OnGroupMouseMove(HWND group, int slot, WPARAM keys, LPARAM point)
{
    GroupMouse *mouse = MouseOf(group);
    if (!mouse)
        return;
    if ((keys & MK_LBUTTON) && mouse->dragging) {
        MoveZettlyWindow(group, point, mouse->anchor.x, mouse->anchor.y, slot);
        return;
    }
    if (GetCapture() == group)
        ReleaseCapture();
}

static void OnGroupButtonUp(HWND group, int slot, int x, int y)
{
    GroupMouse *mouse = MouseOf(group);
    if (!mouse)
        return;
    mouse->dragging = FALSE;
    if (GetCapture() == group)
        ReleaseCapture();
    if (ZettlyInfo.closeButton && mouse->closeHot) {
        mouse->closeHot = FALSE;
        POINT at = {x, y};
        if (PtInRect(&mouse->closeSquare, at)) {
            PostMessageA(group, WM_COMMAND, CMD_CLOSE_ZETTLY, 0);
            return;
        }
        DrawCloseButton(group, slot, FALSE);
    }
}

static void OnGroupDoubleClick(HWND group, int slot, WPARAM keys, int y)
{
    if (!IsSlot(slot) || y > StripHeight(group, slot))
        return;
    KillTimer(group, NOTE_TITLE_TIMER);
    if (keys & MK_SHIFT) {
        RECT w;
        GetWindowRect(group, &w);
        ZettlyRecord *z = &ZettlyTable[slot];
        z->unrolledRect.left = z->restoreRect.left = w.left;
        z->unrolledRect.right = z->restoreRect.right = w.right;
    }
    PostMessageA(group, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
}

static void OnGroupTimer(HWND group)
{
    GroupMouse *mouse = MouseOf(group);
    if (!mouse)
        return;
    KillTimer(group, NOTE_TITLE_TIMER);
    POINT now;
    GetCursorPos(&now);
    if (std::abs(now.x - mouse->pressScreen.x) <= NOTE_TITLE_HOLD_SLOP &&
        std::abs(now.y - mouse->pressScreen.y) <= NOTE_TITLE_HOLD_SLOP)
        PostMessageA(group, WM_COMMAND, CMD_SET_TITLE, 0);
}

static void OnGroupHover(HWND group, int slot)
{
    GroupMouse *mouse = MouseOf(group);
    if (!mouse)
        return;
    if (!IsSlot(slot) || !ZettlyInfo.closeButton)
        return;
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(group, &at);
    int width = ClientWidth(group), strip = StripHeight(group, slot);
    bool over = at.x >= width - strip && at.x <= width && at.y >= 1 && at.y <= strip - 1;
    if (over != (mouse->closeHot != FALSE)) {
        DrawCloseButton(group, slot, over);
        mouse->closeHot = over;
    }
}

static LRESULT OnGroupNcPaint(HWND group, int slot, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcA(group, WM_NCPAINT, wParam, lParam);
    if (ZettlyInfo.customBorder || ZettlyInfo.blackBorder)
        PaintZettlyFrame(group, WM_NCPAINT, wParam, lParam, slot);
    return result;
}

LRESULT CALLBACK GroupWndProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && !MakeWindowBlock(group, sizeof(GroupMouse)))
        return FALSE;
    if (message == WM_NCDESTROY) {
        ForgetRoll(group);
        ReleaseGroupMenu(group);
        FreeWindowBlock(group);
    }
    if (message == WM_CREATE)
        return OnGroupCreate(group, (const CREATESTRUCTA *)lParam);
    int slot = FindZettlyByWindow(group);
    if (message == RollFinishedMessage() && message != 0) {
        const RollParams *p = (const RollParams *)lParam;
        LRESULT done = FinishRoll(group, p);
        if (p->endSlot >= 0)
            LayoutGroupScrollBars(slot);
        return done;
    }
    switch (message) {
    case WM_DESTROY:
        OnGroupDestroy(group);
        return 0;
    case WM_ENTERSIZEMOVE: // the user sizes the group by its frame
        ReleaseZettlyPlace(group);
        break;
    case WM_SIZE:
        OnGroupSize(group, slot, LOWORD(lParam));
        break;
    case WM_GETMINMAXINFO:
        OnGroupMinMax(group, slot, (MINMAXINFO *)lParam);
        return 0;
    case WM_PAINT:
        OnGroupPaint(group, slot, (HDC)wParam);
        return 0;
    case WM_ERASEBKGND:
        if (OnGroupEraseBackground(group, slot, (HDC)wParam))
            return 1;
        break;
    case WM_NCPAINT:
        return OnGroupNcPaint(group, slot, wParam, lParam);
    case WM_NCACTIVATE:
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (IsSlot(slot))
            OnGroupScroll(group, slot, message == WM_HSCROLL ? SB_HORZ : SB_VERT,
                          LOWORD(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnGroupButtonDown(group, slot, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnGroupMouseMove(group, slot, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnGroupButtonUp(group, slot, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnGroupDoubleClick(group, slot, wParam, GET_Y_LPARAM(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == NOTE_TITLE_TIMER) {
            OnGroupTimer(group);
            return 0;
        }
        break;
    case WM_SETCURSOR:
    case WM_NCMOUSEMOVE:
        OnGroupHover(group, slot);
        break;
    case WM_CONTEXTMENU:
        if (IsSlot(slot))
            ShowGroupMenu(group, slot, lParam);
        return 0;
    case WM_HELP:
        OpenHelpFile();
        return TRUE;
    case WM_DROPFILES:
        if (IsSlot(slot))
            OnGroupDropFiles(group, slot, (HDROP)wParam, lParam);
        return 0;
    case WM_COMMAND:
        return OnGroupCommand(group, slot, wParam, lParam);
    }
    return DefWindowProcA(group, message, wParam, lParam);
}

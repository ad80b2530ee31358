#include "main_commands.h"

#include <cstring>

#include "core/arcade_features.h"
#include "core/editing_features.h"
#include "alarms.h"
#include "companions.h"
#include "core/core_ids.h"
#include "main_window.h"
#include "main_window_state.h"
#include "zettlies_files.h"
#include "core/note_editor/note_edit.h"
#include "core/note_window/preferences_dialog.h"
#include "quick_pick.h"
#include "core/note_editor/transparency.h"
#include "tray_menu.h"
#include "ui_seams.h"
#include "zettly_information.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/window_creation.h"

int NewZettly(HWND mainWindow, BOOL isGroup)
{
    int slot = FindFreeZettlySlot();
    if (slot < 0) {
        ZtMessageBox(mainWindow, "Can't Create Any More Zettlies", "Out Of Array Space",
                     MB_ICONHAND);
        return -1;
    }
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    if (isGroup)
        ZettlyTable[slot].isGroup = 1;
    if (CreateZettlyWindow(mainWindow, slot, TRUE, TRUE) != 0)
        return -1;
    SetForegroundWindow(ZettlyTable[slot].window);
    if (ZettlyTable[slot].editWindow)
        SetFocus(ZettlyTable[slot].editWindow);
    return slot;
}

void JumpToZettly(int slot)
{
    if (!IsUsedSlot(slot))
        return;
    ZettlyRecord &z = ZettlyTable[slot];
    HWND edit = z.editWindow;
    // The note's toolbar and check list stay out of the way while it moves.
    if (edit)
        SendMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
    if (z.showCommand == 0) {
        z.showCommand = 1;
        ShowWindow(z.window, SW_SHOWNORMAL);
    }
    if (z.isMember && IsUsedSlot(z.groupSlot) && ZettlyTable[z.groupSlot].rolledUp) {
        SetForegroundWindow(ZettlyTable[z.groupSlot].window);
        SendMessageA(ZettlyTable[z.groupSlot].window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    }
    if (z.rolledUp)
        SendMessageA(z.window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    SetForegroundWindow(z.window);
    if (edit) {
        SendMessageA(edit, WM_USER, EDIT_SHOW_COMPANIONS, 0);
        PostMessageA(edit, WM_USER, EDIT_TAKE_FOCUS, 0);
    }
}

// ---- keyboard shortcuts

static HWND LiveQuickPick(MainWindowState *s)
{
    if (s->quickPick && !IsWindow(s->quickPick))
        s->quickPick = nullptr;
    return s->quickPick;
}

static void CloseQuickPick(MainWindowState *s)
{
    if (LiveQuickPick(s))
        DestroyWindow(s->quickPick);
    s->quickPick = nullptr;
}

BOOL RunShortcut(HWND mainWindow, int code)
{
    MainWindowState *s = MainStateOf(mainWindow);
    if (!s)
        return FALSE;
    int selected = s->quickPickSlot;
    switch (code) {
    case SHORTCUT_OPEN_LIST:
        if (!LiveQuickPick(s))
            s->quickPick = OpenQuickPickList(mainWindow, &s->quickPickSlot);
        return TRUE;
    case SHORTCUT_JUMP:
        if (!LiveQuickPick(s))
            return TRUE;
        if (selected >= 0 && selected <= ZETTLY_LAST_NOTE_SLOT)
            PostMessageA(mainWindow, WM_COMMAND, CMD_JUMP_FIRST + selected, 0);
        CloseQuickPick(s);
        return TRUE;
    case SHORTCUT_NEXT:
    case SHORTCUT_PREVIOUS:
        if (LiveQuickPick(s))
            PostMessageA(s->quickPick, WM_USER, MAIN_SHORTCUT, code);
        return TRUE;
    case SHORTCUT_NEW_NOTE:
        SendMessageA(mainWindow, WM_COMMAND, CMD_NEW_ZETTLY, 0);
        if (LiveQuickPick(s))
            SendMessageA(s->quickPick, WM_USER, MAIN_SHORTCUT, SHORTCUT_CLOSE_LIST);
        return TRUE;
    case SHORTCUT_DELETE_NOTE: {
        // The selection outlives the list: without the list on screen the user
        // cannot see which note would go, so nothing goes.
        if (!LiveQuickPick(s) || !IsUsedSlot(selected))
            return TRUE;
        HWND note = ZettlyTable[selected].window;
        SendMessageA(mainWindow, WM_USER, MAIN_SHORTCUT, SHORTCUT_JUMP);
        PostMessageA(note, WM_COMMAND, CMD_CLOSE_ZETTLY, 0);
        return TRUE;
    }
    case SHORTCUT_CLOSE_LIST:
        CloseQuickPick(s);
        return TRUE;
    }
    return FALSE;
}

// ---- re-align

struct RealignCursor {
    int x, y, columnWidth;
};

// Lines the note up under the one before, as a strip of its title, starting a
// new column where the screen ends. The stored rectangles keep the unrolled
// size at the new place so that unrolling brings the note back whole.
static void RealignNote(int slot, RealignCursor *cursor, BOOL unlink)
{
    ZettlyRecord &z = ZettlyTable[slot];
    HWND window = z.window;
    StoreZettlyRect(slot);
    ShowWindow(window, SW_HIDE);
    HideStripCompanions(slot);
    if (unlink) {
        z.isGroup = 0;
        z.groupLastX = 0;
        z.groupLastY = 0;
        z.isMember = 0;
        z.groupSlot = 0;
        SetParent(window, nullptr);
    }
    int titleHeight = GetFontCharHeight(window, slot);
    if (GetSystemMetrics(SM_CYFRAME) + titleHeight + cursor->y + 2 >=
        GetSystemMetrics(SM_CYSCREEN)) {
        cursor->x += cursor->columnWidth + 1;
        cursor->columnWidth = 0;
        cursor->y = 0;
    }
    if (!z.rolledUp) {
        RECT r;
        if (GetWindowRect(window, &r))
            z.windowRect = ZettlyRect{r.left, r.top, r.right, r.bottom};
        z.rolledUp = 1;
    }
    int width = z.windowRect.right - z.windowRect.left;
    int height = z.windowRect.bottom - z.windowRect.top;
    z.windowRect = ZettlyRect{cursor->x, cursor->y, cursor->x + width, cursor->y + height};
    z.unrolledRect = z.windowRect;
    z.unrolledRectValid = 1;
    MoveWindow(window, cursor->x, cursor->y, width, 0, FALSE);
    cursor->y += titleHeight + 2 + GetSystemMetrics(z.thinBorder ? SM_CYEDGE : SM_CYFRAME);
    if (width > cursor->columnWidth)
        cursor->columnWidth = width;
    ShowWindow(window, SW_SHOW);
}

static void RealignWhere(bool (*chosen)(int slot), BOOL unlink)
{
    RealignCursor cursor = {0, 0, 0};
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (chosen(slot))
            RealignNote(slot, &cursor, unlink);
}

static LRESULT OnRealign(HWND mainWindow)
{
    if (ZtMessageBox(mainWindow,
                     "This action will re-align zettly windows from the top left hand corner of "
                     "the screen, downwards.\r\nThis action is unrecoverable, it is used to "
                     "re-position lost zettlies from outside the windows desktop display "
                     "area.\r\nAre you sure you want to do this?",
                     "Re-align Zettly Windows", MB_YESNO | MB_ICONHAND) != IDYES)
        return 0;
    RealignWhere(IsUsedSlot, FALSE);
    return 0;
}

// A member whose group record is gone, is not a group any more, or has no window.
static bool IsUnlinkedMember(int slot)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    if (!z.window || !z.isMember)
        return false;
    int group = z.groupSlot;
    if (group < 0 || group >= ZETTLY_SLOTS || !ZettlyTable[group].isGroup)
        return true;
    return group > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[group].window;
}

static LRESULT OnFixUnlinked(HWND mainWindow)
{
    if (ZtMessageBox(mainWindow,
                     "This action of locate unlinked zettlies that have become detached from "
                     "zettly groups. These zettlies will be re-aligned from the top left hand "
                     "corner of the screen, downwards.\r\nAre you sure you want to do this?",
                     "Fix Unlinked Zettly Windows", MB_YESNO | MB_ICONHAND) != IDYES)
        return 0;
    RealignWhere(IsUnlinkedMember, TRUE);
    return 0;
}

// ---- the other commands

static LRESULT OnNewZettly(HWND mainWindow)
{
    return NewZettly(mainWindow, FALSE);
}

static LRESULT OnNewGroup(HWND mainWindow)
{
    return NewZettly(mainWindow, TRUE);
}

static LRESULT OnDefaultPrefs(HWND mainWindow)
{
    if (PrefsDialog.open) {
        ZtMessageBox(mainWindow,
                     "Only one instance of the preference dialog\ncan be open at a time",
                     "Preference Open Error", MB_ICONASTERISK);
        return 0;
    }
    PrefsDialog.open = 1;
    INT_PTR result = RunPreferencesDialog(mainWindow, ZETTLY_DEFAULT_SLOT);
    PrefsDialog.open = 0;
    if (result > 0) {
        // The defaults dialog also holds the global transparency, which
        // every open note shows.
        ApplyPreferencesTransparency();
        PostMessageA(mainWindow, WM_USER, MAIN_SAVE_PERIOD_CHANGED, 0);
    }
    return 0;
}

static int CountUsedSlots(void)
{
    int used = 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window)
            ++used;
    return used;
}

static LRESULT OnInformation(HWND mainWindow)
{
    ZettlyInformation info = {};
    info.usedCount = CountUsedSlots();
    char folder[MAX_PATH + 1] = {};
    if (DataFolderPath("", folder, sizeof folder) != 0)
        folder[0] = 0;
    size_t length = std::strlen(folder);
    if (length > 0 && folder[length - 1] == '\\')
        folder[length - 1] = 0; // the box joins the names with their own separator
    info.folder = folder;
    info.autoSavePeriodMs = ZettlyInfo.autoSavePeriod;
    SYSTEMTIME saved = {};
    GetRecordFileTime(&saved);
    info.hour = saved.wHour;
    info.minute = saved.wMinute;
    info.second = saved.wSecond;
    info.day = saved.wDay;
    info.month = saved.wMonth;
    info.year = saved.wYear;
    char text[1024];
    if (FormatZettlyInformation(&info, text, sizeof text) < 0)
        return 0;
    ZtMessageBox(mainWindow, text, "Zettly Information", MB_ICONASTERISK);
    return 0;
}

static LRESULT OnSaveNow(HWND mainWindow)
{
    if (SaveZettlies(nullptr) == 0) {
        TellSavedAside(mainWindow);
        return 0;
    }
    TellSaveFailure(mainWindow);
    return 0;
}

static LRESULT OnNuke(HWND mainWindow)
{
    if (ZtMessageBox(mainWindow,
                     "This action will delete all zettly windows!\r\nAre you sure you want to do "
                     "this?",
                     "Nuke'em all", MB_YESNO | MB_ICONHAND) != IDYES)
        return 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        // A group takes its members with it, so each slot is looked at afresh.
        if (!ZettlyTable[slot].window)
            continue;
        SetForegroundWindow(mainWindow);
        DestroyWindow(ZettlyTable[slot].window);
    }
    return 0;
}

static LRESULT OnHideAll(HWND mainWindow)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && ZettlyTable[slot].showCommand != 0)
            PostMessageA(ZettlyTable[slot].window, WM_COMMAND, CMD_HIDE_ZETTLY, 0);
    return 0;
}

static LRESULT OnShowAll(HWND mainWindow)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && ZettlyTable[slot].showCommand == 0) {
            ZettlyTable[slot].showCommand = 1;
            ShowWindow(ZettlyTable[slot].window, SW_SHOWNORMAL);
        }
    return 0;
}

// The companion's own settings go; an open companion is closed first (it
// would write them back) and opened again afterwards with its defaults.
static void ResetCompanion(HWND mainWindow, Companion which)
{
    bool wasOpen = LiveCompanionWindow(which) != nullptr;
    if (wasOpen)
        ToggleCompanion(mainWindow, which);
    RegDeleteTreeA(ZtRegistryRoot(), Companions[which].resetKey);
    if (wasOpen)
        ToggleCompanion(mainWindow, which);
}

static LRESULT OnResetPlayer(HWND mainWindow)
{
    ResetCompanion(mainWindow, COMPANION_PLAYER);
    return 0;
}

static LRESULT OnResetClock(HWND mainWindow)
{
    ResetCompanion(mainWindow, COMPANION_CLOCK);
    return 0;
}

static LRESULT OnResetMeter(HWND mainWindow)
{
    ResetCompanion(mainWindow, COMPANION_METER);
    return 0;
}

static LRESULT OnImport(HWND mainWindow)
{
    Editing().importZettlyDialog(0);
    return 0;
}

static LRESULT OnExportAll(HWND mainWindow)
{
    Editing().exportZettliesToFolder(mainWindow, -1);
    return 0;
}

static LRESULT OnImportAll(HWND mainWindow)
{
    Editing().importZettliesFromFolder(mainWindow);
    return 0;
}

static LRESULT OnHelp(HWND mainWindow)
{
    OpenHelpFile();
    return 0;
}

static LRESULT OnProcessTree(HWND mainWindow)
{
    MainWindowState *s = MainStateOf(mainWindow);
    if (!s)
        return 0;
    if (s->processTreeOpen) {
        ZtMessageBox(mainWindow,
                     "Only one instance of the process tree dialog box\ncan be open at a time.",
                     "Process Tree Open Error", MB_ICONASTERISK);
        return 0;
    }
    s->processTreeOpen = TRUE;
    CheckTrayMenuItem(CMD_SHOW_PROCESS_TREE, TRUE);
    RunProcessTreeDialog(mainWindow);
    CheckTrayMenuItem(CMD_SHOW_PROCESS_TREE, FALSE);
    // A quit from the tray while the dialog ran may have taken the window
    // and its block with it: the block is looked up again.
    if ((s = MainStateOf(mainWindow)) != nullptr)
        s->processTreeOpen = FALSE;
    return 0;
}

static LRESULT OnAbout(HWND mainWindow)
{
    OpenAboutBox(mainWindow);
    return 0;
}

static LRESULT OnQuit(HWND mainWindow)
{
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    return 0;
}

struct MainCommand {
    int id;
    LRESULT (*run)(HWND mainWindow);
};

static const MainCommand MainCommands[] = {
    {CMD_NEW_ZETTLY, OnNewZettly},
    {CMD_NEW_GROUP, OnNewGroup},
    {CMD_DEFAULT_PREFS, OnDefaultPrefs},
    {CMD_INFO, OnInformation},
    {CMD_SAVE_NOW, OnSaveNow},
    {CMD_REALIGN, OnRealign},
    {CMD_NUKE, OnNuke},
    {CMD_HIDE_ALL, OnHideAll},
    {CMD_SHOW_ALL, OnShowAll},
    {CMD_FIX_UNLINKED, OnFixUnlinked},
    {CMD_RESET_PLAYER, OnResetPlayer},
    {CMD_RESET_CLOCK, OnResetClock},
    {CMD_RESET_METER, OnResetMeter},
    {CMD_IMPORT, OnImport},
    {CMD_EXPORT_ALL, OnExportAll},
    {CMD_IMPORT_ALL, OnImportAll},
    {CMD_HELP, OnHelp},
    {CMD_SHOW_PROCESS_TREE, OnProcessTree},
    {CMD_ABOUT, OnAbout},
    {CMD_QUIT, OnQuit},
};

BOOL RunMainCommand(HWND mainWindow, int command, LRESULT *result)
{
    *result = 0;
    if (command >= CMD_JUMP_FIRST && command <= CMD_JUMP_LAST) {
        JumpToZettly(command - CMD_JUMP_FIRST);
        return TRUE;
    }
    int companion = CompanionOfCommand(command);
    if (companion >= 0) {
        ToggleCompanion(mainWindow, (Companion)companion);
        return TRUE;
    }
    for (const MainCommand &c : MainCommands)
        if (c.id == command) {
            *result = c.run(mainWindow);
            return TRUE;
        }
    return FALSE;
}

#include "note_commands.h"

#include <richedit.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "alarm_dialog.h"
#include "dialog_ids.h"
#include "note_window.h"
#include "core/notes_table/notes_file_ids.h"
#include "core/notes_table/rich_text_stream.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_editor/note_colours.h"
#include "group_window.h"
#include "preferences_dialog.h"
#include "roll_animation.h"
#include "title_edit.h"
#include "core/note_editor/transparency.h"
#include "ui_seams.h"
#include "window_creation.h"

// ---------------------------------------------------------------- the menu

// One menu serves every note, since only one can be open at a time; it lives
// while any note window does.
struct NoteMenuSet {
    HMENU menu;
    HMENU calculator;
    HMENU group; // replaced at every opening
    HMENU mail;
    HMENU process;
    int users;   // note windows that hold it
};
static NoteMenuSet Menus;

enum { GROUP_MENU_POSITION = 10 };

#define ROLL_TEXT "Roll Zettly\tAlt+Z"
#define UNROLL_TEXT "UnRoll Zettly\tAlt+Z"
#define GROUP_MENU_TEXT "Group Add/Remove"

struct MenuLine {
    UINT id;
    const char *text;
};

static HMENU MakePopup(const MenuLine *lines, int count)
{
    HMENU popup = CreatePopupMenu();
    for (int i = 0; popup && i < count; ++i)
        AppendMenuA(popup, MF_STRING, lines[i].id, lines[i].text);
    return popup;
}

template <int N> static HMENU MakePopup(const MenuLine (&lines)[N])
{
    return MakePopup(lines, N);
}

static void AppendLines(HMENU menu, const MenuLine *lines, int count)
{
    for (int i = 0; i < count; ++i)
        AppendMenuA(menu, MF_STRING, lines[i].id, lines[i].text);
}

static void AppendPopup(HMENU menu, HMENU popup, const char *text)
{
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)popup, text);
}

static void BuildNoteMenu(void)
{
    if (Menus.menu)
        return;
    static const MenuLine head[] = {
        {CMD_NEW_ZETTLY, "&New Zettly\tAlt+N"},
        {CMD_ROLL_ZETTLY, ROLL_TEXT},
        {CMD_SET_TITLE, "Set Zettly &Title\tAlt+T"},
        {CMD_PREFERENCES, "&Preferences\tAlt+P"},
        {CMD_ALWAYS_ON_TOP, "Always On Top\tAlt+V"},
        {CMD_SET_ALARM, "Set &Alarm\tAlt+A"},
        {CMD_SPELL_CHECK, "Spell Check Zettly\tAlt+O"},
        {CMD_HIDE_ZETTLY, "Hide Zettly\tAlt+H"},
    };
    static const MenuLine printer[] = {
        {CMD_PRINT, "Print &Zettly\tAlt+S"},
        {CMD_PRINT_PREVIEW, "Print &Preview"},
    };
    static const MenuLine calculator[] = {
        {CMD_CALC_MODE, "Calc Mode On/Off\tAlt+C"},
        {CMD_CALC_SELECTION, "Calc Selection\tAlt+Enter"},
    };
    static const MenuLine find[] = {
        {CMD_FIND, "&Find Text\tAlt+F"},
        {CMD_REPLACE, "Find &Replace Text\tAlt+R"},
    };
    // The menu names Alt+Q and Alt+W the other way round from the key table.
    static const MenuLine mail[] = {
        {CMD_MAIL_TEXT, "Plain Text\tAlt+Q"},
        {CMD_MAIL_EXP_RECORD, "With Zettly Exp Record"},
        {CMD_MAIL_RICH_TEXT, "With Zettly Exp Rich Text"},
        {CMD_MAIL_INSTALLER, "With Zettly Installer\tAlt+W"},
    };
    static const MenuLine process[] = {
        {CMD_CONSOLE_MODE, "Console Mode\tAlt+J"},
        {CMD_SHOW_PROCESS_TREE, "Show Process Tree\tAlt+K"},
        {CMD_DUMP_PROCESS_TREE, "Dump Process Tree\tAlt+L"},
        {CMD_STARTUP_CMD, "Start-up CMD\tAlt+M"},
    };
    static const MenuLine exchange[] = {
        {CMD_IMPORT, "Import Zettly\tAlt+I"},
        {CMD_EXPORT, "E&xport Zettly\tAlt+X"},
    };
    static const MenuLine tail[] = {
        {CMD_MAKE_DEFAULT, "Make As &Default Style\tAlt+D"},
        {CMD_CLOSE_ZETTLY, "&Close Zettly\tAlt+F4"},
    };
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    Menus.menu = menu;
    AppendLines(menu, head, 8);
    AppendPopup(menu, MakePopup(printer), "Printer");
    // The group list stands here, empty, until the first opening moves it
    // behind "Calculator".
    Menus.group = CreatePopupMenu();
    AppendPopup(menu, Menus.group, "");
    Menus.calculator = MakePopup(calculator);
    AppendPopup(menu, Menus.calculator, "Calculator");
    AppendPopup(menu, MakePopup(find), "Find Utils");
    Menus.mail = MakePopup(mail);
    AppendPopup(menu, Menus.mail, "Mail To ...");
    Menus.process = MakePopup(process);
    AppendPopup(menu, Menus.process, "Process Functions");
    AppendPopup(menu, MakePopup(exchange), "Export/Import");
    AppendLines(menu, tail, 2);
}

void TakeNoteMenu(void)
{
    if (Menus.users++ == 0)
        BuildNoteMenu();
}

void ReleaseNoteMenu(void)
{
    if (Menus.users <= 0 || --Menus.users > 0)
        return;
    if (Menus.menu)
        DestroyMenu(Menus.menu);
    Menus = NoteMenuSet{};
}

static int PositionOf(HMENU menu, HMENU popup)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (GetSubMenu(menu, i) == popup)
            return i;
    return -1;
}

static bool IsGroupSlot(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[slot].window &&
           ZettlyTable[slot].isGroup;
}

static void RebuildGroupMenu(int slot)
{
    HMENU groups = CreatePopupMenu();
    if (!groups)
        return;
    bool member = slot >= 0 && ZettlyTable[slot].isMember;
    AppendMenuA(groups, MF_STRING | (member ? 0 : MF_GRAYED), CMD_REMOVE_FROM_GROUP,
                "Remove From Group");
    AppendMenuA(groups, MF_SEPARATOR, 0, nullptr);
    for (int group = 0; group <= ZETTLY_LAST_NOTE_SLOT; ++group)
        if (IsGroupSlot(group))
            AppendMenuA(groups, MF_OWNERDRAW, CMD_ADD_TO_GROUP_FIRST + group,
                        (const char *)ZettlyTable[group].title);
    int old = PositionOf(Menus.menu, Menus.group);
    if (old >= 0) {
        RemoveMenu(Menus.menu, old, MF_BYPOSITION);
        DestroyMenu(Menus.group);
    }
    Menus.group = groups;
    InsertMenuA(Menus.menu, GROUP_MENU_POSITION, MF_BYPOSITION | MF_POPUP, (UINT_PTR)groups,
                GROUP_MENU_TEXT);
}

static void CheckItem(HMENU menu, UINT id, bool on)
{
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

static void UpdateNoteMenu(int slot)
{
    HMENU menu = Menus.menu;
    const ZettlyRecord *z = slot >= 0 ? &ZettlyTable[slot] : nullptr;
    ModifyMenuA(menu, CMD_ROLL_ZETTLY, MF_BYCOMMAND | MF_STRING, CMD_ROLL_ZETTLY,
                z && z->rolledUp ? UNROLL_TEXT : ROLL_TEXT);
    CheckItem(menu, CMD_ALWAYS_ON_TOP, z && z->topMost);
    CheckItem(menu, CMD_SET_ALARM, z && z->alarmActive);
    CheckItem(menu, CMD_CONSOLE_MODE, z && z->consoleMode);
    int calculator = PositionOf(menu, Menus.calculator);
    if (calculator >= 0)
        CheckMenuItem(menu, calculator,
                      MF_BYPOSITION | (z && z->calculatorMode ? MF_CHECKED : MF_UNCHECKED));
    int mail = PositionOf(menu, Menus.mail);
    if (mail >= 0)
        EnableMenuItem(menu, mail, MF_BYPOSITION | (Editing().mailReady() ? MF_ENABLED : MF_GRAYED));
    int process = PositionOf(menu, Menus.process);
    bool windows9x = (GetVersion() & 0x80000000u) != 0;
    if (process >= 0)
        EnableMenuItem(menu, process, MF_BYPOSITION | (windows9x ? MF_GRAYED : MF_ENABLED));
    RebuildGroupMenu(slot);
}

LRESULT NoteContextMenu(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    if (!Menus.menu)
        return 0;
    UpdateNoteMenu(slot);
    if (wParam == 0)
        return (LRESULT)Menus.menu;
    TrackPopupMenuEx(Menus.menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, (short)LOWORD(lParam),
                     (short)HIWORD(lParam), note, nullptr);
    return 0;
}

static int GroupOfItem(UINT id)
{
    if (id < CMD_ADD_TO_GROUP_FIRST || id > CMD_ADD_TO_GROUP_LAST)
        return -1;
    return (int)(id - CMD_ADD_TO_GROUP_FIRST);
}

BOOL NoteMenuMeasureItem(HWND note, MEASUREITEMSTRUCT *item)
{
    if (!item || item->CtlType != ODT_MENU)
        return FALSE;
    int group = GroupOfItem(item->itemID);
    if (group < 0)
        return FALSE;
    MeasureTitleEntry(note, group, item);
    return TRUE;
}

BOOL NoteMenuDrawItem(HWND note, const DRAWITEMSTRUCT *item)
{
    if (!item || item->CtlType != ODT_MENU)
        return FALSE;
    int group = GroupOfItem(item->itemID);
    if (group < 0)
        return FALSE;
    if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))
        DrawTitleEntry(item->hDC, item->rcItem, group, (item->itemState & ODS_SELECTED) != 0);
    return TRUE;
}

// ---------------------------------------------------------------- helpers

// What every command handler is given.
struct NoteCommand {
    HWND note;
    int slot;
    HWND edit;
    UINT id;
    LPARAM lParam;
};

static HINSTANCE Instance(void)
{
    return GetModuleHandleA(nullptr);
}

// The note's check list and the edit toolbar step aside while a dialog runs.
static void Companions(const NoteCommand &c, WPARAM code)
{
    if (c.edit && IsWindow(c.edit))
        SendMessageA(c.edit, WM_USER, code, 0);
}

static ZettlyRecord *Record(const NoteCommand &c)
{
    return c.slot >= 0 && c.slot <= ZETTLY_LAST_NOTE_SLOT ? &ZettlyTable[c.slot] : nullptr;
}

static void Repaint(const NoteCommand &c)
{
    InvalidateRect(c.note, nullptr, TRUE);
}

// ---------------------------------------------------------------- new note

int NewZettlyFromNote(int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return -1;
    int fresh = FindFreeZettlySlot();
    if (fresh < 0) {
        ZtMessageBox(ZettlyTable[slot].window, "Can't Create Any More Zettlies",
                     "Out Of Array Space", MB_ICONHAND);
        return -1;
    }
    CloneZettly(slot, fresh);
    if (CreateZettlyWindow(MainWindow, fresh, TRUE, TRUE) != 0)
        return -1;
    ZettlyRecord *z = &ZettlyTable[fresh];
    if (z->isMember) {
        if (!IsGroupSlot(z->groupSlot) || AttachToGroup(z->groupSlot, fresh) != 0) {
            // The group went away: the copy lives on the desktop instead.
            z->isMember = 0;
            z->groupSlot = 0;
        } else {
            ZettlyRect r = z->windowRect;
            int left = r.left, top = r.top;
            PlaceInGroup(fresh, &left, &top, TRUE);
            MoveWindow(z->window, left, top, r.right - r.left, r.bottom - r.top, FALSE);
            ShowWindow(z->window, z->showCommand);
        }
    }
    SetForegroundWindow(z->window);
    return fresh;
}

static LRESULT OnNewZettly(const NoteCommand &c)
{
    return NewZettlyFromNote(c.slot);
}

// ---------------------------------------------------------------- preferences

static void SetAllTextColour(HWND edit, DWORD mask, COLORREF colour)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.crTextColor = colour;
    format.crBackColor = colour;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
}

// The handles that belong to the window being replaced.
struct WindowObjects {
    HWND window, edit, titleEdit, checkList;
    HFONT editFont, titleFont;
    HBRUSH brush;
};

static WindowObjects TakeWindowObjects(ZettlyRecord *z)
{
    WindowObjects o = {z->window,         z->editWindow,     z->titleEdit, z->checkListWindow,
                       z->editFontHandle, z->titleFontHandle, z->backBrush};
    // The new window makes its own; these stay with the old one until it is gone.
    z->editFontHandle = nullptr;
    z->titleFontHandle = nullptr;
    z->backBrush = nullptr;
    z->checkListWindow = nullptr;
    return o;
}

static void GiveBackWindowObjects(ZettlyRecord *z, const WindowObjects &o)
{
    z->window = o.window;
    z->editWindow = o.edit;
    z->titleEdit = o.titleEdit;
    z->checkListWindow = o.checkList;
    z->editFontHandle = o.editFont;
    z->titleFontHandle = o.titleFont;
    z->backBrush = o.brush;
}

static void DeleteWindowObjects(const WindowObjects &o)
{
    if (o.editFont)
        DeleteObject(o.editFont);
    if (o.titleFont)
        DeleteObject(o.titleFont);
    if (o.brush)
        DeleteObject(o.brush);
}

// The list keeps its items: it changes owner instead of being made again.
static void MoveCheckList(HWND list, HWND oldEdit, HWND note, HWND edit)
{
    if (!list || !IsWindow(list))
        return;
    if (GetWindowLongA(list, GWL_STYLE) & WS_CHILD)
        SetParent(list, GetParent(list) == oldEdit ? edit : note);
    else
        SetWindowLongPtrA(list, GWLP_HWNDPARENT, (LONG_PTR)note);
}

int RecreateZettlyWindow(int slot, COLORREF oldBack, COLORREF oldText)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window)
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    CaptureZettly(slot, FALSE);
    MemoryWriter rtf = {};
    int streamed = z->editWindow ? StreamRichTextOut(z->editWindow, &rtf) : STREAM_OUT_WHOLE;
    if (streamed != STREAM_OUT_WHOLE) {
        // The new window would get a cut text: the note stays as it is, with
        // its new settings in its record for the next start.
        std::free(rtf.block);
        if (streamed != STREAM_OUT_FAILED) {
            char text[ZETTLY_TITLE_BYTES + 400];
            std::snprintf(text, sizeof text, NOTE_NOT_COPIED_WHOLE,
                          z->title[0] ? z->title : NOTE_UNTITLED);
            ZtMessageBox(z->window, text, NOTE_NOT_COPIED_WHOLE_CAPTION, MB_ICONEXCLAMATION);
        }
        return -1;
    }
    // The new window is made before the old one goes, so that a failure
    // leaves the note, its text and its check list as they were.
    WindowObjects old = TakeWindowObjects(z);
    bool member = z->isMember != 0;
    if (CreateZettlyWindow(MainWindow, slot, FALSE, !member) != 0) {
        GiveBackWindowObjects(z, old);
        std::free(rtf.block);
        return -1;
    }
    MoveCheckList(old.checkList, old.edit, z->window, z->editWindow);
    z->checkListWindow = old.checkList;
    DestroyWindow(old.window);
    DeleteWindowObjects(old);

    if (member && IsGroupSlot(z->groupSlot) && AttachToGroup(z->groupSlot, slot) == 0) {
        ZettlyRect r = z->windowRect;
        int left = r.left, top = r.top;
        PlaceInGroup(slot, &left, &top, TRUE);
        MoveWindow(z->window, left, top, r.right - r.left, r.bottom - r.top, FALSE);
        ShowWindow(z->window, z->showCommand);
    }
    if (rtf.used)
        StreamInFromBlock(z->editWindow, rtf.block, rtf.used, SF_RTF);
    std::free(rtf.block);
    if (z->backColour != oldBack)
        SetAllTextColour(z->editWindow, CFM_BACKCOLOR, z->backColour);
    if (z->textColour != oldText)
        SetAllTextColour(z->editWindow, CFM_COLOR, z->textColour);

    // The dialog may have changed the global transparency too, which every
    // other note shows even when this one has its own.
    ApplyPreferencesTransparency();
    if (MainWindow)
        PostMessageA(MainWindow, WM_USER, MAIN_SAVE_PERIOD_CHANGED, 0);
    return 0;
}

static LRESULT OnPreferences(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (!z)
        return 0;
    if (PrefsDialog.open) {
        ZtMessageBox(c.note,
                     "Only one instance of the preference dialog box\ncan be open at a time.",
                     "Preference Open Error", MB_ICONINFORMATION);
        return 0;
    }
    COLORREF back = z->backColour, text = z->textColour;
    Companions(c, EDIT_HIDE_COMPANIONS);
    PrefsDialog.open = 1;
    INT_PTR answer = RunPreferencesDialog(c.note, c.slot);
    PrefsDialog.open = 0;
    Companions(c, EDIT_SHOW_COMPANIONS);
    if (answer != 1)
        return 0;
    RecreateZettlyWindow(c.slot, back, text);
    return 0;
}

// ---------------------------------------------------------------- window commands

static LRESULT OnRoll(const NoteCommand &c)
{
    return RollZettly(c.note, c.slot);
}

static LRESULT OnSetTitle(const NoteCommand &c)
{
    return ShowTitleEdit(c.note, c.slot);
}

static LRESULT OnAlwaysOnTop(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (!z)
        return 0;
    z->topMost = !z->topMost;
    SetWindowPos(c.note, z->topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return 0;
}

static int AlarmDialogOpen;

static LRESULT OnSetAlarm(const NoteCommand &c)
{
    if (AlarmDialogOpen) {
        ZtMessageBox(c.note, "Only one instance of the alarm dialog box\ncan be open at a time.",
                     "Alarm Open Error", MB_ICONINFORMATION);
        return 0;
    }
    AlarmDialogOpen = 1;
    Companions(c, EDIT_HIDE_COMPANIONS);
    // SetAlarmDialog registers the date pickers' class first: start-up's
    // InitCommonControls leaves it out on Windows (Wine registers every class),
    // and a dialog template naming an unknown class does not open at all.
    SetAlarmDialog(c.note, c.slot);
    AlarmDialogOpen = 0;
    Companions(c, EDIT_SHOW_COMPANIONS);
    Repaint(c);
    return 0;
}

static LRESULT OnCloseZettly(const NoteCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    if (ZtMessageBox(c.note, CLOSE_ZETTLY_QUESTION, ATTENTION_CAPTION,
                     MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        if (MainWindow)
            SetForegroundWindow(MainWindow);
        DestroyWindow(c.note);
        return 0;
    }
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 0;
}

static LRESULT OnHide(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (z)
        z->showCommand = 0;
    ShowWindow(c.note, SW_HIDE);
    Companions(c, EDIT_HIDE_COMPANIONS);
    if (MainWindow)
        SetForegroundWindow(MainWindow);
    return 0;
}

static LRESULT OnMakeDefault(const NoteCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    if (ZtMessageBox(c.note,
                     "This is an unrecoverable action.\nAre you sure you want to make this\n"
                     "zettly your default zettly style?",
                     ATTENTION_CAPTION, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        CloneZettly(c.slot, ZETTLY_DEFAULT_SLOT);
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 0;
}

static LRESULT OnSelectAll(const NoteCommand &c)
{
    if (c.edit)
        SendMessageA(c.edit, EM_SETSEL, 0, -1);
    return 0;
}

// ---------------------------------------------------------------- other concerns

static LRESULT OnPrint(const NoteCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    Editing().printZettly(Instance(), c.note, c.edit);
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 1;
}

static LRESULT OnPrintPreview(const NoteCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_PRINT_PREVIEW), c.edit, Editing().printPreviewDlgProc,
                    (LPARAM)c.edit);
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 1;
}

static LRESULT OnImport(const NoteCommand &c)
{
    SendMessageA(c.note, WM_DROPFILES, 0, 1);
    return 0;
}

static LRESULT OnExport(const NoteCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    Editing().exportZettlyDialog(c.slot);
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 0;
}

static LRESULT OnSpellCheck(const NoteCommand &c)
{
    if (c.edit)
        SendMessageA(c.edit, WM_COMMAND, CMD_EDIT_SPELL_CHECK, 0);
    return 0;
}

static LRESULT OnFind(const NoteCommand &c)
{
    Editing().openFindReplaceDialog(c.note, c.slot, c.id == CMD_REPLACE);
    return 0;
}

static LRESULT OnMail(const NoteCommand &c)
{
    // The check list and the toolbar stay where they are while mail is made.
    Companions(c, EDIT_SHOW_COMPANIONS);
    int result = Editing().mailZettlyCommand(c.note, c.slot, (int)c.id);
    if (result == -2)
        return 1;
    Companions(c, EDIT_SHOW_COMPANIONS);
    return 0;
}

static LRESULT OnCalculatorMode(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (z)
        z->calculatorMode = !z->calculatorMode;
    Repaint(c);
    return 0;
}

static LRESULT OnCalculateSelection(const NoteCommand &c)
{
    Editing().runEditTextOp(c.note);
    return 0;
}

static LRESULT OnConsoleMode(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (!z)
        return 0;
    if (z->consoleMode) {
        z->consoleMode = 0;
        Editing().consoleStop(c.slot, 1);
    } else {
        int result = Editing().consoleStart(c.slot);
        if (result == 0) {
            z->consoleMode = 1;
            z->calculatorMode = 0;
        } else if (result == -3) {
            ZtMessageBox(c.note,
                         "COMSPEC Environment variable is not set. Set this to point to you "
                         "command processor.",
                         "Console Mode Error", MB_OK);
        } else {
            ZtMessageBox(c.note, "An error occurred entering console mode", "Console Mode Error",
                         MB_OK);
        }
    }
    Repaint(c);
    return 0;
}

static LRESULT OnShowProcessTree(const NoteCommand &c)
{
    if (MainWindow)
        SendMessageA(MainWindow, WM_COMMAND, CMD_SHOW_PROCESS_TREE, 0);
    return 0;
}

static LRESULT OnDumpProcessTree(const NoteCommand &c)
{
    Editing().consoleListProcesses(c.slot);
    return 0;
}

static LRESULT OnStartupCmd(const NoteCommand &c)
{
    ShellExecuteA(GetDesktopWindow(), "open", "cmd", nullptr, nullptr, SW_SHOWDEFAULT);
    return 0;
}

static LRESULT OnRemoveFromGroup(const NoteCommand &c)
{
    ZettlyRecord *z = Record(c);
    if (z && z->isMember)
        DetachFromGroup(z->groupSlot, c.slot);
    return 0;
}

static LRESULT OnAddToGroup(const NoteCommand &c)
{
    int group = GroupOfItem(c.id);
    if (IsGroupSlot(group) && group != c.slot)
        AttachToGroupInView(group, c.slot);
    return 0;
}

// ---------------------------------------------------------------- routing

struct NoteCommandRoute {
    UINT id;
    LRESULT (*run)(const NoteCommand &c);
};

static const NoteCommandRoute Routes[] = {
    {CMD_NEW_ZETTLY, OnNewZettly},
    {CMD_ROLL_ZETTLY, OnRoll},
    {CMD_PREFERENCES, OnPreferences},
    {CMD_SET_TITLE, OnSetTitle},
    {CMD_ALWAYS_ON_TOP, OnAlwaysOnTop},
    {CMD_SET_ALARM, OnSetAlarm},
    {CMD_CLOSE_ZETTLY, OnCloseZettly},
    {CMD_PRINT, OnPrint},
    {CMD_PRINT_PREVIEW, OnPrintPreview},
    {CMD_IMPORT, OnImport},
    {CMD_EXPORT, OnExport},
    {CMD_MAKE_DEFAULT, OnMakeDefault},
    {CMD_SPELL_CHECK, OnSpellCheck},
    {CMD_FIND, OnFind},
    {CMD_REPLACE, OnFind},
    {CMD_MAIL_TEXT, OnMail},
    {CMD_MAIL_EXP_RECORD, OnMail},
    {CMD_MAIL_RICH_TEXT, OnMail},
    {CMD_MAIL_INSTALLER, OnMail},
    {CMD_CALC_MODE, OnCalculatorMode},
    {CMD_CALC_SELECTION, OnCalculateSelection},
    {CMD_HIDE_ZETTLY, OnHide},
    {CMD_CONSOLE_MODE, OnConsoleMode},
    {CMD_SHOW_PROCESS_TREE, OnShowProcessTree},
    {CMD_DUMP_PROCESS_TREE, OnDumpProcessTree},
    {CMD_STARTUP_CMD, OnStartupCmd},
    {CMD_REMOVE_FROM_GROUP, OnRemoveFromGroup},
    {CMD_SELECT_ALL_NOTE, OnSelectAll},
};

BOOL RunNoteCommand(HWND note, int slot, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    UINT id = LOWORD(wParam);
    NoteCommand c = {note, slot, slot >= 0 ? ZettlyTable[slot].editWindow : nullptr, id, lParam};
    if (GroupOfItem(id) >= 0) {
        *result = OnAddToGroup(c);
        return TRUE;
    }
    for (const NoteCommandRoute &route : Routes) {
        if (route.id == id) {
            *result = route.run(c);
            return TRUE;
        }
    }
    return FALSE;
}

// ---------------------------------------------------------------- dropped files

char *DroppedFilePath(HDROP drop, UINT index)
{
    UINT length = DragQueryFileA(drop, index, nullptr, 0);
    char *path = (char *)std::malloc((size_t)length + 1);
    if (!path)
        return nullptr;
    UINT got = DragQueryFileA(drop, index, path, length + 1);
    path[got <= length ? got : length] = 0;
    return path;
}

static void InsertDroppedFiles(HDROP drop, int answer, int slot)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char *path = DroppedFilePath(drop, i);
        if (!path)
            break;
        Editing().insertFileIntoZettly(path, answer, slot);
        std::free(path);
    }
    DragFinish(drop);
}

void OnZettlyDropFiles(HWND note, int slot, HDROP drop, LPARAM lParam)
{
    bool fromImport = !drop && lParam == 1;
    if (!drop && !fromImport)
        return;
    INT_PTR answer = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_DROP_CHOICE), note,
                                     ConfirmDlgProc, 0);
    NoteCommand c = {note, slot, slot >= 0 ? ZettlyTable[slot].editWindow : nullptr, 0, 0};
    Companions(c, EDIT_HIDE_COMPANIONS);
    switch (answer) {
    case IDC_DROP_OVERWRITE:
    case IDC_DROP_APPEND:
        if (fromImport)
            Editing().insertFileDialog((int)answer, slot);
        else
            InsertDroppedFiles(drop, (int)answer, slot);
        break;
    case IDC_DROP_CREATE_NEW:
        if (fromImport) {
            int fresh = Editing().importZettlyDialog(slot);
            if (fresh >= 0 && fresh <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[fresh].editWindow)
                SetFocus(ZettlyTable[fresh].editWindow);
        } else {
            InsertDroppedFiles(drop, IDC_DROP_CREATE_NEW, slot);
        }
        break;
    default:
        // Cancel, a closed dialog, or one that could not be shown: nothing goes in.
        if (drop)
            DragFinish(drop);
        break;
    }
    Companions(c, EDIT_SHOW_COMPANIONS);
}

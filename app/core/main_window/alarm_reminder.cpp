// The reminder (dialog 2000): on a thread of its own, one per due alarm.
// Everything it knows lives in its ReminderState; the record is written only
// while the slot still holds the note the reminder was opened for.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "core/notes_table/alarm_rules.h"
#include "alarms.h"
#include "clock_seam.h"
#include "core/core_ids.h"
#include "core/note_window/roll_animation.h"
#include "core/notes_table/data_folder.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/note_window.h"
#include "sound_seam.h"
#include "ui_seams.h"

namespace {
struct ReminderState {
    int slot;
    int day;
    HWND note;
    HWND textBox;
    int textTop;
    RECT firstWindow;
    RECT firstClient;
    bool expanded;
    bool snoozed;
    HFONT font;
    HBRUSH brush;
    COLORREF textColour;
    COLORREF backColour;
    HICON icons[2]; // collapsed, expanded: the module's shared icons, never destroyed
};
} // namespace

static ReminderState *StateOf(HWND dialog)
{
    return (ReminderState *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static ZettlyRecord *SameNote(const ReminderState *s)
{
    ZettlyRecord *z = &ZettlyTable[s->slot];
    return s->note && z->window == s->note ? z : nullptr;
}

static void StartAlarmEffects(const ReminderState *s)
{
    ZettlyRecord *z = SameNote(s);
    if (!z)
        return;
    if (!z->alarmContinuous) {
        z->soundPlaying = 1;
        PostMessageA(MainWindow, WM_USER, MAIN_START_ALARM_SOUND, s->slot);
    } else if (ZettlyInfo.soundEffects) {
        PlayDataFolderSound(ZettlySounds.alarm, SND_LOOP | SND_ASYNC);
    }
    if (z->blinkOn) {
        z->blinking = 1;
        PostMessageA(MainWindow, WM_USER, MAIN_START_ALARM_BLINK, s->slot);
    }
}

// The sound stops whatever the sound setting says now: it may have been
// switched off while a looping alarm played.
static void StopAlarmEffects(const ReminderState *s)
{
    ZtPlaySound(nullptr, SND_ASYNC | SND_PURGE);
    if (ZettlyRecord *z = SameNote(s)) {
        z->soundPlaying = 0;
        z->blinking = 0;
    }
}

static void LoadReminderIcons(ReminderState *s)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    s->icons[0] = LoadIconA(instance, MAKEINTRESOURCEA(IDI_REMINDER_COLLAPSED));
    s->icons[1] = LoadIconA(instance, MAKEINTRESOURCEA(IDI_REMINDER_EXPANDED));
}

static void FillDelayList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_REMINDER_DELAY);
    for (int entry = 0; entry < SNOOZE_ENTRIES; ++entry) {
        char text[16];
        std::snprintf(text, sizeof text, "%2d mins", SnoozeMinutes(entry));
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

// Read-only: what is typed here would never reach the note.
static DWORD TextBoxStyle(const ZettlyRecord *z)
{
    DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_READONLY;
    if (!z->wordWrap)
        style |= ES_AUTOHSCROLL;
    if (z->vertScroll)
        style |= WS_VSCROLL;
    if (z->horzScroll)
        style |= WS_HSCROLL;
    return style;
}

// The dialog opens cut just below the delay box; the text box lives in the
// room that expanding adds.
static void MakeTextBox(HWND dialog, ReminderState *s, const ZettlyRecord *z)
{
    RECT box;
    GetWindowRect(GetDlgItem(dialog, IDC_REMINDER_DELAY_BOX), &box);
    MapWindowPoints(nullptr, dialog, (POINT *)&box, 2);
    s->textTop = box.bottom + REMINDER_TEXT_GAP;
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top - (client.bottom - s->textTop),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(dialog, &s->firstWindow);
    GetClientRect(dialog, &s->firstClient);

    s->textBox = CreateWindowExA(WS_EX_DLGMODALFRAME, "edit", "", TextBoxStyle(z), 0, s->textTop,
                                 s->firstClient.right, 0, dialog, (HMENU)IDC_REMINDER_NOTE_TEXT,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!s->textBox) {
        ZtMessageBox(dialog, REMINDER_EDIT_TEXT, REMINDER_EDIT_CAPTION, MB_ICONHAND);
        return;
    }
    SendMessageA(s->textBox, EM_LIMITTEXT, 0, 0);
    s->font = CreateFontIndirectA((const LOGFONTA *)&z->editFont);
    if (s->font)
        SendMessageA(s->textBox, WM_SETFONT, (WPARAM)s->font, FALSE);
}

static INT_PTR OnReminderInit(HWND dialog, LPARAM parameter)
{
    uint32_t packed = (uint32_t)parameter;
    int slot = ReminderSlot(packed);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ReminderState *s = slot <= ZETTLY_LAST_NOTE_SLOT ? new (std::nothrow) ReminderState() : nullptr;
    if (!s) {
        ZtMessageBox(dialog, REMINDER_MEMORY_TEXT, REMINDER_MEMORY_CAPTION, MB_ICONHAND);
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
    s->slot = slot;
    s->day = ReminderDay(packed);
    ZettlyRecord *z = &ZettlyTable[slot];
    s->note = z->window;
    if (!s->note) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    z->alarmPending = 1;
    char text[96];
    FormatAlarmDateTime(text, sizeof text, slot);
    SetDlgItemTextA(dialog, IDC_REMINDER_TEXT, text);
    char title[ZETTLY_TITLE_BYTES];
    lstrcpynA(title, z->title, sizeof title);
    SetDlgItemTextA(dialog, IDC_REMINDER_TITLE, title);
    s->textColour = z->textColour;
    s->backColour = z->backColour;
    s->brush = CreateSolidBrush(z->backColour);
    StartAlarmEffects(s);
    FillDelayList(dialog);
    LoadReminderIcons(s);
    SetWindowPos(GetDlgItem(dialog, IDC_REMINDER_EXPAND), nullptr, 0, 0, REMINDER_ICON_SIZE,
                 REMINDER_ICON_SIZE, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MakeTextBox(dialog, s, z);
    return TRUE;
}

static void EndReminder(HWND dialog, ReminderState *s, INT_PTR result)
{
    KillTimer(dialog, REMINDER_SNOOZE_TIMER);
    if (s->textBox) {
        DestroyWindow(s->textBox);
        s->textBox = nullptr;
    }
    EndDialog(dialog, result);
}

static void Dismiss(HWND dialog, ReminderState *s)
{
    StopAlarmEffects(s);
    if (ZettlyRecord *z = SameNote(s)) {
        DismissAlarmDay(z, s->day);
        z->alarmPending = 0;
    }
    EndReminder(dialog, s, 1);
}

// Hidden until the timer: the thread goes on serving its dialog meanwhile.
static void Snooze(HWND dialog, ReminderState *s)
{
    int entry = (int)SendDlgItemMessageA(dialog, IDC_REMINDER_DELAY, CB_GETCURSEL, 0, 0);
    s->snoozed = true;
    ShowWindow(dialog, SW_HIDE);
    StopAlarmEffects(s);
    SetTimer(dialog, REMINDER_SNOOZE_TIMER, (UINT)SnoozeMinutes(entry) * 60000u, nullptr);
}

// A note closed while the reminder slept, or its slot given to another
// note, has nothing left to be reminded of.
static void OnSnoozeOver(HWND dialog, ReminderState *s)
{
    KillTimer(dialog, REMINDER_SNOOZE_TIMER);
    if (!SameNote(s)) {
        EndReminder(dialog, s, 0);
        return;
    }
    s->snoozed = false;
    StartAlarmEffects(s);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

// The dialog manager shows a modal dialog the first time its queue runs
// empty; a reminder snoozed before that must stay hidden.
static void OnReminderPositionChanging(const ReminderState *s, WINDOWPOS *position)
{
    if (s->snoozed)
        position->flags &= ~SWP_SHOWWINDOW;
}

static void CopyNoteText(const ReminderState *s)
{
    const ZettlyRecord *z = SameNote(s);
    HWND edit = z ? z->editWindow : nullptr;
    if (!edit)
        return;
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0)
        return;
    char *text = (char *)std::malloc((size_t)length + 1);
    if (!text)
        return;
    LRESULT got = SendMessageA(edit, WM_GETTEXT, (WPARAM)length + 1, (LPARAM)text);
    text[got >= 0 && got <= length ? got : 0] = 0;
    SetWindowTextA(s->textBox, text);
    std::free(text);
}

static void ToggleExpanded(HWND dialog, ReminderState *s)
{
    if (!s->textBox) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    CopyNoteText(s);
    s->expanded = !s->expanded;
    RECT now;
    GetWindowRect(dialog, &now);
    int firstWidth = s->firstWindow.right - s->firstWindow.left;
    int firstHeight = s->firstWindow.bottom - s->firstWindow.top;
    int right = s->expanded ? now.right : now.left + firstWidth;
    int bottom = now.top + firstHeight + (s->expanded ? REMINDER_EXPAND_PIXELS : 0);
    RollParams roll = {bottom, right, -1, nullptr, 0, dialog, ZettlyInfo.animationStep, 0, -1, 0, 0};
    if (StartRollAnimation(&roll) != 0)
        MoveWindow(dialog, now.left, now.top, right - now.left, bottom - now.top, TRUE);
    InvalidateRect(GetDlgItem(dialog, IDC_REMINDER_EXPAND), nullptr, TRUE);
}

static INT_PTR OnReminderCommand(HWND dialog, ReminderState *s, int id)
{
    switch (id) {
    case IDC_REMINDER_DISMISS:
    case IDCANCEL:
        Dismiss(dialog, s);
        return TRUE;
    case IDC_REMINDER_SNOOZE:
        Snooze(dialog, s);
        return TRUE;
    case IDC_REMINDER_EXPAND:
        ToggleExpanded(dialog, s);
        return TRUE;
    }
    return FALSE;
}

static void OnReminderSize(HWND dialog, const ReminderState *s)
{
    if (!s->textBox)
        return;
    RECT client;
    GetClientRect(dialog, &client);
    int height = client.bottom - s->textTop;
    MoveWindow(s->textBox, 0, s->textTop, client.right, height > 0 ? height : 0, TRUE);
    InvalidateRect(dialog, nullptr, TRUE);
}

static void OnReminderMinMax(const ReminderState *s, MINMAXINFO *info)
{
    if (IsRectEmpty(&s->firstWindow))
        return;
    POINT first = {s->firstWindow.right - s->firstWindow.left,
                   s->firstWindow.bottom - s->firstWindow.top};
    info->ptMinTrackSize = first;
    if (!s->expanded)
        info->ptMaxTrackSize = first;
}

static BOOL OnReminderDrawItem(const ReminderState *s, const DRAWITEMSTRUCT *item)
{
    if (item->CtlID != IDC_REMINDER_EXPAND)
        return FALSE;
    if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))
        DrawIconEx(item->hDC, 0, 0, s->icons[s->expanded ? 1 : 0], REMINDER_ICON_SIZE,
                   REMINDER_ICON_SIZE, 0, nullptr, DI_NORMAL);
    return TRUE;
}

static INT_PTR OnReminderColour(const ReminderState *s, HDC dc, HWND control)
{
    if (!s->textBox || control != s->textBox || !s->brush)
        return FALSE;
    SetTextColor(dc, s->textColour);
    SetBkColor(dc, s->backColour);
    return (INT_PTR)s->brush;
}

static void OnReminderDestroy(HWND dialog, ReminderState *s)
{
    if (s->font)
        DeleteObject(s->font);
    if (s->brush)
        DeleteObject(s->brush);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    delete s;
}

INT_PTR CALLBACK AlarmReminderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnReminderInit(dialog, lParam);
    ReminderState *s = StateOf(dialog);
    if (!s)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnReminderCommand(dialog, s, LOWORD(wParam));
    case WM_CLOSE:
        Dismiss(dialog, s);
        return TRUE;
    case WM_TIMER:
        if (wParam != REMINDER_SNOOZE_TIMER)
            return FALSE;
        OnSnoozeOver(dialog, s);
        return TRUE;
    case WM_SIZE:
        OnReminderSize(dialog, s);
        return TRUE;
    case WM_GETMINMAXINFO:
        OnReminderMinMax(s, (MINMAXINFO *)lParam);
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        OnReminderPositionChanging(s, (WINDOWPOS *)lParam);
        return FALSE;
    case WM_DRAWITEM:
        return OnReminderDrawItem(s, (const DRAWITEMSTRUCT *)lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return OnReminderColour(s, (HDC)wParam, (HWND)lParam);
    case WM_DESTROY:
        OnReminderDestroy(dialog, s);
        return TRUE;
    }
    return FALSE;
}

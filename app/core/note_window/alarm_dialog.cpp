// The alarm-setting dialog (dialog 1000). The controls are read into an
// AlarmChoice and stored by StoreChoice; nothing reaches the record before
// Save Settings passes its checks.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <new>

#include "alarm_dialog_rules.h"
#include "alarm_dialog.h"
#include "clock_seam.h"
#include "core/notes_table/zettly_slots.h"
#include "ui_seams.h"

namespace {
struct AlarmDialogState {
    int slot;
    HWND note;
    int firstListedYear;
};
} // namespace

static const char *const MonthNames[12] = {"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
static const char *const DayNames[ALARM_WEEK_DAYS] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

static const int PatternControls[] = {IDC_ALARM_YEAR,   IDC_ALARM_MONTH,  IDC_ALARM_DAYS,
                                      IDC_ALARM_HOUR,   IDC_ALARM_MINUTE, IDC_ALARM_AM_PM,
                                      IDC_ALARM_REPEATING};
static const int SingleControls[] = {IDC_ALARM_DATE, IDC_ALARM_TIME};

static void AddNumbered(HWND dialog, int id, const char *first, int from, int to, const char *format)
{
    if (first)
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)first);
    for (int value = from; value <= to; ++value) {
        char text[32];
        std::snprintf(text, sizeof text, format, value);
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)text);
    }
}

static void FillLists(HWND dialog, int currentYear)
{
    AddNumbered(dialog, IDC_ALARM_YEAR, "Every Year", currentYear,
                currentYear + ALARM_YEARS_LISTED - 1, "%d");
    SendDlgItemMessageA(dialog, IDC_ALARM_MONTH, CB_ADDSTRING, 0, (LPARAM) "Every Month");
    for (const char *month : MonthNames)
        SendDlgItemMessageA(dialog, IDC_ALARM_MONTH, CB_ADDSTRING, 0, (LPARAM)month);
    for (const char *day : DayNames)
        SendDlgItemMessageA(dialog, IDC_ALARM_DAYS, LB_ADDSTRING, 0, (LPARAM)day);
    for (int day = 1; day <= ALARM_MONTH_DAYS; ++day) {
        char text[16];
        std::snprintf(text, sizeof text, "Day %2d", day);
        SendDlgItemMessageA(dialog, IDC_ALARM_DAYS, LB_ADDSTRING, 0, (LPARAM)text);
    }
    AddNumbered(dialog, IDC_ALARM_HOUR, "Every Hour", 0, 12, "%2d");
    AddNumbered(dialog, IDC_ALARM_MINUTE, "Every Minute", 0, 59, "%2d");
    SendDlgItemMessageA(dialog, IDC_ALARM_AM_PM, CB_ADDSTRING, 0, (LPARAM) "AM");
    SendDlgItemMessageA(dialog, IDC_ALARM_AM_PM, CB_ADDSTRING, 0, (LPARAM) "PM");
}

static void ApplyModeRule(HWND dialog, bool patternMode)
{
    for (int id : PatternControls)
        EnableWindow(GetDlgItem(dialog, id), patternMode);
    for (int id : SingleControls)
        EnableWindow(GetDlgItem(dialog, id), !patternMode);
}

static void EnableRepeatCount(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_ALARM_REPEATS),
                 IsDlgButtonChecked(dialog, IDC_ALARM_CONTINUOUS) != BST_CHECKED);
}

static SYSTEMTIME SystemTimeOf(const AlarmClock &t)
{
    SYSTEMTIME s = {};
    s.wYear = (WORD)t.year;
    s.wMonth = (WORD)t.month;
    s.wDay = (WORD)t.day;
    s.wDayOfWeek = (WORD)t.dayOfWeek;
    s.wHour = (WORD)t.hour;
    s.wMinute = (WORD)t.minute;
    return s;
}

static void ShowChoice(HWND dialog, const AlarmChoice &c)
{
    SendDlgItemMessageA(dialog, IDC_ALARM_YEAR, CB_SETCURSEL, c.yearEntry, 0);
    SendDlgItemMessageA(dialog, IDC_ALARM_MONTH, CB_SETCURSEL, c.monthEntry, 0);
    SendDlgItemMessageA(dialog, IDC_ALARM_HOUR, CB_SETCURSEL, c.hourEntry, 0);
    SendDlgItemMessageA(dialog, IDC_ALARM_MINUTE, CB_SETCURSEL, c.minuteEntry, 0);
    SendDlgItemMessageA(dialog, IDC_ALARM_AM_PM, CB_SETCURSEL, c.pmEntry, 0);
    for (int entry = 0; entry < ALARM_DAY_ENTRIES; ++entry)
        SendDlgItemMessageA(dialog, IDC_ALARM_DAYS, LB_SETSEL, c.daySelected[entry], entry);
    SYSTEMTIME picked = SystemTimeOf(c.picked);
    SendDlgItemMessageA(dialog, IDC_ALARM_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&picked);
    SendDlgItemMessageA(dialog, IDC_ALARM_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&picked);
    CheckDlgButton(dialog, IDC_ALARM_REPEATING, c.repeating ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ALARM_ACTIVE, c.active ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ALARM_CONTINUOUS, c.continuous ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, IDC_ALARM_REPEATS, (UINT)c.repeats, FALSE);
    CheckRadioButton(dialog, IDC_ALARM_SINGLE, IDC_ALARM_PATTERN,
                     c.patternMode ? IDC_ALARM_PATTERN : IDC_ALARM_SINGLE);
    ApplyModeRule(dialog, c.patternMode);
    EnableRepeatCount(dialog);
}

static void ReadChoice(HWND dialog, const AlarmDialogState *s, AlarmChoice *c)
{
    c->patternMode = IsDlgButtonChecked(dialog, IDC_ALARM_PATTERN) == BST_CHECKED;
    SYSTEMTIME date = {}, time = {};
    SendDlgItemMessageA(dialog, IDC_ALARM_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
    SendDlgItemMessageA(dialog, IDC_ALARM_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&time);
    c->picked = AlarmClock{date.wYear, date.wMonth, date.wDay, date.wDayOfWeek, time.wHour, time.wMinute};
    c->firstListedYear = s->firstListedYear;
    c->yearEntry = (int)SendDlgItemMessageA(dialog, IDC_ALARM_YEAR, CB_GETCURSEL, 0, 0);
    c->monthEntry = (int)SendDlgItemMessageA(dialog, IDC_ALARM_MONTH, CB_GETCURSEL, 0, 0);
    c->hourEntry = (int)SendDlgItemMessageA(dialog, IDC_ALARM_HOUR, CB_GETCURSEL, 0, 0);
    c->minuteEntry = (int)SendDlgItemMessageA(dialog, IDC_ALARM_MINUTE, CB_GETCURSEL, 0, 0);
    c->pmEntry = (int)SendDlgItemMessageA(dialog, IDC_ALARM_AM_PM, CB_GETCURSEL, 0, 0);
    for (int entry = 0; entry < ALARM_DAY_ENTRIES; ++entry)
        c->daySelected[entry] = SendDlgItemMessageA(dialog, IDC_ALARM_DAYS, LB_GETSEL, entry, 0) > 0;
    c->repeating = IsDlgButtonChecked(dialog, IDC_ALARM_REPEATING) == BST_CHECKED;
    c->active = IsDlgButtonChecked(dialog, IDC_ALARM_ACTIVE) == BST_CHECKED;
    c->continuous = IsDlgButtonChecked(dialog, IDC_ALARM_CONTINUOUS) == BST_CHECKED;
    BOOL valid = FALSE;
    UINT repeats = GetDlgItemInt(dialog, IDC_ALARM_REPEATS, &valid, FALSE);
    c->repeatsValid = valid != FALSE;
    c->repeats = repeats;
}

static void SaveSettingsClicked(HWND dialog, const AlarmDialogState *s)
{
    ZettlyRecord *z = &ZettlyTable[s->slot];
    if (z->window != s->note) {
        EndDialog(dialog, 0);
        return;
    }
    AlarmChoice choice = {};
    ReadChoice(dialog, s, &choice);
    switch (StoreChoice(&choice, z)) {
    case ALARM_CHOICE_STORED:
        EndDialog(dialog, 1);
        return;
    case ALARM_CHOICE_BAD_AM_PM:
        ZtMessageBox(dialog, BAD_AM_PM_TEXT, BAD_AM_PM_CAPTION, MB_ICONASTERISK);
        return;
    case ALARM_CHOICE_NO_DAY:
        ZtMessageBox(dialog, NO_DAY_TEXT, DAY_SELECT_CAPTION, MB_ICONASTERISK);
        return;
    case ALARM_CHOICE_MIXED_DAYS:
        ZtMessageBox(dialog, MIXED_DAYS_TEXT, DAY_SELECT_CAPTION, MB_ICONASTERISK);
        return;
    }
}

static INT_PTR OnAlarmDialogInit(HWND dialog, LPARAM parameter)
{
    int slot = (int)parameter;
    AlarmDialogState *s = nullptr;
    if (slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[slot].window)
        s = new (std::nothrow) AlarmDialogState();
    if (!s) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
    s->slot = slot;
    s->note = ZettlyTable[slot].window;
    SYSTEMTIME local;
    ZtGetLocalTime(&local);
    AlarmClock now = {local.wYear, local.wMonth, local.wDay, local.wDayOfWeek, local.wHour, local.wMinute};
    s->firstListedYear = now.year;
    FillLists(dialog, now.year);
    AlarmChoice choice;
    ChoiceFromRecord(&ZettlyTable[slot], now, &choice);
    ShowChoice(dialog, choice);
    SendDlgItemMessageA(dialog, IDC_ALARM_TIME, DTM_SETFORMATA, 0, (LPARAM)ALARM_TIME_FORMAT);
    return TRUE;
}

static INT_PTR OnAlarmDialogCommand(HWND dialog, const AlarmDialogState *s, int id)
{
    switch (id) {
    case IDC_ALARM_SINGLE:
    case IDC_ALARM_PATTERN:
        ApplyModeRule(dialog, id == IDC_ALARM_PATTERN);
        return TRUE;
    case IDC_ALARM_CONTINUOUS:
        EnableRepeatCount(dialog);
        return TRUE;
    case IDC_ALARM_SAVE:
        SaveSettingsClicked(dialog, s);
        return TRUE;
    case IDC_ALARM_CANCEL:
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SetAlarmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnAlarmDialogInit(dialog, lParam);
    AlarmDialogState *s = (AlarmDialogState *)GetWindowLongPtrA(dialog, DWLP_USER);
    if (!s)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnAlarmDialogCommand(dialog, s, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete s;
        return TRUE;
    }
    return FALSE;
}

INT_PTR SetAlarmDialog(HWND owner, int slot)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SET_ALARM), owner,
                           SetAlarmDlgProc, (LPARAM)slot);
}

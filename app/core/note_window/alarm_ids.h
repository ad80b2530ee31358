// Dialogs, controls, icons and texts of the alarms. Plain defines: the
// resource compiler reads this header too.
#pragma once

#define IDD_SET_ALARM 1000
#define IDD_ALARM_REMINDER 2000
#define IDI_REMINDER_COLLAPSED 129
#define IDI_REMINDER_EXPANDED 130

// The alarm-setting dialog.
#define IDC_ALARM_SINGLE 9000
#define IDC_ALARM_PATTERN 9001
#define IDC_ALARM_DATE 1089
#define IDC_ALARM_TIME 1086
#define IDC_ALARM_YEAR 200
#define IDC_ALARM_MONTH 201
#define IDC_ALARM_DAYS 202
#define IDC_ALARM_HOUR 203
#define IDC_ALARM_MINUTE 204
#define IDC_ALARM_AM_PM 206
#define IDC_ALARM_REPEATING 1016
#define IDC_ALARM_ACTIVE 207
#define IDC_ALARM_CONTINUOUS 1005
#define IDC_ALARM_REPEATS 1002
#define IDC_ALARM_SAVE 208
#define IDC_ALARM_CANCEL 210

// The reminder.
#define IDC_REMINDER_TEXT 100
#define IDC_REMINDER_TITLE 120
#define IDC_REMINDER_DISMISS 130
#define IDC_REMINDER_DELAY_BOX 140
#define IDC_REMINDER_SNOOZE 150
#define IDC_REMINDER_DELAY 160
#define IDC_REMINDER_EXPAND 170
#define IDC_REMINDER_NOTE_TEXT 180 // the text box made at run time

#define SET_ALARM_CAPTION "Set Alarm For Zettly"
#define REMINDER_CAPTION "Zettlies Alarm Reminder"
#define REPEAT_SELECTED_TEXT                                                           \
    "Repeat Selected\n----------------------------\nEvery selected\nDay of Week\n" \
    "       OR\nDay of Month\nis repeated."
#define ALARM_TIME_FORMAT "hh:mm tt"

#ifndef RC_INVOKED
enum {
    REMINDER_SNOOZE_TIMER = 1,
    REMINDER_EXPAND_PIXELS = 100,
    REMINDER_TEXT_GAP = 5,
    REMINDER_ICON_SIZE = 32,
};
static_assert(IDI_REMINDER_COLLAPSED + 1 == IDI_REMINDER_EXPANDED, "reminder icons 129, 130");
static_assert(IDC_REMINDER_NOTE_TEXT > IDC_REMINDER_EXPAND && IDC_REMINDER_NOTE_TEXT < IDD_SET_ALARM,
              "the text box's id is one no template control uses");

#define BAD_AM_PM_TEXT "AM must have hours between 0 -11, PM must have hours between 12 - 11"
#define BAD_AM_PM_CAPTION "Bad AM/PM setting"
#define NO_DAY_TEXT "You must select a day for the alarm to occur."
#define MIXED_DAYS_TEXT "You CANNOT mix week and month day selections together."
#define DAY_SELECT_CAPTION "Day Select Error"
#define REMINDER_MEMORY_TEXT "Internal memory problem in display alarm info."
#define REMINDER_MEMORY_CAPTION "Memory error"
#define REMINDER_EDIT_TEXT "Can't Create Edit Control"
#define REMINDER_EDIT_CAPTION "Out Of Memory"
#endif

// When a note's alarm falls due, what its reminder says and what dismissing
// it leaves behind. Plain data only: the checks and dialogs in alarms.cpp,
// alarm_reminder.cpp and alarm_dialog.cpp apply these to the note table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/notes_table/zettly_record.h"

// A local date and time, the fields of SYSTEMTIME that alarms look at.
struct AlarmClock {
    int year, month, day; // day of the month 1..31
    int dayOfWeek;        // Sunday 0
    int hour, minute;     // 24-hour
};

enum {
    ALARM_EVERY = -1,       // year, month, hour or minute: any value
    ALARM_NEVER_HOUR = -2,  // an hour no clock reading can show
    ALARM_WEEK_DAYS = 7,
    ALARM_MONTH_DAYS = 31,
};

// Hour 0..23 as the record keeps it: 0..11 AM, 12 PM for noon, 1..11 PM after it.
void To12Hour(int hour24, int *hour12, int *pm);
// The record's hour back on the 24-hour clock: ALARM_EVERY for every hour,
// ALARM_NEVER_HOUR for a pair the dialog never stores (0 PM, 12 AM, out of range).
int AlarmHour24(const ZettlyRecord *r);

// The reminder parameter: the slot in the low 16 bits, the day that fired above.
uint32_t PackReminder(int slot, int day);
int ReminderSlot(uint32_t parameter);
int ReminderDay(uint32_t parameter);

// The minute check: whether the alarm falls due in the minute of now (window,
// activity and an open reminder are the caller's). *day gets the day that fired.
bool AlarmDueAt(const ZettlyRecord *r, const AlarmClock &now, int *day);

// The start-up check: whether the alarm fell due in any minute from the last
// save through now, both minutes included (the program may have quit before
// its minute check ran in the save's minute, and the first check after a
// start comes a minute late). *day gets the day of the first such minute.
// A span reaching back beyond a year looks at the last year only.
bool AlarmMissedBetween(const ZettlyRecord *r, const AlarmClock &saved, const AlarmClock &now,
                        int *day);

// The minute check as the timer really ticks: a tick comes late now and then
// and its period drifts, so the minute between two ticks can pass unchecked.
// Every minute after the last check through now is looked at; a tick in the
// same minute as the last one, the first check, or a clock set back looks at
// now's minute alone.
bool AlarmDueSince(const ZettlyRecord *r, const AlarmClock *lastChecked, const AlarmClock &now,
                   int *day);

// Day numbers: Julian calendar up to 2 September 1752, Gregorian after.
long JulianDayNumber(int year, int month, int day);
int DaysInMonth(int year, int month);
bool IsCalendarDate(int year, int month, int day);

// Dismissing the reminder of the day that fired: a one-off alarm (every field
// specific, not repeating) loses that day and goes inactive with none left.
void DismissAlarmDay(ZettlyRecord *r, int day);

// "Date Monday/12/2026  Time 09:05:AM" and the like, always terminated.
void FormatAlarmText(char *out, size_t outSize, const ZettlyRecord *r, const AlarmClock &now);

// Snooze minutes for the entry of the delay list (5, 10, ... 30).
int SnoozeMinutes(int entry);
enum { SNOOZE_ENTRIES = 6 };

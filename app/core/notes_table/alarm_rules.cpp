#include "alarm_rules.h"

#include <cstdio>

void To12Hour(int hour24, int *hour12, int *pm)
{
    *pm = hour24 >= 12;
    *hour12 = hour24 > 12 ? hour24 - 12 : hour24;
}

int AlarmHour24(const ZettlyRecord *r)
{
    int h = r->alarmHour;
    if (h == ALARM_EVERY)
        return ALARM_EVERY;
    if (r->alarmPm == 0 && h >= 0 && h <= 11)
        return h;
    if (r->alarmPm == 1 && h >= 1 && h <= 11)
        return h + 12;
    if (r->alarmPm == 1 && h == 12)
        return 12;
    return ALARM_NEVER_HOUR;
}

uint32_t PackReminder(int slot, int day)
{
    return ((uint32_t)day & 0xFFFF) << 16 | ((uint32_t)slot & 0xFFFF);
}

int ReminderSlot(uint32_t parameter)
{
    return (int)(parameter & 0xFFFF);
}

int ReminderDay(uint32_t parameter)
{
    return (int)(parameter >> 16);
}

static bool DayBitSet(const ZettlyRecord *r, int dayOfMonth, int dayOfWeek, int *day)
{
    uint32_t days = (uint32_t)r->alarmDays;
    *day = r->alarmWeekdays ? dayOfWeek : dayOfMonth;
    int bit = r->alarmWeekdays ? dayOfWeek : dayOfMonth - 1;
    return bit >= 0 && bit < 32 && (days >> bit & 1) != 0;
}

static bool DateMatches(const ZettlyRecord *r, int year, int month)
{
    return (r->alarmYear == ALARM_EVERY || r->alarmYear == year) &&
           (r->alarmMonth == ALARM_EVERY || r->alarmMonth == month);
}

// Whether some minute of the day between lo and hi (minutes since midnight,
// both included) shows the alarm's hour and minute.
static bool TimeMatchesWithin(const ZettlyRecord *r, int lo, int hi)
{
    int hour = AlarmHour24(r);
    int minute = r->alarmMinute;
    if (hour == ALARM_NEVER_HOUR || minute < ALARM_EVERY || minute > 59)
        return false;
    int firstHour = hour == ALARM_EVERY ? 0 : hour;
    int lastHour = hour == ALARM_EVERY ? 23 : hour;
    for (int h = firstHour; h <= lastHour; ++h) {
        int from = lo > h * 60 ? lo : h * 60;
        int to = hi < h * 60 + 59 ? hi : h * 60 + 59;
        if (from > to)
            continue;
        if (minute == ALARM_EVERY)
            return true;
        if (from <= h * 60 + minute && h * 60 + minute <= to)
            return true;
    }
    return false;
}

bool AlarmDueAt(const ZettlyRecord *r, const AlarmClock &now, int *day)
{
    int fired;
    if (!DateMatches(r, now.year, now.month) || !DayBitSet(r, now.day, now.dayOfWeek, &fired))
        return false;
    int minute = now.hour * 60 + now.minute;
    if (!TimeMatchesWithin(r, minute, minute))
        return false;
    *day = fired;
    return true;
}

long JulianDayNumber(int year, int month, int day)
{
    long y = year < 0 ? year + 1 : year, m = month, d = day;
    if ((long)year * 10000 + month * 100 + day <= 17520902L)
        return 367 * y - 7 * (y + 5001 + (m - 9) / 7) / 4 + 275 * m / 9 + d + 1729777;
    return 1461 * (y + 4800 + (m - 14) / 12) / 4 + 367 * (m - 2 - 12 * ((m - 14) / 12)) / 12 -
           3 * ((y + 4900 + (m - 14) / 12) / 100) / 4 + d - 32075;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

bool IsCalendarDate(int year, int month, int day)
{
    return day >= 1 && day <= DaysInMonth(year, month);
}

namespace {
struct CalendarDay {
    int year, month, day;
    long number;
};

void StepForward(CalendarDay *d)
{
    if (++d->day > DaysInMonth(d->year, d->month)) {
        d->day = 1;
        if (++d->month > 12) {
            d->month = 1;
            ++d->year;
        }
    }
    ++d->number;
}

void StepBack(CalendarDay *d)
{
    if (--d->day < 1) {
        if (--d->month < 1) {
            d->month = 12;
            --d->year;
        }
        d->day = DaysInMonth(d->year, d->month);
    }
    --d->number;
}

// Julian day 0 fell on a Monday.
int DayOfWeek(long number)
{
    return (int)((number + 1) % 7);
}
} // namespace

enum { MISSED_DAYS_LOOKED_AT = 366 };

bool AlarmMissedBetween(const ZettlyRecord *r, const AlarmClock &saved, const AlarmClock &now,
                        int *day)
{
    if (!IsCalendarDate(saved.year, saved.month, saved.day) ||
        !IsCalendarDate(now.year, now.month, now.day))
        return false;
    long first = JulianDayNumber(saved.year, saved.month, saved.day);
    long last = JulianDayNumber(now.year, now.month, now.day);
    int savedMinute = saved.hour * 60 + saved.minute;
    int nowMinute = now.hour * 60 + now.minute;
    // A clock set back since the save: nothing can have been missed.
    if (last < first || (last == first && nowMinute < savedMinute))
        return false;

    CalendarDay d = {now.year, now.month, now.day, last};
    long start = last - first > MISSED_DAYS_LOOKED_AT ? last - MISSED_DAYS_LOOKED_AT : first;
    while (d.number > start)
        StepBack(&d);
    for (; d.number <= last; StepForward(&d)) {
        int fired;
        if (!DateMatches(r, d.year, d.month) ||
            !DayBitSet(r, d.day, DayOfWeek(d.number), &fired))
            continue;
        int lo = d.number == first ? savedMinute : 0;
        int hi = d.number == last ? nowMinute : 24 * 60 - 1;
        if (TimeMatchesWithin(r, lo, hi)) {
            *day = fired;
            return true;
        }
    }
    return false;
}

// Minutes since an epoch of the day numbers; 0 for a date no calendar shows.
static long long MinuteNumber(const AlarmClock &t)
{
    if (!IsCalendarDate(t.year, t.month, t.day))
        return 0;
    return (long long)JulianDayNumber(t.year, t.month, t.day) * 24 * 60 + t.hour * 60 + t.minute;
}

static AlarmClock NextMinute(AlarmClock t)
{
    if (++t.minute < 60)
        return t;
    t.minute = 0;
    if (++t.hour < 24)
        return t;
    t.hour = 0;
    CalendarDay d = {t.year, t.month, t.day, 0};
    StepForward(&d);
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    t.dayOfWeek = (t.dayOfWeek + 1) % ALARM_WEEK_DAYS;
    return t;
}

bool AlarmDueSince(const ZettlyRecord *r, const AlarmClock *lastChecked, const AlarmClock &now,
                   int *day)
{
    long long last = lastChecked ? MinuteNumber(*lastChecked) : 0;
    long long current = MinuteNumber(now);
    if (last == 0 || current <= last)
        return AlarmDueAt(r, now, day);
    return AlarmMissedBetween(r, NextMinute(*lastChecked), now, day);
}

void DismissAlarmDay(ZettlyRecord *r, int day)
{
    bool oneOff = r->alarmYear != ALARM_EVERY && r->alarmMonth != ALARM_EVERY &&
                  r->alarmHour != ALARM_EVERY && r->alarmMinute != ALARM_EVERY &&
                  r->alarmRepeating == 0;
    if (!oneOff)
        return;
    int bit = r->alarmWeekdays ? day : day - 1;
    int bits = r->alarmWeekdays ? ALARM_WEEK_DAYS : ALARM_MONTH_DAYS;
    if (bit >= 0 && bit < bits)
        r->alarmDays = (int32_t)((uint32_t)r->alarmDays & ~(1u << bit));
    if (r->alarmDays == 0)
        r->alarmActive = 0;
}

static const char *const WeekdayNames[ALARM_WEEK_DAYS] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// A value of the alarm, or its mark when it stands for every value.
static void FieldText(char (&out)[16], bool every, int value, const char *format, const char *mark)
{
    if (every)
        std::snprintf(out, sizeof out, "%s", mark);
    else
        std::snprintf(out, sizeof out, format, value);
}

void FormatAlarmText(char *out, size_t outSize, const ZettlyRecord *r, const AlarmClock &now)
{
    if (!out || outSize == 0)
        return;
    char dayText[16], monthText[16], yearText[16], hourText[16], minuteText[16];
    if (r->alarmWeekdays)
        std::snprintf(dayText, sizeof dayText, "%s/",
                      now.dayOfWeek >= 0 && now.dayOfWeek < ALARM_WEEK_DAYS
                          ? WeekdayNames[now.dayOfWeek]
                          : "??");
    else
        std::snprintf(dayText, sizeof dayText, "%02d/", now.day);
    FieldText(monthText, r->alarmMonth == ALARM_EVERY, r->alarmMonth, "%02d/", "~~/");
    FieldText(yearText, r->alarmYear < 0, r->alarmYear, "%02d", "~~");
    FieldText(hourText, r->alarmHour < 0, r->alarmHour, "%02d:", "~~:");
    FieldText(minuteText, r->alarmMinute < 0, r->alarmMinute, "%02d:", "~~:");
    const char *half = r->alarmPm == 0 ? "AM" : r->alarmPm == 1 ? "PM" : "??";
    std::snprintf(out, outSize, "Date %s%s%s  Time %s%s%s", dayText, monthText, yearText,
                  hourText, minuteText, half);
}

int SnoozeMinutes(int entry)
{
    if (entry < 0 || entry >= SNOOZE_ENTRIES)
        entry = 0;
    return 5 * (entry + 1);
}

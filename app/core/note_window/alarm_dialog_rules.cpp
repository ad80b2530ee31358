#include "alarm_dialog_rules.h"

#include <cstring>

static void FillFromTime(const AlarmClock &t, AlarmChoice *c)
{
    c->yearEntry = 1;
    c->monthEntry = t.month;
    std::memset(c->daySelected, 0, sizeof c->daySelected);
    c->daySelected[ALARM_FIRST_MONTH_DAY_ENTRY + t.day - 1] = true;
    int hour12, pm;
    To12Hour(t.hour, &hour12, &pm);
    c->hourEntry = hour12 + 1;
    c->pmEntry = pm;
    c->minuteEntry = t.minute + 1;
    c->picked = t;
}

// Selects the day entries of the stored bits that a list entry shows;
// returns how many and the last day of the month among them.
static int SelectStoredDays(const ZettlyRecord *r, AlarmChoice *c, int *lastDay)
{
    uint32_t days = (uint32_t)r->alarmDays;
    int count = 0;
    if (r->alarmWeekdays) {
        for (int bit = 0; bit < ALARM_WEEK_DAYS; ++bit)
            if (days >> bit & 1) {
                c->daySelected[bit] = true;
                ++count;
            }
        return count;
    }
    for (int bit = 0; bit < ALARM_MONTH_DAYS; ++bit)
        if (days >> bit & 1) {
            c->daySelected[ALARM_FIRST_MONTH_DAY_ENTRY + bit] = true;
            *lastDay = bit + 1;
            ++count;
        }
    return count;
}

void ChoiceFromRecord(const ZettlyRecord *r, const AlarmClock &now, AlarmChoice *c)
{
    std::memset(c, 0, sizeof *c);
    c->firstListedYear = now.year;
    c->active = true;
    AlarmClock t = now;
    if (!r->alarmActive) {
        FillFromTime(t, c);
        c->repeatsValid = true;
        c->repeats = 1;
        return;
    }

    FillFromTime(now, c); // every value below that no entry shows stays as now's
    bool pattern = false;
    if (r->alarmYear == ALARM_EVERY) {
        c->yearEntry = 0;
        pattern = true;
    } else if (r->alarmYear >= now.year && r->alarmYear < now.year + ALARM_YEARS_LISTED) {
        c->yearEntry = r->alarmYear - now.year + 1;
        t.year = r->alarmYear;
    }
    if (r->alarmMonth == ALARM_EVERY) {
        c->monthEntry = 0;
        pattern = true;
    } else if (r->alarmMonth >= 1 && r->alarmMonth <= 12) {
        c->monthEntry = r->alarmMonth;
        t.month = r->alarmMonth;
    }
    c->repeating = r->alarmRepeating != 0;
    pattern = pattern || c->repeating;

    std::memset(c->daySelected, 0, sizeof c->daySelected);
    int lastDay = 0;
    int count = SelectStoredDays(r, c, &lastDay);
    if (count == 0)
        c->daySelected[ALARM_FIRST_MONTH_DAY_ENTRY + now.day - 1] = true;
    else if (r->alarmWeekdays || count != 1)
        pattern = true;
    if (lastDay)
        t.day = lastDay;

    bool pmKnown = r->alarmPm == 0 || r->alarmPm == 1;
    if (r->alarmHour == ALARM_EVERY) {
        c->hourEntry = 0;
        pattern = true;
    } else if (r->alarmHour >= 0 && r->alarmHour <= 12 && pmKnown) {
        c->hourEntry = r->alarmHour + 1;
        t.hour = r->alarmPm && r->alarmHour >= 1 && r->alarmHour <= 11 ? r->alarmHour + 12
                                                                        : r->alarmHour;
    }
    if (r->alarmMinute == ALARM_EVERY) {
        c->minuteEntry = 0;
        pattern = true;
    } else if (r->alarmMinute >= 0 && r->alarmMinute <= 59) {
        c->minuteEntry = r->alarmMinute + 1;
        t.minute = r->alarmMinute;
    }
    // AM/PM goes with the hour: an hour shown as now's keeps now's half of the day.
    if (pmKnown && (r->alarmHour == ALARM_EVERY || (r->alarmHour >= 0 && r->alarmHour <= 12)))
        c->pmEntry = r->alarmPm;

    c->repeatsValid = true;
    c->repeats = r->alarmRepeats < 0                   ? 0
                 : r->alarmRepeats > ALARM_MAX_REPEATS ? ALARM_MAX_REPEATS
                                                       : r->alarmRepeats;
    c->continuous = r->alarmContinuous != 0;

    // A day the pickers cannot show (the 31st of a short month) stays in the lists.
    if (!IsCalendarDate(t.year, t.month, t.day))
        pattern = true;
    c->patternMode = pattern;
    if (!pattern) {
        FillFromTime(t, c);
        c->repeating = false;
    } else if (IsCalendarDate(t.year, t.month, t.day)) {
        c->picked = t;
    }
}

static int ToEntryValue(int entry)
{
    return entry <= 0 ? ALARM_EVERY : entry - 1;
}

AlarmChoiceResult StoreChoice(const AlarmChoice *c, ZettlyRecord *r)
{
    if (!c->active) {
        r->alarmActive = 0;
        return ALARM_CHOICE_STORED;
    }
    if (!c->patternMode) {
        const AlarmClock &p = c->picked;
        int day = p.day >= 1 && p.day <= ALARM_MONTH_DAYS ? p.day : 1;
        r->alarmYear = p.year;
        r->alarmMonth = p.month;
        r->alarmDays = (int32_t)(1u << (day - 1));
        r->alarmWeekdays = 0;
        r->alarmRepeating = 0;
        int hour12, pm;
        To12Hour(p.hour, &hour12, &pm);
        r->alarmHour = hour12;
        r->alarmPm = pm;
        r->alarmMinute = p.minute;
    } else {
        if ((c->hourEntry == 1 && c->pmEntry == 1) || (c->hourEntry == 13 && c->pmEntry == 0))
            return ALARM_CHOICE_BAD_AM_PM;
        uint32_t weekdays = 0, monthDays = 0;
        for (int entry = 0; entry < ALARM_DAY_ENTRIES; ++entry) {
            if (!c->daySelected[entry])
                continue;
            if (entry < ALARM_FIRST_MONTH_DAY_ENTRY)
                weekdays |= 1u << entry;
            else
                monthDays |= 1u << (entry - ALARM_FIRST_MONTH_DAY_ENTRY);
        }
        if (!weekdays && !monthDays)
            return ALARM_CHOICE_NO_DAY;
        if (weekdays && monthDays)
            return ALARM_CHOICE_MIXED_DAYS;
        r->alarmPm = c->pmEntry == 1;
        r->alarmHour = ToEntryValue(c->hourEntry);
        r->alarmYear = c->yearEntry <= 0 ? ALARM_EVERY : c->firstListedYear + c->yearEntry - 1;
        r->alarmMonth = c->monthEntry <= 0 ? ALARM_EVERY : c->monthEntry;
        r->alarmRepeating = c->repeating;
        r->alarmDays = (int32_t)(weekdays ? weekdays : monthDays);
        r->alarmWeekdays = weekdays ? 1 : 0;
        r->alarmMinute = ToEntryValue(c->minuteEntry);
    }
    r->alarmActive = 1;
    r->alarmContinuous = c->continuous;
    if (c->repeatsValid && c->repeats >= 0)
        r->alarmRepeats = (int32_t)(c->repeats > (long long)ALARM_MAX_REPEATS ? (long long)ALARM_MAX_REPEATS : c->repeats);
    return ALARM_CHOICE_STORED;
}

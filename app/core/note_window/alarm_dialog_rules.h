// What the alarm-setting dialog shows for a note's alarm and what it stores
// back: the controls as plain data, so the dialog procedure only copies them.
#pragma once
#include "core/notes_table/alarm_rules.h"

enum {
    ALARM_YEARS_LISTED = 100, // the current year and the 99 after it
    ALARM_DAY_ENTRIES = ALARM_WEEK_DAYS + ALARM_MONTH_DAYS, // weekdays, then days 1..31
    ALARM_FIRST_MONTH_DAY_ENTRY = ALARM_WEEK_DAYS,
    ALARM_HOUR_ENTRIES = 14,   // "Every Hour", then 0..12
    ALARM_MINUTE_ENTRIES = 61, // "Every Minute", then 0..59
    ALARM_MONTH_ENTRIES = 13,  // "Every Month", then January..December
    ALARM_MAX_REPEATS = 100,
};

struct AlarmChoice {
    bool patternMode;
    // Single mode: the two pickers.
    AlarmClock picked;
    // Pattern mode: list entries (0 = every ...).
    int firstListedYear; // year of year entry 1
    int yearEntry, monthEntry, hourEntry, minuteEntry, pmEntry;
    bool daySelected[ALARM_DAY_ENTRIES];
    bool repeating;
    bool active;
    bool continuous;
    // The repeat count box: its number when it holds one.
    bool repeatsValid;
    long long repeats;
};

// The controls for a note's alarm, opened at local time now. Stored values
// that no list entry shows (an old or damaged file) are shown as now's.
void ChoiceFromRecord(const ZettlyRecord *r, const AlarmClock &now, AlarmChoice *out);

enum AlarmChoiceResult {
    ALARM_CHOICE_STORED = 0,
    ALARM_CHOICE_BAD_AM_PM = -1,
    ALARM_CHOICE_NO_DAY = -2,
    ALARM_CHOICE_MIXED_DAYS = -3,
};
// Save Settings: writes the alarm fields of r, or nothing when a check fails.
AlarmChoiceResult StoreChoice(const AlarmChoice *c, ZettlyRecord *r);

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "core/note_window/alarm_dialog_rules.h"
#include "core/notes_table/alarm_rules.h"

namespace {
// Weekdays below are the calendar's, not computed: 7 Dec 2026 is a Monday.
AlarmClock At(int year, int month, int day, int dayOfWeek, int hour, int minute)
{
    return AlarmClock{year, month, day, dayOfWeek, hour, minute};
}

ZettlyRecord Alarm(int year, int month, uint32_t days, bool weekdays, int hour, int pm, int minute)
{
    ZettlyRecord r;
    std::memset(&r, 0, sizeof r);
    r.alarmYear = year;
    r.alarmMonth = month;
    r.alarmDays = (int32_t)days;
    r.alarmWeekdays = weekdays;
    r.alarmHour = hour;
    r.alarmPm = pm;
    r.alarmMinute = minute;
    r.alarmActive = 1;
    r.alarmRepeats = 1;
    return r;
}

const uint32_t EVERY_DAY_OF_MONTH = 0x7FFFFFFF;
const uint32_t MONDAY = 1u << 1, WEDNESDAY = 1u << 3;
} // namespace

TEST(AlarmMinuteCheck, TwelveHourAlarmsFireOnlyInTheirOwnHalfOfTheDay)
{
    struct Case {
        int hour, pm, minute;
        int clockHour, clockMinute;
        bool fires;
    } cases[] = {
        {12, 1, 30, 12, 30, true},  // 12:30 PM is half past noon
        {12, 1, 30, 0, 30, false},
        {0, 0, 15, 0, 15, true},    // 0:15 AM is a quarter past midnight
        {0, 0, 15, 12, 15, false},
        {1, 1, 5, 13, 5, true},
        {1, 1, 5, 1, 5, false},
        {11, 0, 59, 11, 59, true},
        {11, 1, 59, 23, 59, true},
        {12, 0, 0, 0, 0, false},    // no clock reading is 12 AM
        {12, 0, 0, 12, 0, false},
        {0, 1, 0, 12, 0, false},    // nor 0 PM
        {-1, 1, 30, 7, 30, true},   // every hour, whatever the half
        {-1, 0, 30, 19, 30, true},
        {-1, 0, 30, 19, 31, false},
        {9, 0, -1, 9, 42, true},    // every minute of nine o'clock
        {9, 0, -1, 10, 0, false},
    };
    for (const Case &c : cases) {
        ZettlyRecord r = Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, c.hour, c.pm, c.minute);
        int day = -1;
        EXPECT_EQ(AlarmDueAt(&r, At(2026, 12, 7, 1, c.clockHour, c.clockMinute), &day), c.fires)
            << c.hour << (c.pm ? " PM" : " AM") << " :" << c.minute << " at " << c.clockHour << ":"
            << c.clockMinute;
    }
}

TEST(AlarmMinuteCheck, WeekdayAndMonthDayPatternsReportTheDayThatFired)
{
    int day = -1;
    ZettlyRecord weekly = Alarm(-1, -1, MONDAY | WEDNESDAY, true, 9, 0, 0);
    EXPECT_TRUE(AlarmDueAt(&weekly, At(2026, 12, 7, 1, 9, 0), &day));
    EXPECT_EQ(day, 1) << "the day of the week";
    EXPECT_FALSE(AlarmDueAt(&weekly, At(2026, 12, 8, 2, 9, 0), &day));
    EXPECT_TRUE(AlarmDueAt(&weekly, At(2026, 12, 9, 3, 9, 0), &day));
    EXPECT_EQ(day, 3);

    // Bit 0 is the 1st, bit 6 the 7th: on Monday the 7th a month-day alarm
    // answers to the date, not to bit 1 (Monday).
    ZettlyRecord monthly = Alarm(-1, -1, 1u << 0 | 1u << 6, false, 9, 0, 0);
    EXPECT_TRUE(AlarmDueAt(&monthly, At(2026, 12, 7, 1, 9, 0), &day));
    EXPECT_EQ(day, 7) << "the day of the month";
    EXPECT_FALSE(AlarmDueAt(&monthly, At(2026, 12, 2, 3, 9, 0), &day));
    EXPECT_TRUE(AlarmDueAt(&monthly, At(2027, 1, 1, 5, 9, 0), &day));

    ZettlyRecord dated = Alarm(2026, 12, MONDAY, true, 9, 0, 0);
    EXPECT_TRUE(AlarmDueAt(&dated, At(2026, 12, 7, 1, 9, 0), &day));
    EXPECT_FALSE(AlarmDueAt(&dated, At(2027, 12, 6, 1, 9, 0), &day)) << "another year";
    EXPECT_FALSE(AlarmDueAt(&dated, At(2026, 11, 30, 1, 9, 0), &day)) << "another month";
    dated.alarmYear = -2;
    EXPECT_FALSE(AlarmDueAt(&dated, At(2026, 12, 7, 1, 9, 0), &day)) << "-2 is no alarm";
}

namespace {
// An alarm looked at over the minutes from one time through another.
struct SpanCase {
    const char *what;
    ZettlyRecord alarm;
    AlarmClock from, now;
    bool fires;
    int day;
};

template <typename Check> void ExpectSpans(const SpanCase *cases, size_t count, Check check)
{
    for (size_t i = 0; i < count; ++i) {
        const SpanCase &c = cases[i];
        int day = -1;
        EXPECT_EQ(check(c, &day), c.fires) << c.what;
        if (c.fires) {
            EXPECT_EQ(day, c.day) << c.what;
        }
    }
}
} // namespace

TEST(AlarmMinuteCheck, LateTicksSeeTheMinutesTheySkippedOnce)
{
    const ZettlyRecord quarterPastNine = Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, 9, 0, 15);
    const SpanCase cases[] = {
        {"the 9:15 tick came at 9:16", quarterPastNine, At(2026, 12, 7, 1, 9, 14),
         At(2026, 12, 7, 1, 9, 16), true, 7},
        {"9:15 was looked at by the tick before", quarterPastNine, At(2026, 12, 7, 1, 9, 15),
         At(2026, 12, 7, 1, 9, 16), false, 0},
        {"a clock set back looks at now, not nowhere", quarterPastNine, At(2026, 12, 8, 2, 10, 0),
         At(2026, 12, 7, 1, 9, 15), true, 7},
        {"midnight of New Year skipped", Alarm(2027, 1, 1u << 0, false, 0, 0, 0),
         At(2026, 12, 31, 4, 23, 59), At(2027, 1, 1, 5, 0, 1), true, 1},
    };
    ExpectSpans(cases, std::size(cases), [](const SpanCase &c, int *day) {
        return AlarmDueSince(&c.alarm, &c.from, c.now, day);
    });
}

TEST(AlarmDismiss, OneOffAlarmLosesOnlyTheDayThatFired)
{
    ZettlyRecord r = Alarm(2026, 12, MONDAY | WEDNESDAY, true, 9, 0, 0);
    DismissAlarmDay(&r, 1);
    EXPECT_EQ((uint32_t)r.alarmDays, WEDNESDAY);
    EXPECT_EQ(r.alarmActive, 1) << "Wednesday is still to come";
    DismissAlarmDay(&r, 3);
    EXPECT_EQ(r.alarmDays, 0);
    EXPECT_EQ(r.alarmActive, 0);

    ZettlyRecord monthDay = Alarm(2026, 12, 1u << 6, false, 9, 0, 0);
    DismissAlarmDay(&monthDay, 7);
    EXPECT_EQ(monthDay.alarmActive, 0) << "day 7 is bit 6";

    ZettlyRecord repeating = Alarm(2026, 12, MONDAY, true, 9, 0, 0);
    repeating.alarmRepeating = 1;
    ZettlyRecord everyMinute = Alarm(2026, 12, MONDAY, true, 9, 0, -1);
    DismissAlarmDay(&repeating, 1);
    DismissAlarmDay(&everyMinute, 1);
    EXPECT_EQ((uint32_t)repeating.alarmDays, MONDAY);
    EXPECT_EQ((uint32_t)everyMinute.alarmDays, MONDAY);
    EXPECT_EQ(repeating.alarmActive + everyMinute.alarmActive, 2);

    ZettlyRecord hostile = Alarm(2026, 12, MONDAY, true, 9, 0, 0);
    DismissAlarmDay(&hostile, 40);
    EXPECT_EQ((uint32_t)hostile.alarmDays, MONDAY) << "a day no bit stands for clears nothing";
}

TEST(AlarmDayNumbers, CalendarsMeetAtTheReform)
{
    EXPECT_EQ(JulianDayNumber(2000, 1, 1), 2451545);
    EXPECT_EQ(JulianDayNumber(-4713, 1, 1), 0) << "4713 BC, there is no year 0";
    EXPECT_EQ(JulianDayNumber(1752, 9, 14) - JulianDayNumber(1752, 9, 2), 1)
        << "Wednesday 2 September was followed by Thursday 14 September";
    EXPECT_EQ(JulianDayNumber(2027, 1, 1) - JulianDayNumber(2026, 12, 31), 1);
    EXPECT_EQ(JulianDayNumber(2024, 3, 1) - JulianDayNumber(2024, 2, 28), 2);
    EXPECT_FALSE(IsCalendarDate(2026, 2, 29));
    EXPECT_TRUE(IsCalendarDate(2000, 2, 29));
    EXPECT_FALSE(IsCalendarDate(2100, 2, 29));
}

TEST(AlarmMissed, FoundAcrossMonthEndsAndNewYear)
{
    const SpanCase cases[] = {
        {"daily alarm in the night over a month end",
         Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, 11, 1, 55), At(2026, 11, 30, 1, 23, 50),
         At(2026, 12, 1, 2, 8, 0), true, 30},
        {"the 1st of every month, just after midnight",
         Alarm(-1, -1, 1u << 0, false, 0, 0, 10), At(2026, 1, 31, 6, 23, 50),
         At(2026, 2, 1, 0, 0, 20), true, 1},
        {"New Year's Eve at 11 PM, found on New Year's morning",
         Alarm(2026, 12, 1u << 30, false, 11, 1, 0), At(2026, 12, 31, 4, 22, 0),
         At(2027, 1, 1, 5, 9, 0), true, 31},
        {"New Year's Day at 8 AM of the new year",
         Alarm(2027, 1, 1u << 0, false, 8, 0, 0), At(2026, 12, 31, 4, 22, 0),
         At(2027, 1, 1, 5, 9, 0), true, 1},
        {"a December weekday alarm over New Year",
         Alarm(-1, 12, 1u << 4, true, 11, 1, 30), At(2026, 12, 30, 3, 18, 0),
         At(2027, 1, 2, 6, 9, 0), true, 4},
        {"before the save", Alarm(2026, 12, 1u << 30, false, 9, 1, 0), At(2026, 12, 31, 4, 22, 0),
         At(2027, 1, 1, 5, 9, 0), false, 0},
        {"after now", Alarm(2027, 1, 1u << 0, false, 10, 0, 0), At(2026, 12, 31, 4, 22, 0),
         At(2027, 1, 1, 5, 9, 0), false, 0},
        {"same day, between save and start", Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, 9, 0, 15),
         At(2026, 12, 7, 1, 9, 0), At(2026, 12, 7, 1, 9, 30), true, 7},
        {"same day, still to come", Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, 9, 0, 45),
         At(2026, 12, 7, 1, 9, 0), At(2026, 12, 7, 1, 9, 30), false, 0},
        {"the save's own minute counts", Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, 9, 0, 0),
         At(2026, 12, 7, 1, 9, 0), At(2026, 12, 7, 1, 9, 30), true, 7},
        {"a weekday alarm of the day before", Alarm(-1, -1, MONDAY, true, 6, 1, 0),
         At(2026, 12, 7, 1, 12, 0), At(2026, 12, 8, 2, 8, 0), true, 1},
        {"clock set back since the save", Alarm(-1, -1, EVERY_DAY_OF_MONTH, false, -1, 0, -1),
         At(2026, 12, 7, 1, 12, 0), At(2026, 12, 6, 0, 8, 0), false, 0},
        {"every month's 31st skips the short month", Alarm(-1, -1, 1u << 30, false, 9, 0, 0),
         At(2026, 11, 1, 0, 0, 0), At(2026, 11, 30, 1, 23, 59), false, 0},
    };
    ExpectSpans(cases, std::size(cases), [](const SpanCase &c, int *day) {
        return AlarmMissedBetween(&c.alarm, c.from, c.now, day);
    });
}

TEST(AlarmReminderText, NamesTodayAndMarksEveryValue)
{
    char text[96];
    ZettlyRecord weekly = Alarm(2026, 12, MONDAY, true, 9, 0, 5);
    FormatAlarmText(text, sizeof text, &weekly, At(2026, 12, 7, 1, 9, 5));
    EXPECT_STREQ(text, "Date Monday/12/2026  Time 09:05:AM");
    ZettlyRecord every = Alarm(-1, -1, 1u << 6, false, -1, 1, -1);
    FormatAlarmText(text, sizeof text, &every, At(2026, 12, 7, 1, 9, 5));
    EXPECT_STREQ(text, "Date 07/~~/~~  Time ~~:~~:PM");
    every.alarmPm = 9;
    FormatAlarmText(text, 12, &every, At(2026, 12, 7, 1, 9, 5));
    EXPECT_STREQ(text, "Date 07/~~/") << "cut to the buffer";
}

// ---- the alarm-setting dialog's data

namespace {
const AlarmClock FIRST_OF_DECEMBER = At(2026, 12, 1, 2, 8, 45);

AlarmChoice Pattern(int hourEntry, int pmEntry, std::initializer_list<int> days)
{
    AlarmChoice c = {};
    c.patternMode = true;
    c.active = true;
    c.firstListedYear = 2026;
    c.yearEntry = 0;
    c.monthEntry = 0;
    c.hourEntry = hourEntry;
    c.pmEntry = pmEntry;
    c.minuteEntry = 1;
    for (int entry : days)
        c.daySelected[entry] = true;
    return c;
}
} // namespace

TEST(AlarmDialogChoice, SingleAlarmAtHalfPastNoonIsTwelvePmAndReopensAsIt)
{
    AlarmChoice c = {};
    c.active = true;
    c.picked = At(2026, 12, 7, 1, 12, 30);
    c.repeatsValid = true;
    c.repeats = 3;
    ZettlyRecord r = Alarm(-2, 0, 0, false, 0, 0, 0);
    r.alarmActive = 0;
    ASSERT_EQ(StoreChoice(&c, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ(r.alarmHour, 12);
    EXPECT_EQ(r.alarmPm, 1);
    EXPECT_EQ(r.alarmMinute, 30);
    EXPECT_EQ(r.alarmYear, 2026);
    EXPECT_EQ(r.alarmMonth, 12);
    EXPECT_EQ((uint32_t)r.alarmDays, 1u << 6);
    EXPECT_EQ(r.alarmWeekdays + r.alarmRepeating, 0);
    EXPECT_EQ(r.alarmActive, 1);
    EXPECT_EQ(r.alarmRepeats, 3);

    AlarmChoice again;
    ChoiceFromRecord(&r, FIRST_OF_DECEMBER, &again);
    EXPECT_FALSE(again.patternMode) << "one specific day reopens in single mode";
    EXPECT_EQ(again.hourEntry, 13) << "entry 13 is hour 12";
    EXPECT_EQ(again.pmEntry, 1);
    EXPECT_EQ(again.picked.day, 7);
    EXPECT_EQ(again.picked.hour, 12);
    EXPECT_EQ(again.picked.minute, 30);
    EXPECT_EQ(again.repeats, 3);

    r.alarmDays |= 1u << 7;
    ChoiceFromRecord(&r, FIRST_OF_DECEMBER, &again);
    EXPECT_TRUE(again.patternMode) << "two days need the lists";
    EXPECT_TRUE(again.daySelected[7 + 6] && again.daySelected[7 + 7]);
}

TEST(AlarmDialogChoice, PatternMarksOpenTheLists)
{
    AlarmChoice c;
    ZettlyRecord weekly = Alarm(2026, 12, MONDAY, true, 9, 0, 0);
    ChoiceFromRecord(&weekly, FIRST_OF_DECEMBER, &c);
    EXPECT_TRUE(c.patternMode);
    EXPECT_TRUE(c.daySelected[1]);

    ZettlyRecord past = Alarm(2020, 5, 1u << 4, false, 3, 1, 20);
    ChoiceFromRecord(&past, FIRST_OF_DECEMBER, &c);
    EXPECT_FALSE(c.patternMode);
    EXPECT_EQ(c.yearEntry, 1);
    EXPECT_EQ(c.picked.year, 2026) << "a year gone by shows as this year";
    EXPECT_EQ(c.picked.month, 5);
    EXPECT_EQ(c.picked.hour, 15);

    ZettlyRecord everyHour = Alarm(2026, 12, 1u << 4, false, -1, 1, 20);
    ChoiceFromRecord(&everyHour, FIRST_OF_DECEMBER, &c);
    EXPECT_TRUE(c.patternMode);
    EXPECT_EQ(c.hourEntry, 0);
    EXPECT_EQ(c.pmEntry, 1);
    ASSERT_EQ(StoreChoice(&c, &everyHour), ALARM_CHOICE_STORED);
    EXPECT_EQ(everyHour.alarmHour, -1);
    EXPECT_EQ(everyHour.alarmPm, 1) << "kept, though it does not matter";
}

TEST(AlarmDialogChoice, EachPatternErrorStoresNothing)
{
    struct Case {
        AlarmChoice choice;
        AlarmChoiceResult result;
    } cases[] = {
        {Pattern(1, 1, {1}), ALARM_CHOICE_BAD_AM_PM},  // hour 0 with PM
        {Pattern(13, 0, {1}), ALARM_CHOICE_BAD_AM_PM}, // hour 12 with AM
        {Pattern(2, 0, {}), ALARM_CHOICE_NO_DAY},
        {Pattern(2, 0, {1, 7}), ALARM_CHOICE_MIXED_DAYS}, // Monday with the 1st
        {Pattern(13, 1, {1, 3}), ALARM_CHOICE_STORED},
    };
    for (const Case &c : cases) {
        ZettlyRecord r = Alarm(2026, 12, 1u << 6, false, 9, 0, 0);
        ZettlyRecord before = r;
        EXPECT_EQ(StoreChoice(&c.choice, &r), c.result);
        if (c.result != ALARM_CHOICE_STORED) {
            EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
        }
    }
    ZettlyRecord r = Alarm(2026, 12, 1u << 6, false, 9, 0, 0);
    AlarmChoice ok = Pattern(13, 1, {1, 3});
    ok.yearEntry = 2;
    ok.monthEntry = 3;
    ok.repeating = true;
    ASSERT_EQ(StoreChoice(&ok, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ((uint32_t)r.alarmDays, MONDAY | WEDNESDAY);
    EXPECT_EQ(r.alarmWeekdays, 1);
    EXPECT_EQ(r.alarmYear, 2027);
    EXPECT_EQ(r.alarmMonth, 3);
    EXPECT_EQ(r.alarmHour, 12);
    EXPECT_EQ(r.alarmMinute, 0);
    EXPECT_EQ(r.alarmRepeating, 1);
}

TEST(AlarmDialogChoice, InactiveSaveKeepsTheRestAndRepeatCountsStayInRange)
{
    ZettlyRecord r = Alarm(2026, 12, MONDAY, true, 9, 0, 0);
    ZettlyRecord before = r;
    AlarmChoice off = Pattern(2, 0, {});
    off.active = false;
    ASSERT_EQ(StoreChoice(&off, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ(r.alarmActive, 0);
    r.alarmActive = 1;
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);

    AlarmChoice huge = Pattern(2, 0, {1});
    huge.repeatsValid = true;
    huge.repeats = 4000000000LL;
    ASSERT_EQ(StoreChoice(&huge, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ(r.alarmRepeats, ALARM_MAX_REPEATS);
    AlarmChoice typo = Pattern(2, 0, {1});
    typo.repeatsValid = false;
    typo.repeats = 7;
    ASSERT_EQ(StoreChoice(&typo, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ(r.alarmRepeats, ALARM_MAX_REPEATS) << "an invalid count leaves it as it was";
}

TEST(AlarmDialogChoice, ValuesNoListShowsFallBackToNow)
{
    ZettlyRecord r = Alarm(2500, 13, 1u << 31, false, 15, 7, 75);
    r.alarmRepeating = 1;
    r.alarmRepeats = -5;
    AlarmChoice c;
    ChoiceFromRecord(&r, FIRST_OF_DECEMBER, &c);
    EXPECT_TRUE(c.patternMode);
    EXPECT_EQ(c.yearEntry, 1);
    EXPECT_EQ(c.monthEntry, 12);
    EXPECT_EQ(c.hourEntry, 9) << "8:45 AM";
    EXPECT_EQ(c.pmEntry, 0);
    EXPECT_EQ(c.minuteEntry, 46);
    EXPECT_TRUE(c.daySelected[7 + 0]) << "the 1st, today";
    EXPECT_EQ(c.repeats, 0);
    ASSERT_EQ(StoreChoice(&c, &r), ALARM_CHOICE_STORED);
    EXPECT_EQ(r.alarmYear, 2026);
    EXPECT_EQ(r.alarmMonth, 12);
    EXPECT_EQ(r.alarmHour, 8);
    EXPECT_EQ(r.alarmMinute, 45);
    EXPECT_EQ((uint32_t)r.alarmDays, 1u);

    // The 31st of February cannot be picked: the lists keep it as it is.
    ZettlyRecord february = Alarm(2027, 2, 1u << 30, false, 9, 0, 0);
    ChoiceFromRecord(&february, FIRST_OF_DECEMBER, &c);
    EXPECT_TRUE(c.patternMode);
    EXPECT_TRUE(c.daySelected[7 + 30]);
    EXPECT_TRUE(IsCalendarDate(c.picked.year, c.picked.month, c.picked.day));
}

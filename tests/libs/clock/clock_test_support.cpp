#include "clock_test_support.h"

static const char CLOCK_KEY[] = "software\\Kestrova\\RozUvedo";

std::string ReadClockInfo(const ScopedRegistryRoot &root)
{
    return root.ReadText(CLOCK_KEY, "ClockInfo");
}

void WriteClockInfo(const ScopedRegistryRoot &root, const std::string &text)
{
    root.WriteText(CLOCK_KEY, "ClockInfo", text);
}

static void Fill(SYSTEMTIME *local, int year, int month, int weekday, int day, int hour,
                 int minute, int second)
{
    *local = {};
    local->wYear = (WORD)year;
    local->wMonth = (WORD)month;
    local->wDayOfWeek = (WORD)weekday;
    local->wDay = (WORD)day;
    local->wHour = (WORD)hour;
    local->wMinute = (WORD)minute;
    local->wSecond = (WORD)second;
}

void SummerMorning(SYSTEMTIME *local, int64_t *universal)
{
    Fill(local, 2024, 6, 4, 20, 10, 9, 30);
    *universal = 1718870970; // 2024-06-20 08:09:30 UT
}

void EquinoxNoon(SYSTEMTIME *local, int64_t *universal)
{
    Fill(local, 2024, 3, 3, 20, 12, 0, 0);
    *universal = 1710936000; // 2024-03-20 12:00:00 UT
}

void EquinoxNoonIn2100(SYSTEMTIME *local, int64_t *universal)
{
    Fill(local, 2100, 3, 6, 20, 12, 0, 0);
    *universal = 4109227200LL; // 2100-03-20 12:00:00 UT
}

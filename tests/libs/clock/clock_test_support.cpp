#include "clock_test_support.h"

static void DeleteTree(HKEY parent, const char *name)
{
    RegDeleteTreeA(parent, name);
    RegDeleteKeyA(parent, name);
}

ClockRegistryTestRoot::ClockRegistryTestRoot(std::function<void(HKEY)> set) : setRoot(set)
{
    static int counter;
    path = "Software\\ZettliesTests\\clock-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    DeleteTree(HKEY_CURRENT_USER, path.c_str());
    RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key);
    setRoot(key);
}

ClockRegistryTestRoot::~ClockRegistryTestRoot()
{
    setRoot(nullptr);
    RegCloseKey(key);
    DeleteTree(HKEY_CURRENT_USER, path.c_str());
}

std::string ClockRegistryTestRoot::ReadClockInfo() const
{
    HKEY clock;
    if (RegOpenKeyExA(key, "software\\Kestrova\\RozUvedo", 0, KEY_READ, &clock) != ERROR_SUCCESS)
        return "";
    char text[256] = {};
    DWORD size = sizeof text - 1, type = 0;
    LONG result = RegQueryValueExA(clock, "ClockInfo", nullptr, &type, (BYTE *)text, &size);
    RegCloseKey(clock);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return "";
    return std::string(text, strnlen(text, size));
}

void ClockRegistryTestRoot::WriteClockInfo(const std::string &text) const
{
    HKEY clock;
    if (RegCreateKeyA(key, "software\\Kestrova\\RozUvedo", &clock) != ERROR_SUCCESS)
        return;
    RegSetValueExA(clock, "ClockInfo", 0, REG_SZ, (const BYTE *)text.data(), (DWORD)text.size());
    RegCloseKey(clock);
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

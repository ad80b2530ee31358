// Helpers of the clock's Windows tests: a registry root of the test's own
// and fixed moments to show.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class ClockRegistryTestRoot {
public:
    // setRoot is the library's seam: linked directly, or the DLL's export.
    explicit ClockRegistryTestRoot(std::function<void(HKEY)> setRoot);
    ~ClockRegistryTestRoot();
    HKEY Key() const { return key; }
    std::string ReadClockInfo() const; // "" when there is none
    void WriteClockInfo(const std::string &text) const;

private:
    HKEY key = nullptr;
    std::string path;
    std::function<void(HKEY)> setRoot;
};

// 2024-06-20 08:09:30 UT shown as 10:09:30 local time (a Thursday).
void SummerMorning(SYSTEMTIME *local, int64_t *universal);
// 2024-03-20 12:00:00 UT, local time the same.
void EquinoxNoon(SYSTEMTIME *local, int64_t *universal);
// The same past 2038, where a 32-bit time_t would wrap to 1964.
void EquinoxNoonIn2100(SYSTEMTIME *local, int64_t *universal);

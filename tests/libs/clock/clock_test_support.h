// Helpers of the clock's Windows tests: its stored settings and fixed
// moments to show.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "test_support.h"

// The clock's stored settings below a test's registry root; "" when there are none.
std::string ReadClockInfo(const ScopedRegistryRoot &root);
void WriteClockInfo(const ScopedRegistryRoot &root, const std::string &text);

// 2024-06-20 08:09:30 UT shown as 10:09:30 local time (a Thursday).
void SummerMorning(SYSTEMTIME *local, int64_t *universal);
// 2024-03-20 12:00:00 UT, local time the same.
void EquinoxNoon(SYSTEMTIME *local, int64_t *universal);
// The same past 2038, where a 32-bit time_t would wrap to 1964.
void EquinoxNoonIn2100(SYSTEMTIME *local, int64_t *universal);

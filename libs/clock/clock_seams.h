// What the clock library alone needs to be told: the module whose resources
// it loads and the moment it shows. Message boxes and the registry root go
// through the shared seams of ui_seams.h.
#pragma once
#include <windows.h>

#include <cstdint>

HINSTANCE ClockInstance(void);
void SetClockInstance(HINSTANCE instance);

// The moment the clock shows: local broken-down time and universal seconds
// since 1970, in 64 bits also on 32-bit Windows, whose time_t ends in 2038.
typedef void (*ClockTimeSource)(SYSTEMTIME *local, int64_t *universal);
void ClockLocalTime(SYSTEMTIME *local);
int64_t ClockUniversalNow(void);
// Null restores the system clock.
void SetClockTimeSource(ClockTimeSource source);

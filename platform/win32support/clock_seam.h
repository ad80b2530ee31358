// The clock as the program's timed features see it: the moment (local time
// and universal seconds) and the pauses of worker threads. Tests set a time
// of their own and step the pauses.
#pragma once
#include <windows.h>

#include <cstdint>

// The moment: local broken-down time and universal seconds since 1970, in 64
// bits also on 32-bit Windows, whose time_t ends in 2038. A source fills both.
typedef void (*TimeSource)(SYSTEMTIME *local, int64_t *universal);
typedef void (*PauseHook)(DWORD ms);

void ZtGetLocalTime(SYSTEMTIME *out);
int64_t ZtUniversalNow(void);
// Replaces the clock; null restores the real one. Returns the previous source.
TimeSource SetTimeSource(TimeSource source);

// Sleep, unless a test steps time itself.
void ZtPause(DWORD ms);
PauseHook SetPauseHook(PauseHook hook);

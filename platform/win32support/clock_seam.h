// The clock as the program's timed features see it: the local time and the
// pauses of worker threads. Tests set a time of their own and step the pauses.
#pragma once
#include <windows.h>

typedef void (*LocalTimeHook)(SYSTEMTIME *out);
typedef void (*PauseHook)(DWORD ms);

void ZtGetLocalTime(SYSTEMTIME *out);
// Replaces the clock; null restores the real one. Returns the previous hook.
LocalTimeHook SetLocalTimeHook(LocalTimeHook hook);

// Sleep, unless a test steps time itself.
void ZtPause(DWORD ms);
PauseHook SetPauseHook(PauseHook hook);

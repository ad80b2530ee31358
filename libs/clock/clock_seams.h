// Platform services of the clock library that tests take over: the module
// whose resources it loads, the registry root, the message box and the time.
// The library cannot see the main program's seams, so it keeps its own.
#pragma once
#include <windows.h>

#include <cstdint>

HINSTANCE ClockInstance(void);
void SetClockInstance(HINSTANCE instance);

// The key under which "software\Kestrova\RozUvedo" lives: HKEY_CURRENT_USER
// unless a test moved it.
HKEY ClockRegistryRoot(void);
void SetClockRegistryRoot(HKEY root);

typedef int (*ClockMessageBoxHook)(HWND owner, const char *text, const char *caption, UINT type);
int ClockMessageBox(HWND owner, const char *text, const char *caption, UINT type);
ClockMessageBoxHook SetClockMessageBoxHook(ClockMessageBoxHook hook);

// The moment the clock shows: local broken-down time and universal seconds
// since 1970, in 64 bits also on 32-bit Windows, whose time_t ends in 2038.
typedef void (*ClockTimeSource)(SYSTEMTIME *local, int64_t *universal);
void ClockLocalTime(SYSTEMTIME *local);
int64_t ClockUniversalNow(void);
// Null restores the system clock.
void SetClockTimeSource(ClockTimeSource source);
